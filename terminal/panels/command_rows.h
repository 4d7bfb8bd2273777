#pragma once

#include "settings/settings_keys.h"

#include <QByteArray>
#include <QString>
#include <QStringView>
#include <optional>

namespace tessa {

// The command rows, the encoder and "sabs" lines and the received-text file of the page
// "其他測試". Every request is a text line ended by CR LF.

inline constexpr int kCommandRowCount = 8;

// One command row's control names and settings keys (row 1..8).
struct CommandRow {
    const char* button;
    const char* commandBox;
    const char* idBox;
};
const CommandRow& commandRow(int row);

// The text written for a row before its CR LF: command, comma, ID, as they stand.
QString commandRowLine(const QString& command, const QString& id);

// Prefixes written before the value of the encoder and "sabs" lines.
QByteArray encoderPrefix();  // c99=
QByteArray sabsPrefix();  // c41=

inline constexpr double kIdLowest = 0;
inline constexpr double kIdHighest = 63;
inline constexpr double kSabsLowest = -8300000;
inline constexpr double kSabsHighest = 8300000;

// The range limit of an ID box or Text25 after a key. Empty and "-" stay (the operator is
// still typing), as does a number inside the range (fractions included). A number above or
// below the range becomes the bound. Any other text (a letter, "1-") is taken back to
// lastValid, the box's last text that passed; the result is what the box should hold.
QString limitedText(const QString& text, double lowest, double highest, const QString& lastValid);

// Whether text counts as a number for the limit (optional sign, digits, optional fraction).
bool isDecimalText(QStringView text);

// Where "tessa.txt" goes: the user's home folder (there is no drive C to put it in the root
// of). The file name stays "tessa.txt".
QString receivedTextPath();
// The file's bytes: the character view's text with CR LF line ends, then CR LF.
QByteArray receivedTextBytes(const QString& viewText);

}  // namespace tessa

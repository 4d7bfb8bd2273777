#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <functional>
#include <optional>

namespace tessa {

// A program is up to 1000 numbered lines, each a program record:
//   data record:  "(H)" or "(C)", then "DA" or two spaces, then the data text
//   delay record: "SYSTEM DELAY " followed by the delay in milliseconds
inline constexpr int kProgramMaxLines = 1000;
inline constexpr int kDataTextShown = 100;
inline const QString kDelayPrefix = QStringLiteral("SYSTEM DELAY ");
// A delay record holds at most four digits after the space (characters 13..17).
inline constexpr int kMaxDelayMs = 9999;

// Fields of the editor that a record is built from or loaded into.
struct EditorFields {
    bool delay = false;  // Option3 (1)
    QString delayText;  // Text5
    bool hex = false;  // Option2 (0)
    bool crLf = true;  // Check2
    QString data;  // Text3
};

QString buildRecord(const EditorFields& fields);

bool isDelayRecord(QStringView record);
bool hasCrLf(QStringView record);  // characters 4-5 are "DA"
bool isHexRecord(QStringView record);  // characters 1-3 are "(H)"
// Characters 6..105.
QString recordData(QStringView record);

// The leading numeric value of text: optional spaces, an optional sign, decimal digits; anything
// else ends the number and text without digits reads as 0. Saturates instead of overflowing.
long long leadingNumber(QStringView text);

// The value of a delay record as the editor and the replay read it: characters 13..17.
long long delayValue(QStringView record);
// Milliseconds the replay pauses for a delay record: none (0) for zero, negative or non-numbers.
int replayPauseMs(QStringView record);

// The record as it comes back out of the editor (what loading it there and adding it makes of
// it): delay text normalised to its numeric value, data text cut to 100 characters. Empty data
// gives no record.
std::optional<QString> normalizedRecord(QStringView record);

// A "(H)" record whose data is not hexadecimal text (pairs 00..FF) cannot be sent.
bool isSendable(QStringView record);

// Bytes a data record puts on the line (data text 6..105, then CR LF with "DA"). Nothing for a
// delay record or a hexadecimal record that is not sendable.
std::optional<QByteArray> recordBytes(QStringView record);

// n zero-padded to at least three digits, a space, then the record as the list shows it.
QString displayLine(int lineNumber, QStringView record);

// Program file: each record quoted on a line of its own, CR LF after each, in the single-byte
// code page (characters beyond it become '?').
QByteArray programFileBytes(const QStringList& records);

// The fields of a program file, in order. A line that starts and ends with a double quote is one
// field, the text between the first and the last quote (so a record holding a double quote
// comes back whole). An unquoted line is split at commas, each field without surrounding
// spaces. A quoted field without its closing quote runs to the next quote or the line end.
// Empty lines hold no field; CR LF, LF or CR end a line, and a missing last line end is fine.
QStringList programFileFields(const QByteArray& bytes);
// The same fields, handed over in place (one character per byte) one at a time with the number
// of the file's line they are on (from 1), until take returns false.
void forEachProgramFileField(QByteArrayView bytes, const std::function<bool(QByteArrayView, qsizetype)>& take);

}  // namespace tessa

#pragma once

#include "program/record_format.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>

class QIODevice;

namespace tessa {

// A record the editor would store, or why it refuses it (message text and box title).
struct CheckedRecord {
    std::optional<QString> record;
    QString problem;  // the editor's message: the line, what is wrong, that nothing changed
    QString reason;  // what is wrong, alone (a file load names the record itself)
    QString title;
};

// The editor's own checks before it stores what its fields hold as line lineNumber: a delay
// of 0..9999 ms (stored as its number, so "0250" is kept as 250), data that can be sent.
CheckedRecord checkEditorFields(const EditorFields& fields, int lineNumber);

// Program files: at most this much is read; the rest of a longer file is never looked at.
inline constexpr qint64 kMaxProgramFileBytes = 16 * 1024 * 1024;
// Lines refused or changed named one by one in the load's message; the others only counted.
inline constexpr int kReportedLinesNamed = 50;

// A program file taken apart into the records the editor would have added one by one,
// without going through it. Every field that was refused, or loaded other than as written
// (a delay read as its leading number, data cut to 100 characters, a line not in the record
// format), is reported with its file line and what became of it; the first few are described.
struct ProgramFileLoad {
    QStringList records;  // at most kProgramMaxLines, stored as the editor stores them
    QStringList reported;  // the first kReportedLinesNamed lines refused or changed
    qsizetype reportedMore = 0;  // reported lines beyond those
    bool full = false;  // the file held more records than the list takes; the rest not read
    bool cut = false;  // the file was longer than kMaxProgramFileBytes
    // The messages of the load in the order they are shown (empty: nothing to say).
    QStringList messages() const;
};

// The records of the file's bytes; cut says the bytes are only the file's beginning.
ProgramFileLoad parseProgramFile(const QByteArray& bytes, bool cut = false);
// Reads at most kMaxProgramFileBytes from the open file and parses them.
ProgramFileLoad readProgramFile(QIODevice& file);

// The "超過1000行!" box's title and text of a full list; translation keys (i18n/translated.h).
inline const QString kProgramFullText = QString::fromUtf8(QT_TRANSLATE_NOOP("tessa", "超過1000行!"));
inline const QString kProgramFullLoadedText = QString::fromUtf8(QT_TRANSLATE_NOOP("tessa", "只載入了前1000行。"));
inline const QString kProgramFullTitle = QString::fromUtf8(QT_TRANSLATE_NOOP("tessa", "警告"));
inline const QString kDataEmptyText = QString::fromUtf8(QT_TRANSLATE_NOOP("tessa", "資料空白!"));
inline const QString kHintTitle = QString::fromUtf8(QT_TRANSLATE_NOOP("tessa", "提示"));

}  // namespace tessa

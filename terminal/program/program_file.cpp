#include "program/program_file.h"

#include "i18n/translated.h"

#include "frames/frame_text.h"
#include "program/program_model.h"

#include <QCoreApplication>
#include <QIODevice>

#include <algorithm>
#include <functional>

using namespace Qt::StringLiterals;

namespace tessa {

namespace {

// What the editor reads of a record: its kind, "DA" and 100 characters of data from 6, the
// delay digits from 13. Longer fields are cut here, so a huge line costs no huge copy.
constexpr qsizetype kRecordCharactersRead = 5 + kDataTextShown;
// Characters of a file's line quoted in the load's message; a longer one is elided.
constexpr qsizetype kQuotedCharacters = 60;

QString quoted(QByteArrayView text)
{
    if (text.size() <= kQuotedCharacters)
        return u'"' + QString::fromLatin1(text) + u'"';
    return u'"' + QString::fromLatin1(text.first(kQuotedCharacters)) + u"...\""_s;
}

// What the load made of a field it took: empty when it was stored as written.
QString changeOf(QByteArrayView field, const QString& record, int programLine)
{
    if (field.size() <= kRecordCharactersRead && QString::fromLatin1(field) == record)
        return {};
    const QString loaded = u"loaded as program line %1 %2."_s.arg(programLine).arg(quoted(record.toLatin1()));
    if (!isDelayRecord(record) && field.size() > kRecordCharactersRead)
        return u"data of %1 characters cut to %2, "_s.arg(field.size() - 5).arg(kDataTextShown) + loaded;
    return quoted(field) + u' ' + loaded;
}

}  // namespace

CheckedRecord checkEditorFields(const EditorFields& fields, int lineNumber)
{
    CheckedRecord checked;
    if (fields.delay) {
        // The record keeps the value the replay will wait, so the list shows what happens.
        const long long ms = leadingNumber(fields.delayText);
        if (ms < 0 || ms > kMaxDelayMs) {
            checked.reason = QCoreApplication::translate("tessa", "the delay \"%1\" is not 0 to %2 ms.")
                                 .arg(fields.delayText)
                                 .arg(kMaxDelayMs);
            checked.problem = QCoreApplication::translate("tessa", "Line %1: %2 Nothing was changed.")
                                  .arg(lineNumber)
                                  .arg(checked.reason);
            checked.title = translated(kHintTitle);
            return checked;
        }
        EditorFields normalised = fields;
        normalised.delayText = QString::number(ms);
        checked.record = buildRecord(normalised);
        return checked;
    }
    const QString record = buildRecord(fields);
    if (!isSendable(record)) {
        checked.reason = QCoreApplication::translate(
                             "tessa", "\"%1\" is not hexadecimal data (two hexadecimal digits and a space per byte).")
                             .arg(fields.data);
        checked.problem = QCoreApplication::translate("tessa", "Line %1: %2 Nothing was changed.")
                              .arg(lineNumber)
                              .arg(checked.reason);
        checked.title = translated(kHintTitle);
        return checked;
    }
    checked.record = record;
    return checked;
}

QStringList ProgramFileLoad::messages() const
{
    QStringList out;
    if (cut)
        out << QCoreApplication::translate("tessa", "The file is longer than %1 MiB; only its first %1 MiB were read.")
                   .arg(kMaxProgramFileBytes >> 20);
    if (full)
        out << translated(kProgramFullText) + u'\n' + translated(kProgramFullLoadedText);
    if (!reported.isEmpty()) {
        QStringList shown = reported;
        if (reportedMore > 0)
            shown << u"... and %1 more."_s.arg(reportedMore);
        const qsizetype count = reported.size() + reportedMore;
        out << (count == 1 ? u"1 line of the file was not loaded as written:\n"_s
                           : u"%1 lines of the file were not loaded as written:\n"_s.arg(count))
                + shown.join(u'\n');
    }
    return out;
}

ProgramFileLoad parseProgramFile(const QByteArray& bytes, bool cut)
{
    ProgramFileLoad load;
    load.cut = cut;
    qsizetype fileLine = 0;
    // Only the first lines are described; the others cost a count.
    const auto report = [&load, &fileLine](const std::function<QString()>& what) {
        if (load.reported.size() < kReportedLinesNamed)
            load.reported << u"File line %1: %2"_s.arg(fileLine).arg(what());
        else
            ++load.reportedMore;
    };
    const auto refuse = [&report](const std::function<QString()>& problem) {
        report([&] { return u"not loaded: "_s + problem(); });
    };
    const auto noData = [] { return u"no data."_s; };
    forEachProgramFileField(bytes, [&](QByteArrayView field, qsizetype line) {
        fileLine = line;
        if (load.records.size() >= kProgramMaxLines) {
            load.full = true;
            return false;
        }
        // Too short for data (which starts at character 6) or a delay: refused as empty data,
        // with no text made of it.
        if (field.size() <= 5) {
            refuse(noData);
            return true;
        }
        const QString text = QString::fromLatin1(field.first(std::min(field.size(), kRecordCharactersRead)));
        const int lineNumber = static_cast<int>(load.records.size()) + 1;
        // Hexadecimal data that is not pairs 00..FF: refused before any record is built.
        if (!isDelayRecord(text) && isHexRecord(text) && !hexTextFrame(QStringView(text).sliced(5))) {
            refuse([&] { return checkEditorFields(ProgramRecord::fromText(text).fields(), lineNumber).reason; });
            return true;
        }
        const CheckedRecord checked = checkEditorFields(ProgramRecord::fromText(text).fields(), lineNumber);
        if (!checked.record) {
            refuse([&] { return checked.reason; });
            return true;
        }
        load.records << *checked.record;
        const QString change = changeOf(field, *checked.record, lineNumber);
        if (!change.isEmpty())
            report([&] { return change; });
        return true;
    });
    return load;
}

ProgramFileLoad readProgramFile(QIODevice& file)
{
    QByteArray bytes = file.read(kMaxProgramFileBytes);
    const bool cut = bytes.size() == kMaxProgramFileBytes && !file.read(1).isEmpty();
    return parseProgramFile(bytes, cut);
}

}  // namespace tessa

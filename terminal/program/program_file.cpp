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
        out << translated(kProgramFullText)
                + QCoreApplication::translate("tessa", "\nOnly the first 1000 records were loaded.");
    if (!refused.isEmpty()) {
        QStringList shown = refused;
        if (refusedMore > 0)
            shown << QCoreApplication::translate("tessa", "... and %1 more.").arg(refusedMore);
        out << QCoreApplication::translate("tessa", "These records were not loaded:\n") + shown.join(u'\n');
    }
    return out;
}

ProgramFileLoad parseProgramFile(const QByteArray& bytes, bool cut)
{
    ProgramFileLoad load;
    load.cut = cut;
    qsizetype recordNumber = 0;
    // Only the first refusals are described; the others cost a count.
    const auto refuse = [&load, &recordNumber](const std::function<QString()>& problem) {
        if (load.refused.size() < kRefusedRecordsNamed)
            load.refused
                << QCoreApplication::translate("tessa", "Record %1 of the file: %2").arg(recordNumber).arg(problem());
        else
            ++load.refusedMore;
    };
    const auto dataEmpty = [] { return translated(kDataEmptyText); };
    forEachProgramFileField(bytes, [&](QByteArrayView field) {
        ++recordNumber;
        if (load.records.size() >= kProgramMaxLines) {
            load.full = true;
            return false;
        }
        // Too short for data (which starts at character 6) or a delay: refused as empty data,
        // with no text made of it.
        if (field.size() <= 5) {
            refuse(dataEmpty);
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
        if (checked.record)
            load.records << *checked.record;
        else
            refuse([&] { return checked.reason; });
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

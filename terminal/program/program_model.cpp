#include "program/program_model.h"

#include "frames/frame_text.h"

#include <QIODevice>

namespace tessa {

ProgramRecord ProgramRecord::fromText(QStringView text)
{
    ProgramRecord record;
    if (isDelayRecord(text)) {
        record.kind = Kind::Delay;
        record.delayMs = delayValue(text);
        return record;
    }
    record.hex = isHexRecord(text);
    record.crLf = hasCrLf(text);
    record.data = recordData(text);
    return record;
}

QString ProgramRecord::text() const
{
    return buildRecord(fields());
}

EditorFields ProgramRecord::fields() const
{
    EditorFields fields;
    fields.delay = kind == Kind::Delay;
    if (fields.delay) {
        fields.delayText = QString::number(delayMs);
        return fields;
    }
    fields.hex = hex;
    fields.crLf = crLf;
    fields.data = data;
    return fields;
}

std::optional<QByteArray> recordBytes(const ProgramRecord& record)
{
    if (record.kind == ProgramRecord::Kind::Delay)
        return std::nullopt;
    QByteArray bytes;
    if (record.hex) {
        std::optional<QByteArray> frame = hexTextFrame(record.data);
        if (!frame)
            return std::nullopt;
        bytes = *frame;
    } else {
        bytes = characterFrame(record.data);
    }
    if (record.crLf)
        bytes.append(kCrLf);
    return bytes;
}

int ProgramModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : size();
}

QVariant ProgramModel::data(const QModelIndex& index, int role) const
{
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= size())
        return {};
    return displayLine(index.row() + 1, records_[index.row()].text());
}

QString ProgramModel::entry(int row) const
{
    return row >= 0 && row < size() ? records_[row].text() : QString();
}

QStringList ProgramModel::records() const
{
    QStringList out;
    out.reserve(size());
    for (const ProgramRecord& record : records_)
        out << record.text();
    return out;
}

bool ProgramModel::append(const QString& text)
{
    return insert(size(), text);
}

bool ProgramModel::insert(int row, const QString& text)
{
    if (row < 0 || row > size() || isFull())
        return false;
    beginInsertRows({}, row, row);
    records_.insert(row, ProgramRecord::fromText(text));
    endInsertRows();
    renumberFrom(row + 1);
    return true;
}

bool ProgramModel::remove(int row)
{
    if (row < 0 || row >= size())
        return false;
    beginRemoveRows({}, row, row);
    records_.removeAt(row);
    endRemoveRows();
    renumberFrom(row);
    return true;
}

bool ProgramModel::replace(int row, const QString& text)
{
    if (row < 0 || row >= size())
        return false;
    records_[row] = ProgramRecord::fromText(text);
    emit dataChanged(index(row), index(row));
    return true;
}

void ProgramModel::clear()
{
    setRecords({});
}

void ProgramModel::setRecords(const QStringList& texts)
{
    beginResetModel();
    records_.clear();
    for (const QString& text : texts.first(std::min<qsizetype>(texts.size(), kProgramMaxLines)))
        records_ << ProgramRecord::fromText(text);
    endResetModel();
}

ProgramFileLoad ProgramModel::load(QIODevice& file)
{
    ProgramFileLoad loaded = readProgramFile(file);
    setRecords(loaded.records);
    return loaded;
}

QByteArray ProgramModel::fileBytes() const
{
    return programFileBytes(records());
}

qsizetype ProgramModel::charactersBeyondLatin1() const
{
    qsizetype count = 0;
    for (const QString& text : records())
        for (const QChar c : text)
            count += c.unicode() > 0xFF ? 1 : 0;
    return count;
}

void ProgramModel::renumberFrom(int row)
{
    // Each line shows its number, so every line after an inserted or removed one changes.
    if (row < size())
        emit dataChanged(index(row), index(size() - 1));
}

ReplayTick replayTick(const ProgramModel& program, int& position, bool loop)
{
    ReplayTick tick;
    for (int line = position + 1; line <= program.size(); ++line) {
        const ProgramRecord& record = program.record(line - 1);
        if (record.kind == ProgramRecord::Kind::Delay) {
            ++position;
            // Zero and negative delays pause not at all: a zero interval would never end the delay.
            tick.pauseMs = record.delayMs > 0 ? static_cast<int>(std::min<long long>(record.delayMs, kMaxDelayMs)) : 0;
            if (tick.pauseMs > 0)
                return tick;
            continue;
        }
        // Records are checked where they enter; one that still is not sendable is passed over.
        if (std::optional<QByteArray> bytes = recordBytes(record))
            tick.writes << *bytes;
        ++position;
    }
    if (loop)
        position = 0;
    else
        tick.stop = true;
    return tick;
}

}  // namespace tessa

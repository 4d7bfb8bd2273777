#include "program/record_format.h"

#include "frames/frame_text.h"

#include <limits>

using namespace Qt::StringLiterals;

namespace tessa {

QString buildRecord(const EditorFields& fields)
{
    if (fields.delay)
        return kDelayPrefix + fields.delayText;
    return (fields.hex ? u"(H)"_s : u"(C)"_s) + (fields.crLf ? u"DA"_s : u"  "_s) + fields.data;
}

bool isDelayRecord(QStringView record)
{
    return record.left(12) == u"SYSTEM DELAY"_s;
}

bool hasCrLf(QStringView record)
{
    return record.mid(3, 2) == u"DA"_s;
}

bool isHexRecord(QStringView record)
{
    return record.left(3) == u"(H)"_s;
}

QString recordData(QStringView record)
{
    return record.mid(5, kDataTextShown).toString();
}

long long leadingNumber(QStringView text)
{
    qsizetype i = 0;
    while (i < text.size() && (text[i] == u' ' || text[i] == u'\t'))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == u'-' || text[i] == u'+')) {
        negative = text[i] == u'-';
        ++i;
    }
    constexpr long long kCap = std::numeric_limits<int>::max();
    long long value = 0;
    for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i)
        value = std::min(kCap, value * 10 + (text[i].unicode() - u'0'));
    return negative ? -value : value;
}

long long delayValue(QStringView record)
{
    return leadingNumber(record.mid(12, 5));
}

int replayPauseMs(QStringView record)
{
    const long long value = delayValue(record);
    return value > 0 ? static_cast<int>(std::min<long long>(value, kMaxDelayMs)) : 0;
}

std::optional<QString> normalizedRecord(QStringView record)
{
    if (isDelayRecord(record))
        return kDelayPrefix + QString::number(delayValue(record));
    EditorFields fields;
    fields.hex = isHexRecord(record);
    fields.crLf = hasCrLf(record);
    fields.data = recordData(record);
    if (fields.data.isEmpty())
        return std::nullopt;
    return buildRecord(fields);
}

bool isSendable(QStringView record)
{
    if (isDelayRecord(record) || !isHexRecord(record))
        return true;
    return hexTextFrame(recordData(record)).has_value();
}

std::optional<QByteArray> recordBytes(QStringView record)
{
    if (isDelayRecord(record) && !hasCrLf(record))
        return std::nullopt;
    const QString data = recordData(record);
    QByteArray bytes;
    if (isHexRecord(record)) {
        std::optional<QByteArray> frame = hexTextFrame(data);
        if (!frame)
            return std::nullopt;
        bytes = *frame;
    } else {
        bytes = characterFrame(data);
    }
    if (hasCrLf(record))
        bytes.append(kCrLf);
    return bytes;
}

QString displayLine(int lineNumber, QStringView record)
{
    const QString number = u"%1 "_s.arg(lineNumber, 3, 10, QChar(u'0'));
    if (isDelayRecord(record))
        return number + kDelayPrefix + record.mid(13).toString();
    return number + recordData(record) + (hasCrLf(record) ? u" +CrLf"_s : QString());
}

QByteArray programFileBytes(const QStringList& records)
{
    QByteArray out;
    for (const QString& record : records) {
        out.append('"');
        out.append(characterFrame(record));
        out.append("\"\r\n");
    }
    return out;
}

namespace {

// The characters QChar::isSpace() takes for blanks among the 256 of the one-byte code page.
bool isBlank(char c)
{
    const auto u = static_cast<unsigned char>(c);
    return u == 0x20 || (u >= 0x09 && u <= 0x0D) || u == 0x85 || u == 0xA0;
}

QByteArrayView trimmedBytes(QByteArrayView text)
{
    qsizetype from = 0;
    qsizetype to = text.size();
    while (from < to && isBlank(text[from]))
        ++from;
    while (to > from && isBlank(text[to - 1]))
        --to;
    return text.sliced(from, to - from);
}

// Hands each field of one line to take; false from take stops.
bool lineFields(QByteArrayView line, const std::function<bool(QByteArrayView)>& take)
{
    const QByteArrayView trimmed = trimmedBytes(line);
    if (trimmed.isEmpty())
        return true;
    if (trimmed.front() == '"') {
        if (trimmed.size() >= 2 && trimmed.back() == '"')
            return take(trimmed.sliced(1, trimmed.size() - 2));
        const QByteArrayView rest = trimmed.sliced(1);
        const qsizetype quote = rest.indexOf('"');
        return take(quote < 0 ? rest : rest.first(quote));
    }
    // Walked in place: a line of millions of commas makes no list of its fields.
    qsizetype from = 0;
    while (true) {
        const qsizetype comma = trimmed.indexOf(',', from);
        const qsizetype end = comma < 0 ? trimmed.size() : comma;
        if (!take(trimmedBytes(trimmed.sliced(from, end - from))))
            return false;
        if (comma < 0)
            return true;
        from = comma + 1;
    }
}

}  // namespace

void forEachProgramFileField(QByteArrayView bytes, const std::function<bool(QByteArrayView, qsizetype)>& take)
{
    const char* const begin = bytes.data();
    const char* const end = begin + bytes.size();
    const char* line = begin;
    qsizetype lineNumber = 0;
    while (line < end) {
        ++lineNumber;
        const char* lineEnd = line;
        while (lineEnd < end && *lineEnd != '\r' && *lineEnd != '\n')
            ++lineEnd;
        if (!lineFields(QByteArrayView(line, lineEnd - line),
                        [&take, lineNumber](QByteArrayView field) { return take(field, lineNumber); }))
            return;
        if (lineEnd < end && *lineEnd == '\r' && lineEnd + 1 < end && lineEnd[1] == '\n')
            ++lineEnd;
        line = lineEnd + 1;
    }
}

QStringList programFileFields(const QByteArray& bytes)
{
    QStringList fields;
    forEachProgramFileField(bytes, [&fields](QByteArrayView field, qsizetype) {
        fields << QString::fromLatin1(field);
        return true;
    });
    return fields;
}

}  // namespace tessa

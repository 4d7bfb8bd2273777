#include "receive/receive_find.h"

#include <algorithm>

namespace tessa {

namespace {

int hexValue(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9')
        return u - u'0';
    if (u >= u'A' && u <= u'F')
        return u - u'A' + 10;
    if (u >= u'a' && u <= u'f')
        return u - u'a' + 10;
    return -1;
}

}  // namespace

FoundSpans findText(QStringView log, QStringView text, Qt::CaseSensitivity sensitivity)
{
    FoundSpans spans;
    if (text.isEmpty())
        return spans;
    for (qsizetype at = log.indexOf(text, 0, sensitivity); at >= 0;
         at = log.indexOf(text, at + text.size(), sensitivity))
        spans.emplace_back(at, at + text.size());
    return spans;
}

std::optional<QByteArray> parseHexBytes(QStringView typed)
{
    QByteArray bytes;
    int high = -1;
    for (QChar c : typed) {
        if (c.isSpace()) {
            if (high >= 0)
                return std::nullopt;  // a lone digit
            continue;
        }
        const int value = hexValue(c);
        if (value < 0)
            return std::nullopt;
        if (high < 0) {
            high = value;
        } else {
            bytes.append(static_cast<char>(high << 4 | value));
            high = -1;
        }
    }
    if (high >= 0 || bytes.isEmpty())
        return std::nullopt;
    return bytes;
}

FoundSpans findBytes(QStringView hexLog, QByteArrayView bytes)
{
    FoundSpans spans;
    if (bytes.isEmpty())
        return spans;
    // The log's bytes and where each one's digits are; line breaks fall between them.
    std::vector<qsizetype> offsets;
    QByteArray values;
    offsets.reserve(static_cast<std::size_t>(hexLog.size() / 3));
    values.reserve(hexLog.size() / 3);
    for (qsizetype i = 0; i + 1 < hexLog.size();) {
        const int high = hexValue(hexLog[i]);
        const int low = hexValue(hexLog[i + 1]);
        if (high < 0 || low < 0) {
            ++i;
            continue;
        }
        offsets.push_back(i);
        values.append(static_cast<char>(high << 4 | low));
        i += 3;
    }
    const QByteArrayView all(values);
    for (qsizetype at = all.indexOf(bytes); at >= 0; at = all.indexOf(bytes, at + bytes.size())) {
        const auto first = static_cast<std::size_t>(at);
        const auto last = static_cast<std::size_t>(at + bytes.size() - 1);
        spans.emplace_back(offsets[first], offsets[last] + 2);
    }
    return spans;
}

std::optional<std::size_t> stepFound(const FoundSpans& spans, std::optional<qsizetype> from, bool forward)
{
    if (spans.empty())
        return std::nullopt;
    const auto startsBefore = [](const auto& span, qsizetype at) { return span.first < at; };
    if (forward) {
        // The first span after the current one (or the first at all); past the end: the first.
        const qsizetype after = from ? *from + 1 : 0;
        const auto next = std::lower_bound(spans.begin(), spans.end(), after, startsBefore);
        return next == spans.end() ? 0 : static_cast<std::size_t>(next - spans.begin());
    }
    // The last span before the current one (or the last at all); before the first: the last.
    if (!from)
        return spans.size() - 1;
    const auto current = std::lower_bound(spans.begin(), spans.end(), *from, startsBefore);
    return current == spans.begin() ? spans.size() - 1 : static_cast<std::size_t>(current - spans.begin() - 1);
}

}  // namespace tessa

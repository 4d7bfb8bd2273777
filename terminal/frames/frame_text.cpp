#include "frames/frame_text.h"

namespace tessa {

QByteArray characterFrame(QStringView text)
{
    QByteArray frame;
    frame.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        // A surrogate pair is one character outside the code page.
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            ++i;
        frame.append(c.unicode() <= 0xFF ? static_cast<char>(c.unicode()) : '?');
    }
    return frame;
}

QByteArray characterFrame(QStringView text, bool withCrLf)
{
    QByteArray frame = characterFrame(text);
    if (withCrLf)
        frame.append(kCrLf);
    return frame;
}

qsizetype hexTextByteCount(qsizetype textLength)
{
    const qsizetype whole = textLength / 3;
    const qsizetype rest = textLength % 3;
    // Thirds never make an exact half, but the rule is kept whole: below half down, above up,
    // and an exact half (rest * 2 == 3) to the even neighbour.
    if (rest * 2 > 3 || (rest * 2 == 3 && whole % 2 == 1))
        return whole + 1;
    return whole;
}

std::optional<std::uint8_t> parseHexByte(QStringView text)
{
    const QStringView digits = text.trimmed();
    if (digits.isEmpty())
        return std::uint8_t {0};
    unsigned value = 0;
    for (QChar c : digits) {
        const char16_t u = c.unicode();
        unsigned digit = 0;
        if (u >= u'0' && u <= u'9')
            digit = u - u'0';
        else if (u >= u'a' && u <= u'f')
            digit = u - u'a' + 10;
        else if (u >= u'A' && u <= u'F')
            digit = u - u'A' + 10;
        else
            return std::nullopt;
        value = value * 16 + digit;
        if (value > 0xFF)
            return std::nullopt;
    }
    return static_cast<std::uint8_t>(value);
}

std::optional<QByteArray> hexTextFrame(QStringView text)
{
    const qsizetype count = hexTextByteCount(text.size());
    QByteArray frame;
    frame.reserve(count);
    for (qsizetype k = 0; k < count; ++k) {
        const std::optional<std::uint8_t> byte = parseHexByte(text.mid(3 * k, 2));
        if (!byte)
            return std::nullopt;
        frame.append(static_cast<char>(*byte));
    }
    return frame;
}

}  // namespace tessa

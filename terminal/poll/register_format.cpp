#include "poll/register_format.h"

#include <bit>

namespace tessa {

QStringList formatRegisters(const QList<std::uint16_t>& registers, RegisterFormat format, WordOrder order)
{
    QStringList values;
    const bool pairs = format == RegisterFormat::Int32 || format == RegisterFormat::Float32;
    for (qsizetype i = 0; i < registers.size(); ++i) {
        const std::uint16_t r = registers[i];
        if (pairs && i + 1 < registers.size()) {
            const std::uint16_t first = r;
            const std::uint16_t second = registers[++i];
            const std::uint32_t word = order == WordOrder::HighFirst ? (std::uint32_t(first) << 16) | second
                                                                     : (std::uint32_t(second) << 16) | first;
            if (format == RegisterFormat::Int32)
                values << QString::number(static_cast<std::int32_t>(word));
            else
                values << QString::number(std::bit_cast<float>(word), 'g', 9);
            continue;
        }
        switch (format) {
        case RegisterFormat::Int16:
            values << QString::number(static_cast<std::int16_t>(r));
            break;
        case RegisterFormat::Hex:
            values << QStringLiteral("0x") + QStringLiteral("%1").arg(r, 4, 16, QLatin1Char('0')).toUpper();
            break;
        default:
            values << QString::number(r);
            break;
        }
    }
    return values;
}

namespace {
const std::pair<RegisterFormat, const char*> kFormatNames[] = {{RegisterFormat::Int16, "int16"},
                                                               {RegisterFormat::Uint16, "uint16"},
                                                               {RegisterFormat::Hex, "hex"},
                                                               {RegisterFormat::Int32, "int32"},
                                                               {RegisterFormat::Float32, "float32"}};
}

QString registerFormatName(RegisterFormat format)
{
    for (const auto& [f, name] : kFormatNames) {
        if (f == format)
            return QString::fromLatin1(name);
    }
    return {};
}

std::optional<RegisterFormat> registerFormatFromName(const QString& name)
{
    for (const auto& [f, n] : kFormatNames) {
        if (name == QLatin1String(n))
            return f;
    }
    return std::nullopt;
}

QString wordOrderName(WordOrder order)
{
    return order == WordOrder::HighFirst ? QStringLiteral("high-first") : QStringLiteral("low-first");
}

std::optional<WordOrder> wordOrderFromName(const QString& name)
{
    if (name == u"high-first")
        return WordOrder::HighFirst;
    if (name == u"low-first")
        return WordOrder::LowFirst;
    return std::nullopt;
}

}  // namespace tessa

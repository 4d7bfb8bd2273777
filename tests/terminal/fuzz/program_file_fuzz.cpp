// libFuzzer target: the program file loader and the hexadecimal text parser on arbitrary bytes.
// Besides not crashing, every record the loader accepts must survive a save and a load
// unchanged, and parsed hexadecimal text must agree with the byte count it promises.
#include "frames/frame_text.h"
#include "program/record_format.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));

    QStringList loaded;
    for (const QString& field : tessa::programFileFields(bytes)) {
        const std::optional<QString> record = tessa::normalizedRecord(field);
        if (!record || !tessa::isSendable(*record))
            continue;
        (void)tessa::displayLine(static_cast<int>(loaded.size()) + 1, *record);
        if (tessa::isDelayRecord(*record)) {
            const int pause = tessa::replayPauseMs(*record);
            if (pause < 0 || pause > tessa::kMaxDelayMs)
                std::abort();
        } else if (!tessa::recordBytes(*record)) {
            std::abort();
        }
        loaded << *record;
        if (loaded.size() == tessa::kProgramMaxLines)
            break;
    }
    if (tessa::programFileFields(tessa::programFileBytes(loaded)) != loaded)
        std::abort();

    const QString text = QString::fromLatin1(bytes);
    if (const std::optional<QByteArray> frame = tessa::hexTextFrame(text)) {
        if (frame->size() != tessa::hexTextByteCount(text.size()))
            std::abort();
    }
    return 0;
}

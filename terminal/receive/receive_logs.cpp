#include "receive/receive_logs.h"

#include <cstdint>

namespace tessa {
namespace {

constexpr char16_t kHexDigits[] = u"0123456789ABCDEF";

QChar displayedCharacter(std::uint8_t byte, qsizetype index, qsizetype count)
{
    if (byte == 0x0D && index != count - 1)
        return u' ';
    if (byte == 0x0A && index != 0)
        return u' ';
    if (byte < 0x20 || byte >= 0x7F)
        return u'.';
    return QChar(byte);
}

}  // namespace

bool ReceiveLogs::appendRead(QByteArrayView bytes)
{
    const qsizetype count = bytes.size();
    hexLog_.reserve(hexLog_.size() + 3 * count + 2);
    charLog_.reserve(charLog_.size() + count + 2);

    bool afterCr = false;  // the previous byte of this read was 0D
    for (qsizetype i = 0; i < count; ++i) {
        const auto byte = static_cast<std::uint8_t>(bytes[i]);
        const QChar hex[3] = {QChar(kHexDigits[byte >> 4]), QChar(kHexDigits[byte & 0x0F]), QChar(u' ')};
        hexLog_.append(hex, 3);
        charLog_.append(displayedCharacter(byte, i, count));
        if (afterCr && byte == 0x0A) {
            hexLog_.append(u"\r\n");
            charLog_.append(u"\r\n");
        }
        afterCr = byte == 0x0D;
    }
    displayPending_ = true;

    if (hexLog_.size() > kHexLogLimit) {
        if (limitObserver_)
            limitObserver_(hexLog_, charLog_);
        hexLog_.clear();
        charLog_.clear();
        ++generation_;
        return true;
    }
    return false;
}

void ReceiveLogs::appendHexLineBreak()
{
    hexLog_.append(u"\r\n");
}

void ReceiveLogs::clear()
{
    hexLog_.clear();
    charLog_.clear();
    ++generation_;
}

bool ReceiveLogs::takeDisplayPending()
{
    const bool pending = displayPending_;
    displayPending_ = false;
    return pending;
}

}  // namespace tessa

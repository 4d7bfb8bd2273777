#include "receive/receive_logs.h"

#include <algorithm>
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
    bool emptied = false;
    // A read that would carry the hex log past the limit empties both logs before it is
    // appended, so the newest bytes are always in the logs (and on screen). A read too long for
    // even an empty log is appended the same way byte by byte, emptying whenever the next
    // byte would not fit; it is still formatted as one read.
    if (hexLog_.size() + hexLength(bytes) > kHexLogLimit) {
        startAgain();
        emptied = true;
    }
    hexLog_.reserve(std::min(hexLog_.size() + 3 * count + 2, kHexLogLimit));
    charLog_.reserve(std::min(charLog_.size() + count + 2, kHexLogLimit));

    bool afterCr = false;  // the previous byte of this read was 0D
    for (qsizetype i = 0; i < count; ++i) {
        const auto byte = static_cast<std::uint8_t>(bytes[i]);
        const bool endsPair = afterCr && byte == 0x0A;
        if (hexLog_.size() + (endsPair ? 5 : 3) > kHexLogLimit) {
            startAgain();
            emptied = true;
        }
        const QChar hex[3] = {QChar(kHexDigits[byte >> 4]), QChar(kHexDigits[byte & 0x0F]), QChar(u' ')};
        hexLog_.append(hex, 3);
        charLog_.append(displayedCharacter(byte, i, count));
        if (endsPair) {
            hexLog_.append(u"\r\n");
            charLog_.append(u"\r\n");
        }
        afterCr = byte == 0x0D;
    }
    displayPending_ = true;
    return emptied;
}

qsizetype ReceiveLogs::pieceEnd(QByteArrayView bytes, qsizetype atLeast)
{
    qsizetype cut = std::max<qsizetype>(atLeast, 1);
    while (cut < bytes.size() && (bytes[cut - 1] == '\r' || bytes[cut] == '\n'))
        ++cut;
    return std::min(cut, bytes.size());
}

qsizetype ReceiveLogs::hexLength(QByteArrayView bytes)
{
    qsizetype pairs = 0;
    for (qsizetype i = 1; i < bytes.size(); ++i)
        pairs += bytes[i - 1] == '\r' && bytes[i] == '\n';
    return 3 * bytes.size() + 2 * pairs;
}

void ReceiveLogs::startAgain()
{
    if (limitObserver_)
        limitObserver_(hexLog_, charLog_);
    hexLog_.clear();
    charLog_.clear();
    ++generation_;
}

void ReceiveLogs::appendCharacterStamp(QStringView stamp)
{
    if (!charLog_.isEmpty() && !charLog_.endsWith(u'\n'))
        charLog_.append(u"\r\n");
    charLog_.append(stamp);
    displayPending_ = true;
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

#include "autotest/auto_test.h"

using namespace Qt::StringLiterals;

namespace tessa {

bool countsAsAnswer(int deviceRow, const QString& judgedText)
{
    if (judgedText.isEmpty())
        return false;
    if (deviceRow == kDeviceRowHmi)
        return judgedText.left(2) == u"TT"_s;
    if (deviceRow == kDeviceRowK5Ring)
        return judgedText.left(5) == u"01 03"_s;
    return true;
}

QString judgedText(int deviceRow, QByteArrayView reply)
{
    if (deviceRow == kDeviceRowHmi)
        return QString::fromLatin1(reply);
    // As the hexadecimal view shows bytes: upper-case pairs, each followed by a space.
    QString text;
    text.reserve(reply.size() * 3);
    for (const char byte : reply)
        text += QString::asprintf("%02X ", static_cast<unsigned char>(byte));
    return text;
}

QString autoTestSummary(const QString& deviceTypeText, const PortTable& answered)
{
    const QString lineEnd = u"\n\r"_s;
    QString text = u"Finished Autotest!!!"_s + lineEnd + deviceTypeText + lineEnd;
    QString found;
    for (int port = 1; port <= kAutoTestLastPort; ++port)
        if (answered[static_cast<std::size_t>(port)] == 1)
            found += u"Maybe COM"_s + QString::number(port) + lineEnd;
    return text + (found.isEmpty() ? u"Could not found!!!"_s : found);
}

void AutoTest::start()
{
    scanPort_ = 1;
    state_ = Disconnect;
    probeSent_ = false;
    running_ = true;
    for (int port = 1; port <= kAutoTestLastPort; ++port)
        answered_[static_cast<std::size_t>(port)] = 0;
}

bool AutoTest::tick()
{
    if (!running_)
        return false;
    switch (state_) {
    case Disconnect:
        if (window_.connected())
            window_.disconnect();
        state_ = Connect;
        return false;
    case Connect:
        window_.connectTo(scanPort_);
        state_ = Send;
        return false;
    case Send:
        // The hexadecimal view shows the whole receive log: cleared first, it starts with this
        // probe's answer, as the "01 03" rule of "Dorva K5 Ring .." needs. Cleared also when
        // the connect failed, so earlier traffic is never judged as this port's answer.
        window_.clearReceiveDisplay();
        reply_.clear();
        probeSent_ = window_.connectSucceeded();
        if (probeSent_) {
            if (window_.deviceRow() == kDeviceRowHmi)
                window_.writeString(u"0930"_s);
            else
                window_.sendChecksumFrame();
        }
        state_ = Judge;
        return false;
    case Judge:
        break;
    }
    // The reply is judged as it came, not from the views: the receive poll never shows the
    // bytes of "Dorva HMI", and no HMI device could be found in an empty view. A port that
    // never opened cannot have answered.
    if (probeSent_ && window_.connectSucceeded()
        && countsAsAnswer(window_.deviceRow(), judgedText(window_.deviceRow(), reply_))) {
        const int port = window_.portInText1();
        if (isPortNumberInTables(port))
            answered_[static_cast<std::size_t>(port)] = 1;
    }
    window_.clearHexView();
    reply_.clear();
    do
        ++scanPort_;
    while (scanPort_ < kAutoTestLastPort + 1 && window_.availability(scanPort_) != 1);
    state_ = Disconnect;
    if (scanPort_ < kAutoTestLastPort + 1)
        return false;
    running_ = false;
    return true;
}

}  // namespace tessa

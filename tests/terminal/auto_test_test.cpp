// The auto test's state machine against a scripted window: which ports it visits, what it
// sends, what counts as an answer and the summary it ends with.
#include "autotest/auto_test.h"

#include <QRegularExpression>
#include <QStringList>
#include <gtest/gtest.h>

#include <map>
#include <utility>

using namespace tessa;

namespace {

// A window whose ports open or not and answer or not as the test says.
class ScriptedWindow : public AutoTestWindow {
public:
    std::map<int, bool> opens;  // port -> open succeeds (missing: fails)
    std::map<int, QByteArray> replies;  // port -> bytes the device sends back after a send
    std::map<int, QByteArray> noise;  // port -> bytes that arrive right after the connect
    PortTable available {};
    int row = 2;
    QString rowText = QStringLiteral("Dorva Encoder/Creel");
    bool isConnected = false;
    int port = 0;
    std::int16_t succeeded = 0;
    QString hexView = QStringLiteral("4F 4B ");  // the box, with earlier traffic
    QByteArray pending;  // arrived, delivered to the test after the tick
    QStringList log;

    bool connected() const override { return isConnected; }
    void disconnect() override
    {
        log << QStringLiteral("disconnect");
        isConnected = false;
    }
    void connectTo(int portNumber) override
    {
        port = portNumber;
        log << QStringLiteral("connect %1").arg(portNumber);
        isConnected = opens.count(portNumber) && opens[portNumber];
        succeeded = isConnected ? 1 : 0;
        available[static_cast<std::size_t>(portNumber)] = succeeded;
        if (isConnected && noise.count(portNumber))
            pending += noise[portNumber];
    }
    int portInText1() const override { return port; }
    bool connectSucceeded() const override { return succeeded == 1; }
    int deviceRow() const override { return row; }
    QString deviceTypeText() const override { return rowText; }
    void writeString(const QString& text) override
    {
        log << QStringLiteral("write ") + text;
        answer();
    }
    void sendChecksumFrame() override
    {
        log << QStringLiteral("frame");
        answer();
    }
    void clearHexView() override { hexView.clear(); }
    void clearReceiveDisplay() override
    {
        log << QStringLiteral("clear");
        hexView.clear();
    }
    std::int16_t availability(int portNumber) const override { return available[static_cast<std::size_t>(portNumber)]; }

    void answer()
    {
        if (replies.count(port))
            pending += replies[port];
    }
};

// One tick of the test, then what arrived meanwhile is delivered (as the receive poll does
// between two of its ticks).
bool step(AutoTest& test, ScriptedWindow& window)
{
    const bool ended = test.tick();
    test.received(std::exchange(window.pending, QByteArray()));
    return ended;
}

int runToEnd(AutoTest& test, ScriptedWindow& window)
{
    int ticks = 0;
    while (!step(test, window)) {
        ++ticks;
        if (ticks > 1000)
            break;
    }
    return ticks + 1;
}

}  // namespace

TEST(AutoTestAnswers, DeviceTypeRules)
{
    EXPECT_FALSE(countsAsAnswer(2, QString()));
    EXPECT_TRUE(countsAsAnswer(2, QStringLiteral("FF ")));
    EXPECT_TRUE(countsAsAnswer(3, QStringLiteral("x")));
    EXPECT_TRUE(countsAsAnswer(kDeviceRowHmi, QStringLiteral("TT01")));
    EXPECT_FALSE(countsAsAnswer(kDeviceRowHmi, QStringLiteral("54 54 ")));
    EXPECT_FALSE(countsAsAnswer(kDeviceRowHmi, QStringLiteral("T")));
    EXPECT_TRUE(countsAsAnswer(kDeviceRowK5Ring, QStringLiteral("01 03 02 00 01 ")));
    EXPECT_FALSE(countsAsAnswer(kDeviceRowK5Ring, QStringLiteral("01 04 ")));
    EXPECT_FALSE(countsAsAnswer(kDeviceRowK5Ring, QString()));
    // The reply's bytes as the hexadecimal view shows them, or for an HMI as characters.
    EXPECT_EQ(judgedText(kDeviceRowK5Ring, QByteArray("\x01\x03\xAF", 3)), QStringLiteral("01 03 AF "));
    EXPECT_EQ(judgedText(2, QByteArray()), QString());
    EXPECT_EQ(judgedText(kDeviceRowHmi, QByteArray("TT\x01", 3)), QStringLiteral("TT\x01"));
}

TEST(AutoTestSummary, ListsAnsweringPortsOrSaysNoneFound)
{
    PortTable answered {};
    EXPECT_EQ(autoTestSummary(QStringLiteral("Dorva HMI"), answered),
              QStringLiteral("Finished Autotest!!!\n\rDorva HMI\n\rCould not found!!!"));
    answered[7] = 1;
    answered[20] = 1;
    answered[21] = 1;  // beyond the scan: never listed
    EXPECT_EQ(autoTestSummary(QStringLiteral("Dorva Rotatory"), answered),
              QStringLiteral("Finished Autotest!!!\n\rDorva Rotatory\n\rMaybe COM7\n\rMaybe COM20\n\r"));
}

TEST(AutoTestScan, FourTicksPerPortAndOnlyTheAnsweringPortIsListed)
{
    ScriptedWindow window;
    for (int p = 1; p <= 20; ++p)
        window.available[static_cast<std::size_t>(p)] = 1;
    window.opens = {{3, true}, {7, true}};
    window.replies = {{7, QByteArray("OK")}};
    window.isConnected = true;  // a connection the user had: closed first
    AutoTest test(window);
    test.start();
    EXPECT_EQ(runToEnd(test, window), 80);
    EXPECT_FALSE(test.running());
    EXPECT_EQ(window.log.first(), QStringLiteral("disconnect"));
    EXPECT_EQ(window.log.count(QStringLiteral("frame")), 2);  // only the two ports that opened
    EXPECT_EQ(test.summary(), QStringLiteral("Finished Autotest!!!\n\rDorva Encoder/Creel\n\rMaybe COM7\n\r"));
    // The hex view is emptied after each judgement.
    EXPECT_TRUE(window.hexView.isEmpty());
}

TEST(AutoTestScan, FailedPortsAreSkippedNextTimeButPortOneIsAlwaysProbed)
{
    ScriptedWindow window;
    for (int p = 1; p <= 20; ++p)
        window.available[static_cast<std::size_t>(p)] = 1;
    window.opens = {{5, true}, {9, true}};
    AutoTest test(window);
    test.start();
    runToEnd(test, window);
    window.log.clear();
    test.start();
    // Port 1 (the start), then 5 and 9 only.
    EXPECT_EQ(runToEnd(test, window), 12);
    EXPECT_EQ(window.log.filter(QStringLiteral("connect ")), QStringList({"connect 1", "connect 5", "connect 9"}));
}

TEST(AutoTestScan, HmiGetsTheStringAndNeedsTT)
{
    ScriptedWindow window;
    window.row = kDeviceRowHmi;
    window.rowText = QStringLiteral("Dorva HMI");
    for (int p = 1; p <= 3; ++p)
        window.available[static_cast<std::size_t>(p)] = 1;
    window.opens = {{1, true}, {2, true}, {3, true}};
    // An HMI's reply is judged as characters (the receive views never show it); COM3 opens
    // but stays silent.
    window.replies = {{1, QByteArray("TT0930")}, {2, QByteArray("XTT")}};
    AutoTest test(window);
    test.start();
    runToEnd(test, window);
    EXPECT_EQ(window.log.count(QStringLiteral("write 0930")), 3);
    EXPECT_EQ(window.log.count(QStringLiteral("frame")), 0);
    EXPECT_EQ(test.answered()[1], 1);
    EXPECT_EQ(test.answered()[2], 0);
    EXPECT_EQ(test.answered()[3], 0);
}

TEST(AutoTestScan, K5RingJudgesTheAnswerToThisProbeAlone)
{
    ScriptedWindow window;
    window.row = kDeviceRowK5Ring;
    window.rowText = QStringLiteral("Dorva K5 Ring ..");
    for (int p = 1; p <= 20; ++p)
        window.available[static_cast<std::size_t>(p)] = 1;
    window.opens = {{3, true}, {7, true}};
    // COM3 answers something else first; its bytes must not stand before COM7's answer, nor
    // must what COM7 sent before the probe went out.
    window.replies = {{3, QByteArray("\x15\x11")}, {7, QByteArray("\x01\x03\x02\x00\x64\xB9\xAF", 7)}};
    window.noise = {{7, QByteArray("\x15")}};
    AutoTest test(window);
    test.start();
    runToEnd(test, window);
    // Every probe clears before it sends (and before judging, also where the connect failed).
    const QStringList steps = window.log.filter(QRegularExpression(QStringLiteral("^(clear|frame)$")));
    EXPECT_EQ(steps.count(QStringLiteral("frame")), 2);
    EXPECT_EQ(steps.count(QStringLiteral("clear")), 20);
    for (qsizetype i = 0; i < steps.size(); ++i) {
        if (steps[i] == QStringLiteral("frame")) {
            EXPECT_EQ(steps.value(i - 1), QStringLiteral("clear"));
        }
    }
    EXPECT_EQ(test.summary(), QStringLiteral("Finished Autotest!!!\n\rDorva K5 Ring ..\n\rMaybe COM7\n\r"));
}

TEST(AutoTestScan, RestartClearsAnswersAndStopEndsTheScan)
{
    ScriptedWindow window;
    window.available[1] = 1;
    window.available[2] = 1;
    window.opens = {{1, true}, {2, true}};
    window.replies = {{1, QByteArray("\xAA")}};
    AutoTest test(window);
    test.start();
    for (int i = 0; i < 4; ++i)
        step(test, window);
    EXPECT_EQ(test.answered()[1], 1);
    EXPECT_EQ(test.scanPort(), 2);
    test.start();
    EXPECT_EQ(test.answered()[1], 0);
    EXPECT_EQ(test.scanPort(), 1);
    step(test, window);
    test.stop();
    EXPECT_FALSE(test.running());
    const qsizetype before = window.log.size();
    EXPECT_FALSE(test.tick());
    EXPECT_EQ(window.log.size(), before);
}

TEST(AutoTestScan, APortThatNeverOpenedIsNeverCounted)
{
    // Earlier traffic fills the views and COM1 leads nowhere: neither the old text nor bytes
    // that still come in (from the port closed before) may make the failed port an answer.
    for (const bool lateBytes : {false, true}) {
        ScriptedWindow window;
        window.available[1] = 1;
        AutoTest test(window);
        test.start();
        for (int i = 0; i < 2; ++i)
            step(test, window);  // disconnect, connect (fails)
        step(test, window);  // send: nothing goes out
        if (lateBytes)
            test.received("OK");
        EXPECT_TRUE(step(test, window));
        EXPECT_EQ(test.answered()[1], 0) << lateBytes;
        EXPECT_EQ(window.log.count(QStringLiteral("frame")), 0);
        EXPECT_EQ(test.summary(), QStringLiteral("Finished Autotest!!!\n\rDorva Encoder/Creel\n\rCould not found!!!"));
    }
}

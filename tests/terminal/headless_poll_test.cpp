// tessa-run --poll against Debian's libmodbus slave, and `tessa --run` with no display.
#include "support/modbus_slave.h"
#include "support/pty_pair.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <iostream>

using tessa::testing::ModbusSlave;

namespace {

struct Finished {
    int status = -1;
    QString output;
};

Finished runProgram(const QString& program, const QStringList& arguments, const QString& dir,
                    const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment())
{
    QProcess process;
    process.setWorkingDirectory(dir);
    process.setProcessEnvironment(environment);
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    EXPECT_TRUE(process.waitForFinished(120000));
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromUtf8(process.readAll())};
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

class HeadlessPoll : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(pty.ready());
        ASSERT_TRUE(slave.ready());
        ASSERT_TRUE(dir.isValid());
    }
    Finished poll(const QStringList& arguments)
    {
        return runProgram(TESSA_RUN_PROGRAM, QStringList {"--port", pty.nearPath(), "--baud", "115200"} + arguments,
                          dir.path());
    }

    tessa::testing::PtyPair pty;
    ModbusSlave slave {pty.farPath()};
    QTemporaryDir dir;
};

}  // namespace

// 500 reads as fast as the slave answers: all good, exit 0, every request in the CSV log and
// one passed JUnit case.
TEST_F(HeadlessPoll, GoodPollPassesWithItsCsvLog)
{
    const auto run =
        poll({"--poll", "1,3,0x200,2", "--count", "500", "--format", "hex", "--csv", "poll.csv", "--junit", "p.xml"});
    EXPECT_EQ(run.status, 0) << run.output.toStdString();
    EXPECT_TRUE(run.output.contains("PASSED: 500 requests: 500 good, 0 mismatch, 0 exception, 0 no reply; round trip"))
        << run.output.toStdString();
    std::cout << run.output.toStdString();
    const QList<QByteArray> lines = readFile(dir.filePath("poll.csv")).split('\n');
    ASSERT_EQ(lines.size(), 502);
    EXPECT_EQ(lines[0], "time,request,reply,verdict,values");
    int wrong = 0;
    for (qsizetype i = 1; i <= 500; ++i)
        wrong += !lines[i].endsWith(",01 03 02 00 00 02 C5 B3,01 03 04 12 34 AB CD 00 20,good,0x1234 0xABCD");
    EXPECT_EQ(wrong, 0);
    const QByteArray junit = readFile(dir.filePath("p.xml"));
    EXPECT_TRUE(junit.contains("<testcase name=\"poll\"")) << junit.constData();
    EXPECT_FALSE(junit.contains("<failure"));
}

// Exceptions, values not those expected and a slave that is not there fail the run (1); a poll
// that cannot be asked is unusable (2).
TEST_F(HeadlessPoll, BadVerdictsFailAndBadOptionsAreUnusable)
{
    auto run = poll({"--poll", "1,3,0x302,1", "--count", "5", "--junit", "e.xml"});
    EXPECT_EQ(run.status, 1) << run.output.toStdString();
    EXPECT_TRUE(run.output.contains("5 requests: 0 good, 0 mismatch, 5 exception, 0 no reply"))
        << run.output.toStdString();
    EXPECT_TRUE(readFile(dir.filePath("e.xml")).contains("<failure"));

    run = poll({"--poll", "1,3,0x200,2", "--count", "5", "--expect", "0x1234,0"});
    EXPECT_EQ(run.status, 1) << run.output.toStdString();
    EXPECT_TRUE(run.output.contains("0 good, 5 mismatch")) << run.output.toStdString();
    run = poll({"--poll", "1,3,0x200,2", "--count", "5", "--expect", "0x1234,0xabcd"});
    EXPECT_EQ(run.status, 0) << run.output.toStdString();

    run = poll({"--poll", "9,3,0x200,2", "--count", "3", "--reply-timeout", "50"});
    EXPECT_EQ(run.status, 1) << run.output.toStdString();
    EXPECT_TRUE(run.output.contains("0 exception, 3 no reply")) << run.output.toStdString();

    for (const QStringList& bad :
         {QStringList {"--poll", "1,5,0,1"}, QStringList {"--poll", "1,3,0,126"},
          QStringList {"--poll", "1,3,0,2", "--format", "decimal"}, QStringList {"--poll", "1,3,0,2", "--run", "x.lua"},
          QStringList {"--poll", "1,3,0,2", "--csv", "/no/such/dir/p.csv"}}) {
        run = poll(bad);
        EXPECT_EQ(run.status, 2) << bad.join(' ').toStdString() << "\n" << run.output.toStdString();
    }
}

// `tessa --run` is tessa-run's run, with no display at all (a QApplication would abort here).
TEST_F(HeadlessPoll, TessaRunsAScriptWithNoDisplay)
{
    QProcessEnvironment bare = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        bare.remove(QString::fromLatin1(name));
    QFile good(dir.filePath("good.lua"));
    ASSERT_TRUE(good.open(QIODevice::WriteOnly));
    good.write(
        R"(step("read", function() local r = modbus.read(1, 0x200, 2) assert(r.verdict == "good" and r.values[2] == 0xABCD, r.text) end))");
    good.close();
    QFile bad(dir.filePath("bad.lua"));
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
    bad.write(R"(step("nothing", function() expect("never said", 200) end))");
    bad.close();
    const QStringList port {"--port", pty.nearPath(), "--baud", "115200"};
    auto run =
        runProgram(TESSA_PROGRAM, QStringList {"--run", "good.lua", "--junit", "g.xml"} + port, dir.path(), bare);
    EXPECT_EQ(run.status, 0) << run.output.toStdString();
    EXPECT_TRUE(readFile(dir.filePath("g.xml")).contains("<testcase name=\"read\""));
    run = runProgram(TESSA_PROGRAM, QStringList {"--run", "bad.lua"} + port, dir.path(), bare);
    EXPECT_EQ(run.status, 1) << run.output.toStdString();
    EXPECT_TRUE(run.output.contains("FAILED: step \"nothing\"")) << run.output.toStdString();
    run = runProgram(TESSA_PROGRAM, QStringList {"--run", "absent.lua"} + port, dir.path(), bare);
    EXPECT_EQ(run.status, 2) << run.output.toStdString();
}

#include "headless/run_options.h"

#include "support/device_process.h"
#include "support/pty_pair.h"
#include "support/wait_for.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QXmlStreamReader>

using namespace tessa;
using tessa::testing::waitFor;

namespace {

struct Finished {
    int status = -1;
    QString output;
};

// tessa-run with arguments, in dir, to its end.
Finished runTessa(const QStringList& arguments, const QString& dir)
{
    QProcess process;
    process.setWorkingDirectory(dir);
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(TESSA_RUN_PROGRAM, arguments);
    EXPECT_TRUE(process.waitForFinished(60000));
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromUtf8(process.readAll())};
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The JUnit report's structure: testsuites > testsuite > testcase*, the counts in both agreeing
// with the cases; each case as "name" or "name: failure message" / "name: error message".
struct JunitCases {
    bool wellFormed = false;
    QStringList cases;
    int failures = -1;
    int errors = -1;
};

JunitCases readJunit(const QByteArray& xml)
{
    JunitCases junit;
    QXmlStreamReader reader(xml);
    if (!reader.readNextStartElement() || reader.name() != u"testsuites")
        return junit;
    const int tests = reader.attributes().value("tests").toInt();
    junit.failures = reader.attributes().value("failures").toInt();
    junit.errors = reader.attributes().value("errors").toInt();
    if (!reader.readNextStartElement() || reader.name() != u"testsuite"
        || reader.attributes().value("tests").toInt() != tests
        || reader.attributes().value("failures").toInt() != junit.failures
        || reader.attributes().value("errors").toInt() != junit.errors
        || reader.attributes().value("timestamp").isEmpty())
        return junit;
    int failures = 0;
    int errors = 0;
    while (reader.readNextStartElement()) {
        if (reader.name() != u"testcase" || reader.attributes().value("classname").isEmpty()
            || reader.attributes().value("time").isEmpty())
            return junit;
        QString text = reader.attributes().value("name").toString();
        while (reader.readNextStartElement()) {
            if (reader.name() != u"failure" && reader.name() != u"error")
                return junit;
            (reader.name() == u"failure" ? failures : errors)++;
            text += QStringLiteral(": %1 %2").arg(reader.name().toString(),
                                                  reader.attributes().value("message").toString());
            reader.skipCurrentElement();
        }
        junit.cases << text;
    }
    reader.readNext();
    junit.wellFormed =
        !reader.hasError() && junit.cases.size() == tests && failures == junit.failures && errors == junit.errors;
    return junit;
}

}  // namespace

TEST(RunOptions, RefusesWhatCannotBeRun)
{
    QString error;
    const auto options =
        parseRunOptions({"tessa-run", "--run", "a.lua", "--port", "3", "--baud", "19200", "--parity", "e",
                         "--data-bits", "7", "--stop-bits", "2", "--flow", "rts/cts", "--junit", "j.xml"},
                        &error);
    ASSERT_TRUE(options) << error.toStdString();
    EXPECT_EQ(options->line,
              (LineSettings {19200, LineSettings::Parity::Even, 7, 2, LineSettings::FlowControl::RtsCts}));
    EXPECT_EQ(std::tuple(options->script, options->port, options->junitFile, options->loops),
              std::tuple("a.lua", "3", "j.xml", 1));

    const QStringList refused[] = {{"--port", "1"},
                                   {"--run", "a", "--program", "b", "--port", "1"},
                                   {"--run", "a"},
                                   {"--program", "p", "--loop", "0", "--port", "1"},
                                   {"--run", "a", "--port", "1", "--baud", "fast"},
                                   {"--run", "a", "--port", "1", "--parity", "m"},
                                   {"--run", "a", "--port", "1", "--flow", "dsr"},
                                   {"--run", "a", "--port", "1", "--bogus"},
                                   {"--run", "a", "--port", "1", "extra"}};
    for (const auto& arguments : refused) {
        error.clear();
        EXPECT_FALSE(parseRunOptions(QStringList {"tessa-run"} + arguments, &error))
            << arguments.join(' ').toStdString();
        EXPECT_FALSE(error.isEmpty()) << arguments.join(' ').toStdString();
    }
}

// A script against the simulated device: passing and failing runs with their exit statuses,
// their JUnit reports and traffic logs; unusable ports and scripts give 2.
TEST(HeadlessRun, ScriptsAgainstTheSimulatedDevice)
{
    tessa::testing::DeviceProcess device(TESSA_DEVICE_PROGRAM, {"--quiet"});
    ASSERT_TRUE(device.ready()) << device.problem().toStdString();
    QTemporaryDir dir;
    writeFile(dir.filePath("good.lua"), R"(
step("version", function() send_line("ver") expect("VER tessa-device*\r\n", 3000) end)
step("self test", function() send_line("test") log(expect("TEST ??", 3000)) end)
)");
    writeFile(dir.filePath("bad.lua"), R"(
step("version", function() send_line("ver") expect("VER tessa-device*\r\n", 3000) end)
step("position", function() send_line("c53") expect("POS=42\r\n", 500) end)
step("after", function() end)
)");
    const QStringList common {"--port", device.path(), "--baud", "115200"};

    auto run =
        runTessa(QStringList {"--run", "good.lua", "--junit", "good.xml", "--log", "good.log"} + common, dir.path());
    EXPECT_EQ(run.status, 0) << run.output.toStdString();
    EXPECT_TRUE(run.output.contains("PASSED: 2 of 2 steps")) << run.output.toStdString();
    auto junit = readJunit(readFile(dir.filePath("good.xml")));
    EXPECT_TRUE(junit.wellFormed);
    EXPECT_EQ(junit.cases, (QStringList {"version", "self test"}));
    const QList<QByteArray> log = readFile(dir.filePath("good.log")).split('\n');
    ASSERT_GE(log.size(), 5);
    EXPECT_EQ(log[0], "time\tgap_ms\tdir\tcount\thex\ttext");
    EXPECT_TRUE(log[1].endsWith("\tTX\t5\t76 65 72 0D 0A\tver..")) << log[1].constData();
    EXPECT_TRUE(readFile(dir.filePath("good.log")).contains("\tNOTE\t0\t\tTEST OK")) << log.join('\n').constData();

    run = runTessa(QStringList {"--run", "bad.lua", "--junit", "bad.xml", "--quiet"} + common, dir.path());
    EXPECT_EQ(run.status, 1) << run.output.toStdString();
    EXPECT_TRUE(run.output.contains(
        R"(FAILED: step "position": bad.lua:3: expect "POS=42\r\n" timed out after 500 ms; last bytes received: ")"))
        << run.output.toStdString();
    EXPECT_TRUE(run.output.contains(R"(\r\nPOS=0\r\n" ()")) << run.output.toStdString();
    junit = readJunit(readFile(dir.filePath("bad.xml")));
    EXPECT_TRUE(junit.wellFormed);
    ASSERT_EQ(junit.cases.size(), 2);
    EXPECT_EQ(junit.cases[0], "version");
    EXPECT_TRUE(junit.cases[1].startsWith(R"(position: failure bad.lua:3: expect "POS=42\r\n" timed out)"))
        << junit.cases[1].toStdString();
    EXPECT_EQ(std::tuple(junit.failures, junit.errors), std::tuple(1, 0));

    // The example shipped with tessa passes on the simulated device.
    run = runTessa(QStringList {"--run", TESSA_EXAMPLE_SCRIPT, "--junit", "example.xml"} + common, dir.path());
    EXPECT_EQ(run.status, 0) << run.output.toStdString();
    EXPECT_EQ(readJunit(readFile(dir.filePath("example.xml"))).cases.size(), 5) << run.output.toStdString();

    writeFile(dir.filePath("broken.lua"), "step('x', function() end");
    const QStringList unusable[] = {QStringList {"--run", "good.lua", "--port", dir.filePath("no-such-port")},
                                    QStringList {"--run", "missing.lua"} + common,
                                    QStringList {"--run", "broken.lua", "--junit", "broken.xml"} + common,
                                    QStringList {"--run", "good.lua", "--port", "99"},
                                    QStringList {"--run", "good.lua", "--loop", "x"} + common,
                                    QStringList {"--run", "good.lua", "--answers", "missing.json"} + common};
    for (const auto& arguments : unusable) {
        run = runTessa(arguments, dir.path());
        EXPECT_EQ(run.status, 2) << arguments.join(' ').toStdString() << "\n" << run.output.toStdString();
    }
    EXPECT_TRUE(readJunit(readFile(dir.filePath("broken.xml"))).wellFormed);
}

// A scripted peer prompts for a login; an answer rule gives it, and the script waits for the
// welcome. A program file replays to the peer twice, unchanged in format.
TEST(HeadlessRun, AnswersPromptsAndReplaysPrograms)
{
    tessa::testing::PtyPair pty;
    ASSERT_TRUE(pty.ready());
    tessa::testing::FarEnd peer(pty.farPath());
    ASSERT_TRUE(peer.isOpen());
    QTemporaryDir dir;
    writeFile(dir.filePath("answers.json"),
              R"([{"name":"login","pattern":"login: ","action":"send","frame":{"data":"admin","crlf":true}},
            {"name":"mark","form":"hex","pattern":"07 ??","action":"note","note":"bell heard"}])");
    writeFile(dir.filePath("login.lua"), R"(step("login", function() expect("welcome", 5000) end))");

    QProcess process;
    process.setWorkingDirectory(dir.path());
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(TESSA_RUN_PROGRAM,
                  {"--run", "login.lua", "--port", pty.nearPath(), "--answers", "answers.json", "--log", "t.log"});
    ASSERT_TRUE(process.waitForStarted());
    // The port is open once the script's runner is; the prompt may have to be said again.
    QByteArray heard;
    ASSERT_TRUE(waitFor(
        [&] {
            peer.write("login: ");
            heard += peer.read(7, 300);
            return heard.contains("admin\r\n");
        },
        20000));
    peer.write(QByteArray("\x07\x01") + "welcome\r\n");
    ASSERT_TRUE(waitFor([&] { return process.state() == QProcess::NotRunning; }, 20000));
    EXPECT_EQ(process.exitCode(), 0) << process.readAll().constData();
    EXPECT_TRUE(readFile(dir.filePath("t.log")).contains("\tNOTE\t0\t\tbell heard"));

    writeFile(dir.filePath("steps.txt"), "\"(C)DAver\"\r\n\"SYSTEM DELAY 50\"\r\n\"(H)  01 02 FF\"\r\n");
    process.start(TESSA_RUN_PROGRAM, {"--program", "steps.txt", "--loop", "2", "--port", pty.nearPath()});
    const QByteArray expected = QByteArray("ver\r\n\x01\x02\xFF", 8).repeated(2);
    EXPECT_EQ(peer.read(expected.size(), 20000), expected);
    ASSERT_TRUE(waitFor([&] { return process.state() == QProcess::NotRunning; }, 20000));
    EXPECT_EQ(process.exitCode(), 0);
    EXPECT_TRUE(process.readAll().contains("program steps.txt: 4 records sent in 2 passes"));
}

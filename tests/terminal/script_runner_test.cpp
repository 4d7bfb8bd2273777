#include "script/script_runner.h"
#include "serial/serial_port.h"

#include "support/device_process.h"
#include "support/modbus_slave.h"
#include "support/pty_pair.h"
#include "support/wait_for.h"

#include <gtest/gtest.h>

#include <QTimer>

#include <memory>

using namespace tessa;
using tessa::testing::waitFor;

namespace {

// A runner on a real port at path (none: no line), its output collected.
class ScriptRun {
public:
    explicit ScriptRun(const QString& path = {})
    {
        if (!path.isEmpty()) {
            port.setPortResolver([path](int) { return path; });
            port.setPortNumber(1);
            port.setSettings(QStringLiteral("115200,n,8,1"));
            opened = port.open();
            port.deliverOnArrival(this, true);
            QObject::connect(&port, &SerialPort::received, &runner,
                             [this](const ReceivedChunk& chunk) { runner.received(chunk.bytes); });
        }
        QObject::connect(&runner, &ScriptRunner::output, [this](const QString& line) { output << line; });
    }

    ScriptOutcome run(const QByteArray& source)
    {
        runner.start(source, QStringLiteral("check.lua"));
        EXPECT_TRUE(waitFor([this] { return !runner.isRunning(); }, 30000));
        return runner.outcome();
    }

    SerialPort port;
    bool opened = false;
    ScriptRunner runner {{[this](QByteArrayView b) { return port.write(b); }, &port}};
    QStringList output;
};

QStringList stepNames(const ScriptOutcome& outcome)
{
    QStringList names;
    for (const auto& step : outcome.steps)
        names << step.name + (step.passed ? "" : " FAILED");
    return names;
}

}  // namespace

// The simulated device answers its commands: a script that expects its answers passes; one that
// expects another version fails in that step, saying what it waited for, how long, and what came.
TEST(ScriptRunner, StepsAgainstTheSimulatedDevicePassAndFail)
{
    tessa::testing::DeviceProcess device(TESSA_DEVICE_PROGRAM, {"--quiet"});
    ASSERT_TRUE(device.ready()) << device.problem().toStdString();
    ScriptRun run(device.path());
    ASSERT_TRUE(run.opened);

    auto outcome = run.run(R"(
step("version", function()
  send_line("ver")
  local v = expect("VER tessa-device *\r\n", 3000)
  log("device says", v)
end)
step("outputs", function()
  send_line("c69=0101")
  send_line("rout")
  expect("OUT=0101\r\n", 3000)  -- the first answer is consumed on the way
end)
)");
    EXPECT_EQ(outcome.status, ScriptOutcome::Status::Passed) << outcome.message.toStdString();
    EXPECT_EQ(stepNames(outcome), (QStringList {"version", "outputs"}));
    EXPECT_TRUE(run.output.contains("device says\tVER tessa-device 1.00\r\n")) << run.output.join('|').toStdString();

    outcome = run.run(R"(
step("version", function()
  send_line("ver")
  expect("VER other*\r\n", 400)
end)
step("never reached", function() end)
)");
    EXPECT_EQ(outcome.status, ScriptOutcome::Status::Failed);
    ASSERT_EQ(stepNames(outcome), (QStringList {"version FAILED"}));
    const QString message = outcome.steps[0].message;
    EXPECT_TRUE(message.contains("check.lua:4:")) << message.toStdString();
    EXPECT_TRUE(message.contains(R"(expect "VER other*\r\n" timed out after 400 ms)")) << message.toStdString();
    EXPECT_TRUE(message.contains(R"(last bytes received: "VER tessa-device 1.00\r\n")")) << message.toStdString();
}

// The Modbus helpers against Debian's libmodbus as the slave: decoded values and verdicts.
TEST(ScriptRunner, ModbusHelpersGiveValuesAndVerdicts)
{
    tessa::testing::PtyPair pty;
    ASSERT_TRUE(pty.ready());
    tessa::testing::ModbusSlave slave(pty.farPath());
    ASSERT_TRUE(slave.ready());
    ScriptRun run(pty.nearPath());
    ASSERT_TRUE(run.opened);
    const auto outcome = run.run(R"(
local r = modbus.read(1, 0x200, 3)
log(r.verdict, r.values[1], r.values[2], r.values[3], r.reply)
r = modbus.read(1, 0x100, 2, {func = 4})
log(r.verdict, r.values[1], r.values[2])
r = modbus.read(1, 0x302, 1)
log(r.verdict, r.exception)
r = modbus.write(1, 0x201, 7)
log(r.verdict, #r.values)
r = modbus.read(9, 0x200, 1, {timeout = 300})
log(r.verdict)
)");
    EXPECT_EQ(outcome.status, ScriptOutcome::Status::Passed) << outcome.message.toStdString();
    EXPECT_EQ(run.output.mid(0, 5).join('|').toStdString(),
              (QStringList {"good\t4660\t43981\t66\t01 03 06 12 34 AB CD 00 42 A2 29", "good\t65535\t7", "exception\t2",
                            "good\t0", "no reply"})
                  .join('|')
                  .toStdString());
    EXPECT_EQ(slave.registerValue(0x201), 7);
}

// Scripts from anywhere: no file, process or code loading; an endless loop (even one that
// catches its own stop) ends at Stop while the thread goes on; a huge allocation fails the
// script instead of the program.
TEST(ScriptRunner, HostileScriptsAreRefusedOrStopped)
{
    ScriptRun run;
    for (const char* reach : {"io.open('/tmp/x', 'w')", "os.remove('/tmp/x')", "require('os')", "dofile('/etc/passwd')",
                              "loadfile('/etc/passwd')", "load('return 1')", "string.dump(print)", "debug.getinfo(1)",
                              "package.loadlib('a','b')", "coroutine.create(print)"}) {
        const auto outcome = run.run(reach);
        EXPECT_EQ(outcome.status, ScriptOutcome::Status::Failed) << reach;
        EXPECT_TRUE(outcome.message.contains("nil value")) << reach << ": " << outcome.message.toStdString();
    }

    for (const char* endless : {"while true do end", "while true do pcall(function() while true do end end) end",
                                "step('spin', function() local n = 0 while true do n = n + 1 end end)"}) {
        int ticks = 0;
        QTimer ticker;
        QObject::connect(&ticker, &QTimer::timeout, [&] {
            if (++ticks < 10)
                return;
            ticker.stop();
            run.runner.stop(QStringLiteral("stopped by the operator"));
        });
        ticker.start(20);
        const auto outcome = run.run(endless);
        EXPECT_EQ(outcome.status, ScriptOutcome::Status::Stopped) << endless;
        EXPECT_EQ(outcome.message, "stopped by the operator");
        EXPECT_EQ(ticks, 10) << endless;  // the thread went on while the script ran
    }
    EXPECT_EQ(run.runner.outcome().steps.size(), 1);
    EXPECT_EQ(run.runner.outcome().steps[0].name, "spin");

    run.runner.setMemoryLimit(8 * 1024 * 1024);
    for (const char* hungry : {"local s = string.rep('x', 1 << 30)", "local t = {} for i = 1, 1e9 do t[i] = i end"}) {
        const auto outcome = run.run(hungry);
        EXPECT_EQ(outcome.status, ScriptOutcome::Status::Failed) << hungry;
        EXPECT_TRUE(outcome.message.contains("not enough memory")) << outcome.message.toStdString();
    }
    // Inside a library call the script cannot pause; it is ended after a while instead.
    const auto stuck = run.run("table.sort({3, 2, 1}, function(a, b) while true do end end)");
    EXPECT_EQ(stuck.status, ScriptOutcome::Status::Failed);
    EXPECT_TRUE(stuck.message.contains("inside a library call")) << stuck.message.toStdString();

    const auto broken = run.run("step('x', function() end");
    EXPECT_EQ(broken.status, ScriptOutcome::Status::Unusable);
    EXPECT_TRUE(broken.message.contains("check.lua:1:")) << broken.message.toStdString();
    EXPECT_TRUE(broken.steps.isEmpty());
}

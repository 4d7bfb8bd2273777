#pragma once

#include "answers/byte_pattern.h"
#include "poll/modbus_reply_collector.h"
#include "script/script_result.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>

struct lua_State;

namespace tessa {

class ControlLinesPort;
class LuaSandbox;

// Runs a Lua 5.4 test script against a serial line, on the thread that owns the runner, without
// ever blocking it: the script runs as a coroutine that is paused while it waits (expect, sleep,
// a Modbus reply) and every few milliseconds of computing, so a window stays responsive and
// stop() ends the script at once, even an endless loop.
//
// The script's functions (all durations in milliseconds):
//   send(bytes)                 sends a Lua string as it is
//   send_line(text)             sends text and CR LF
//   send_hex(hex [, opts])      "01 03 00 00"; opts {checksum=true, crc=true} append them
//   expect(pattern [, timeout]) waits for received bytes matching the text pattern (byte_pattern.h:
//                               ? one byte, * any run); returns the matched bytes or fails the step,
//                               naming the pattern, the timeout and the last bytes received
//   expect_hex(pattern [, timeout])  the same with a hex pattern ("01 03 ?? ??")
//   sleep(ms), log(...), print(...) (the same as log), now_ms()
//   step(name, function)        runs the function as a named step; a failing step ends the script
//   modbus.read(slave, address, count [, {func=3|4, timeout=ms}])
//   modbus.write(slave, address, value [, {timeout=ms}])
//                               return {verdict="good"|"mismatch"|"exception"|"no reply",
//                               values={...}, exception=code, reply="hex", ms=round trip}
//   set_rts(on), set_dtr(on), set_break(on)  true when the line took it
//   lines()                     {cts=, dsr=, dcd=, ri=} or nil when the line cannot tell
// Bytes that arrive are kept from the start (up to kReceiveKeptBytes) until an expect consumes
// them up to the end of its match, so a reply that comes before its expect is still found.
class ScriptRunner : public QObject {
    Q_OBJECT
public:
    static constexpr int kDefaultExpectTimeoutMs = 1000;
    static constexpr int kDefaultModbusTimeoutMs = 1000;
    static constexpr qsizetype kReceiveKeptBytes = 64 * 1024;
    // Computing between two pauses at most, so the thread's other work gets its turn.
    static constexpr int kSliceMs = 20;

    // How the script reaches the line.
    struct Line {
        std::function<bool(QByteArrayView bytes)> write;  // false when the bytes did not leave
        ControlLinesPort* controlLines = nullptr;  // optional
    };

    explicit ScriptRunner(Line line, QObject* parent = nullptr);
    ~ScriptRunner() override;

    // Memory the script may use (bytes); for the next start.
    void setMemoryLimit(std::size_t bytes) { memoryLimit_ = bytes; }

    // Loads and starts the script (chunkName names it in messages, e.g. the file's name). False
    // when it cannot be loaded: finished() then follows at once with status Unusable.
    bool start(const QByteArray& source, const QString& chunkName);
    bool isRunning() const { return running_; }
    // Ends a running script at once; finished() follows with status Stopped and reason.
    void stop(const QString& reason = QStringLiteral("stopped"));

    // Hands the runner every received chunk (the port's received signal).
    void received(QByteArrayView bytes);

    // The outcome of the last run that finished.
    const ScriptOutcome& outcome() const { return outcome_; }

signals:
    // A line for the output pane: log(), step starts and ends.
    void output(const QString& line);
    // A note for the traffic log (what log() says).
    void note(const QString& text);
    void stepFinished(const tessa::StepResult& step);
    void finished(const tessa::ScriptOutcome& outcome);

private:
    // What the paused script waits for.
    enum class Wait { None, Slice, Sleep, Expect, Modbus };

    friend struct ScriptApi;
    void resume();
    void onWake();
    void finish(ScriptOutcome::Status status, const QString& message);
    void scheduleResume(int delayMs);
    // Tries the current expect against what has arrived; true when it matched.
    bool tryExpect();
    bool tryModbus();
    QString lastBytesText() const;

    Line line_;
    std::size_t memoryLimit_;
    std::unique_ptr<LuaSandbox> sandbox_;
    lua_State* thread_ = nullptr;
    bool running_ = false;
    bool resuming_ = false;
    bool ready_ = false;  // what the script waits for came; resume on the next wake
    bool stopRequested_ = false;  // stop() came while the script was running
    bool stuck_ = false;  // the script computed too long where it cannot pause
    QString stopReason_;
    QString chunkName_;
    QTimer wake_;
    QElapsedTimer slice_;
    QElapsedTimer clock_;
    ScriptOutcome outcome_;

    Wait wait_ = Wait::None;
    bool waitFailed_ = false;
    QString waitFailure_;
    // expect
    std::optional<StreamMatcher> matcher_;
    qsizetype matcherFed_ = 0;
    int expectTimeoutMs_ = 0;
    QByteArray match_;
    // modbus
    std::optional<ModbusReplyCollector> exchange_;
    int modbusTimeoutMs_ = 0;
    QElapsedTimer modbusClock_;
    ModbusReply modbusReply_;

    QByteArray pending_;  // received, not yet consumed by an expect
    QByteArray lastReceived_;  // the last bytes received, for failure messages
    // The step running now.
    QString stepName_;
    QElapsedTimer stepClock_;
    bool stepFailed_ = false;
};

}  // namespace tessa

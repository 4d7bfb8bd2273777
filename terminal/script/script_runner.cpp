#include "script/script_runner.h"

#include "answers/answer_rule.h"
#include "modbus/modbus_reply_text.h"
#include "poll/modbus_verdict.h"
#include "script/lua_sandbox.h"
#include "serial/control_lines_port.h"

#include <lua.hpp>

namespace tessa {

namespace {

// Instructions between two looks at the clock.
constexpr int kHookInstructions = 1000;
// Computing inside a library call (a sort's comparison, a gsub's function), where the script
// cannot pause, longer than this ends the script.
constexpr qint64 kStuckMs = 3000;
constexpr qsizetype kLastBytesShown = 32;

// Guards the libraries' error catchers: once the script is being stopped, an error caught by
// the script's own pcall is raised again, so that a script cannot catch its own stop.
constexpr char kPrelude[] = R"lua(
do
  local rawpcall, rawxpcall, stopping, begin, finish = pcall, xpcall, _stopping, _step_begin, _step_end
  local function pass(...)
    if stopping() then error("script stopped", 0) end
    return ...
  end
  pcall = function(...) return pass(rawpcall(...)) end
  xpcall = function(...) return pass(rawxpcall(...)) end
  function step(name, fn)
    begin(tostring(name))
    local ok, err = rawpcall(fn)
    if stopping() then error("script stopped", 0) end
    return finish(ok, err)
  end
end
_stopping, _step_begin, _step_end = nil, nil, nil
)lua";

QString printable(QByteArrayView bytes)
{
    QString text;
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        if (b == '\r')
            text += QStringLiteral("\\r");
        else if (b == '\n')
            text += QStringLiteral("\\n");
        else if (b == '"' || b == '\\')
            text += QStringLiteral("\\") + QLatin1Char(c);
        else if (b >= 0x20 && b < 0x7F)
            text += QLatin1Char(c);
        else
            text += QStringLiteral("\\x%1").arg(b, 2, 16, QLatin1Char('0'));
    }
    return text;
}

}  // namespace

// The script's functions, with access to the runner.
struct ScriptApi {
    static ScriptRunner& runner(lua_State* L) { return **static_cast<ScriptRunner**>(lua_getextraspace(L)); }

    // Lua raises errors and yields with longjmp, which skips C++ destructors: a message goes onto
    // the Lua stack in a statement or scope of its own, and lua_error or a yield runs with no C++
    // object alive in the function's frame.
    static void pushText(lua_State* L, const QString& text)
    {
        const QByteArray utf8 = text.toUtf8();
        lua_pushlstring(L, utf8.constData(), static_cast<size_t>(utf8.size()));
    }
    // The message with the script's position in front, as luaL_error gives it.
    static void pushError(lua_State* L, const QString& text)
    {
        luaL_where(L, 1);
        pushText(L, text);
        lua_concat(L, 2);
    }

    // Nothing of the script runs once it is being stopped.
    static void checkRunning(lua_State* L)
    {
        auto& r = runner(L);
        if (r.stopRequested_ || r.stuck_)
            luaL_error(L, "script stopped");
    }

    static bool sent(lua_State* L, QByteArrayView bytes)
    {
        auto& r = runner(L);
        return r.line_.write && r.line_.write(bytes);
    }
    static int sendFailed(lua_State* L) { return luaL_error(L, "send failed: the port is not open"); }

    static int send(lua_State* L)
    {
        size_t size = 0;
        const char* data = luaL_checklstring(L, 1, &size);
        checkRunning(L);
        if (!sent(L, QByteArrayView(data, static_cast<qsizetype>(size))))
            return sendFailed(L);
        return 0;
    }

    static int sendLine(lua_State* L)
    {
        size_t size = 0;
        const char* data = luaL_checklstring(L, 1, &size);
        checkRunning(L);
        const bool ok = sent(L, QByteArray(data, static_cast<qsizetype>(size)) + "\r\n");
        if (!ok)
            return sendFailed(L);
        return 0;
    }

    static bool optionFlag(lua_State* L, int table, const char* name)
    {
        if (!lua_istable(L, table))
            return false;
        lua_getfield(L, table, name);
        const bool on = lua_toboolean(L, -1);
        lua_pop(L, 1);
        return on;
    }

    static int optionInt(lua_State* L, int table, const char* name, int fallback)
    {
        if (!lua_istable(L, table))
            return fallback;
        lua_getfield(L, table, name);
        const int value = lua_isnil(L, -1) ? fallback : static_cast<int>(luaL_checkinteger(L, -1));
        lua_pop(L, 1);
        return value;
    }

    static int sendHex(lua_State* L)
    {
        const char* hex = luaL_checkstring(L, 1);
        const bool checksum = optionFlag(L, 2, "checksum");
        const bool crc = optionFlag(L, 2, "crc");
        checkRunning(L);
        bool ok = false;
        {
            FrameSpec wanted;
            wanted.hex = true;
            wanted.data = QString::fromLatin1(hex);
            wanted.checksum = checksum;
            wanted.crc = crc;
            QString error;
            const auto bytes = frameBytes(wanted, &error);
            if (!bytes)
                pushError(L, QStringLiteral("send_hex: ") + error);
            else if (!(ok = sent(L, *bytes)))
                pushError(L, QStringLiteral("send failed: the port is not open"));
        }
        if (!ok)
            return lua_error(L);
        return 0;
    }

    static int sleep(lua_State* L)
    {
        checkRunning(L);
        const lua_Integer ms = luaL_checkinteger(L, 1);
        luaL_argcheck(L, ms >= 0 && ms <= 24 * 3600 * 1000, 1, "0 to 86400000 ms");
        auto& r = runner(L);
        r.wait_ = ScriptRunner::Wait::Sleep;
        r.wake_.start(static_cast<int>(ms));
        return lua_yield(L, 0);
    }

    static int expectDone(lua_State* L, int, lua_KContext)
    {
        auto& r = runner(L);
        if (r.waitFailed_) {
            r.waitFailed_ = false;
            pushError(L, r.waitFailure_);
            return lua_error(L);
        }
        lua_pushlstring(L, r.match_.constData(), static_cast<size_t>(r.match_.size()));
        return 1;
    }

    static int expectForm(lua_State* L, BytePattern::Form form)
    {
        checkRunning(L);
        const char* source = luaL_checkstring(L, 1);
        const lua_Integer timeout = luaL_optinteger(L, 2, ScriptRunner::kDefaultExpectTimeoutMs);
        luaL_argcheck(L, timeout >= 0 && timeout <= 24 * 3600 * 1000, 2, "0 to 86400000 ms");
        auto& r = runner(L);
        bool parsed = false;
        {
            QString error;
            auto pattern = BytePattern::parse(QString::fromLatin1(source), form, &error);
            if (pattern) {
                r.matcher_.emplace(std::move(*pattern));
                parsed = true;
            } else {
                pushError(L, QStringLiteral("expect: pattern \"%1\": %2").arg(QString::fromLatin1(source), error));
            }
        }
        if (!parsed)
            return lua_error(L);
        r.matcherFed_ = 0;
        r.expectTimeoutMs_ = static_cast<int>(timeout);
        if (r.tryExpect())
            return expectDone(L, LUA_OK, 0);
        r.wait_ = ScriptRunner::Wait::Expect;
        r.wake_.start(static_cast<int>(timeout));
        return lua_yieldk(L, 0, 0, &expectDone);
    }
    static int expectText(lua_State* L) { return expectForm(L, BytePattern::Form::Text); }
    static int expectHex(lua_State* L) { return expectForm(L, BytePattern::Form::Hex); }

    static int log(lua_State* L)
    {
        QStringList parts;
        for (int i = 1; i <= lua_gettop(L); ++i) {
            size_t size = 0;
            const char* text = luaL_tolstring(L, i, &size);
            parts << QString::fromUtf8(text, static_cast<qsizetype>(size));
            lua_pop(L, 1);
        }
        const QString line = parts.join(QLatin1Char('\t'));
        auto& r = runner(L);
        emit r.output(line);
        emit r.note(line);
        return 0;
    }

    static int nowMs(lua_State* L)
    {
        lua_pushinteger(L, runner(L).clock_.elapsed());
        return 1;
    }

    static int stopping(lua_State* L)
    {
        auto& r = runner(L);
        lua_pushboolean(L, r.stopRequested_ || r.stuck_);
        return 1;
    }

    static int stepBegin(lua_State* L)
    {
        checkRunning(L);
        const char* name = luaL_checkstring(L, 1);
        auto& r = runner(L);
        if (!r.stepName_.isEmpty()) {
            pushError(L,
                      QStringLiteral("step \"%1\" begun inside step \"%2\"").arg(QString::fromUtf8(name), r.stepName_));
            return lua_error(L);
        }
        r.stepName_ = QString::fromUtf8(name);
        r.stepClock_.start();
        emit r.output(QStringLiteral("step %1").arg(r.stepName_));
        return 0;
    }

    static int stepEnd(lua_State* L)
    {
        auto& r = runner(L);
        const bool passed = lua_toboolean(L, 1);
        const char* why = passed ? nullptr : luaL_tolstring(L, 2, nullptr);
        {
            StepResult result;
            result.name = r.stepName_;
            result.passed = passed;
            result.seconds = static_cast<double>(r.stepClock_.nsecsElapsed()) / 1e9;
            if (!passed)
                result.message = QString::fromUtf8(why);
            r.stepName_.clear();
            r.outcome_.steps.append(result);
            emit r.output(passed ? QStringLiteral("  passed %1").arg(result.name)
                                 : QStringLiteral("  FAILED %1: %2").arg(result.name, result.message));
            emit r.stepFinished(result);
            if (!passed) {
                r.stepFailed_ = true;
                pushText(L, QStringLiteral("step \"%1\" failed").arg(result.name));
            }
        }
        if (!passed)
            return lua_error(L);
        return 0;
    }

    static int modbusDone(lua_State* L, int, lua_KContext)
    {
        auto& r = runner(L);
        const ModbusReply& reply = r.modbusReply_;
        lua_createtable(L, 0, 6);
        lua_pushstring(L, qPrintable(modbusVerdictName(modbusVerdict(reply))));
        lua_setfield(L, -2, "verdict");
        lua_createtable(L, static_cast<int>(reply.registers.size()), 0);
        for (qsizetype i = 0; i < reply.registers.size(); ++i) {
            lua_pushinteger(L, reply.registers[i]);
            lua_rawseti(L, -2, i + 1);
        }
        lua_setfield(L, -2, "values");
        if (reply.kind == ModbusReply::Kind::Exception) {
            lua_pushinteger(L, reply.exceptionCode);
            lua_setfield(L, -2, "exception");
        }
        lua_pushstring(L, reply.bytes.toHex(' ').toUpper().constData());
        lua_setfield(L, -2, "reply");
        lua_pushstring(L, modbusReplyText(reply).toUtf8().constData());
        lua_setfield(L, -2, "text");
        if (reply.roundTripMs) {
            lua_pushnumber(L, *reply.roundTripMs);
            lua_setfield(L, -2, "ms");
        }
        return 1;
    }

    static int modbusAsk(lua_State* L, const ModbusRequest& request, int timeout)
    {
        luaL_argcheck(L, timeout >= 1 && timeout <= 60000, 4, "timeout 1 to 60000 ms");
        auto& r = runner(L);
        // Bytes that came before the request answer nothing it asks.
        r.pending_.clear();
        r.matcher_.reset();
        checkRunning(L);
        const bool ok = sent(L, modbusRequestFrame(request));
        if (!ok)
            return sendFailed(L);
        r.exchange_.emplace(request);
        r.modbusTimeoutMs_ = timeout;
        r.modbusClock_.start();
        r.wait_ = ScriptRunner::Wait::Modbus;
        r.wake_.start(timeout);
        return lua_yieldk(L, 0, 0, &modbusDone);
    }

    static std::uint16_t checkWord(lua_State* L, int arg, lua_Integer low, const char* range)
    {
        const lua_Integer value = luaL_checkinteger(L, arg);
        luaL_argcheck(L, value >= low && value <= 0xFFFF, arg, range);
        return static_cast<std::uint16_t>(value);
    }

    static int modbusRead(lua_State* L)
    {
        checkRunning(L);
        ModbusRequest request;
        request.slave = static_cast<std::uint8_t>(checkWord(L, 1, 0, "slave 0 to 247"));
        luaL_argcheck(L, request.slave <= 247, 1, "slave 0 to 247");
        request.address = checkWord(L, 2, 0, "address 0 to 65535");
        request.value = checkWord(L, 3, 1, "count 1 to 125");
        luaL_argcheck(L, request.value <= 125, 3, "count 1 to 125");
        const int function = optionInt(L, 4, "func", 3);
        luaL_argcheck(L, function == 3 || function == 4, 4, "func 3 or 4");
        request.function = static_cast<std::uint8_t>(function);
        return modbusAsk(L, request, optionInt(L, 4, "timeout", ScriptRunner::kDefaultModbusTimeoutMs));
    }

    static int modbusWrite(lua_State* L)
    {
        checkRunning(L);
        ModbusRequest request;
        request.slave = static_cast<std::uint8_t>(checkWord(L, 1, 0, "slave 0 to 247"));
        luaL_argcheck(L, request.slave <= 247, 1, "slave 0 to 247");
        request.function = 0x06;
        request.address = checkWord(L, 2, 0, "address 0 to 65535");
        request.value = checkWord(L, 3, 0, "value 0 to 65535");
        return modbusAsk(L, request, optionInt(L, 4, "timeout", ScriptRunner::kDefaultModbusTimeoutMs));
    }

    static int setLine(lua_State* L, bool (ControlLinesPort::*set)(bool))
    {
        checkRunning(L);
        auto* lines = runner(L).line_.controlLines;
        const bool on = lua_toboolean(L, 1);
        lua_pushboolean(L, lines && lines->isOpen() && (lines->*set)(on));
        return 1;
    }
    static int setRts(lua_State* L) { return setLine(L, &ControlLinesPort::setRequestToSend); }
    static int setDtr(lua_State* L) { return setLine(L, &ControlLinesPort::setDataTerminalReady); }
    static int setBreak(lua_State* L) { return setLine(L, &ControlLinesPort::setBreakEnabled); }

    static int lines(lua_State* L)
    {
        auto* port = runner(L).line_.controlLines;
        const auto signals_ = port && port->isOpen() ? port->pinoutSignals() : std::nullopt;
        if (!signals_) {
            lua_pushnil(L);
            return 1;
        }
        const std::pair<const char*, QSerialPort::PinoutSignal> named[] = {
            {"cts", QSerialPort::ClearToSendSignal},
            {"dsr", QSerialPort::DataSetReadySignal},
            {"dcd", QSerialPort::DataCarrierDetectSignal},
            {"ri", QSerialPort::RingIndicatorSignal}};
        lua_createtable(L, 0, 4);
        for (const auto& [name, bit] : named) {
            lua_pushboolean(L, signals_->testFlag(bit));
            lua_setfield(L, -2, name);
        }
        return 1;
    }

    // Pauses a script that computed for a whole slice; ends one that is being stopped.
    static void hook(lua_State* L, lua_Debug*)
    {
        auto& r = runner(L);
        const bool yieldable = lua_isyieldable(L);
        if (r.stopRequested_ || r.stuck_) {
            if (yieldable)
                lua_yield(L, 0);  // never resumed: a yield cannot be caught
            else
                luaL_error(L, "script stopped");
            return;
        }
        const qint64 ms = r.slice_.elapsed();
        if (ms < ScriptRunner::kSliceMs)
            return;
        if (yieldable) {
            r.wait_ = ScriptRunner::Wait::Slice;
            lua_yield(L, 0);
            return;
        }
        if (ms > kStuckMs) {
            r.stuck_ = true;
            r.stopReason_ =
                QStringLiteral("the script computed for %1 ms inside a library call without a pause").arg(ms);
            pushError(L, r.stopReason_);
            lua_error(L);
        }
    }
};

ScriptRunner::ScriptRunner(Line line, QObject* parent)
    : QObject(parent)
    , line_(std::move(line))
    , memoryLimit_(LuaSandbox::kDefaultMemoryLimit)
{
    wake_.setSingleShot(true);
    connect(&wake_, &QTimer::timeout, this, &ScriptRunner::onWake);
}

ScriptRunner::~ScriptRunner() = default;

bool ScriptRunner::start(const QByteArray& source, const QString& chunkName)
{
    if (running_)
        stop();
    outcome_ = {};
    pending_.clear();
    lastReceived_.clear();
    stepName_.clear();
    stepFailed_ = stopRequested_ = stuck_ = ready_ = waitFailed_ = false;
    matcher_.reset();
    exchange_.reset();
    wait_ = Wait::None;
    chunkName_ = chunkName;
    sandbox_ = std::make_unique<LuaSandbox>(memoryLimit_);
    lua_State* L = sandbox_->state();
    auto unusable = [&](const QString& why) {
        running_ = true;
        finish(ScriptOutcome::Status::Unusable, why);
        return false;
    };
    if (!L)
        return unusable(QStringLiteral("no memory for the script"));
    *static_cast<ScriptRunner**>(lua_getextraspace(L)) = this;
    const luaL_Reg functions[] = {{"send", &ScriptApi::send},
                                  {"send_line", &ScriptApi::sendLine},
                                  {"send_hex", &ScriptApi::sendHex},
                                  {"expect", &ScriptApi::expectText},
                                  {"expect_hex", &ScriptApi::expectHex},
                                  {"sleep", &ScriptApi::sleep},
                                  {"log", &ScriptApi::log},
                                  {"print", &ScriptApi::log},
                                  {"now_ms", &ScriptApi::nowMs},
                                  {"set_rts", &ScriptApi::setRts},
                                  {"set_dtr", &ScriptApi::setDtr},
                                  {"set_break", &ScriptApi::setBreak},
                                  {"lines", &ScriptApi::lines},
                                  {"_stopping", &ScriptApi::stopping},
                                  {"_step_begin", &ScriptApi::stepBegin},
                                  {"_step_end", &ScriptApi::stepEnd},
                                  {nullptr, nullptr}};
    lua_pushglobaltable(L);
    luaL_setfuncs(L, functions, 0);
    lua_pop(L, 1);
    const luaL_Reg modbus[] = {
        {"read", &ScriptApi::modbusRead}, {"write", &ScriptApi::modbusWrite}, {nullptr, nullptr}};
    luaL_newlib(L, modbus);
    lua_setglobal(L, "modbus");
    if (luaL_dostring(L, kPrelude) != LUA_OK)
        return unusable(QString::fromUtf8(lua_tostring(L, -1)));

    thread_ = lua_newthread(L);
    // Kept in the registry so that the collector leaves the thread alone.
    luaL_ref(L, LUA_REGISTRYINDEX);
    const QByteArray name = "@" + chunkName.toUtf8();
    if (luaL_loadbufferx(thread_, source.constData(), static_cast<size_t>(source.size()), name.constData(), "t")
        != LUA_OK)
        return unusable(QString::fromUtf8(lua_tostring(thread_, -1)));
    lua_sethook(thread_, &ScriptApi::hook, LUA_MASKCOUNT, kHookInstructions);
    running_ = true;
    clock_.start();
    scheduleResume(0);
    return true;
}

void ScriptRunner::scheduleResume(int delayMs)
{
    ready_ = true;
    wake_.start(delayMs);
}

void ScriptRunner::onWake()
{
    if (!running_)
        return;
    if (!ready_) {
        // The wait's time is up.
        if (wait_ == Wait::Expect) {
            waitFailed_ = true;
            waitFailure_ = QStringLiteral("expect \"%1\" timed out after %2 ms; last bytes received: %3")
                               .arg(printable(matcher_->pattern().source().toLatin1()))
                               .arg(expectTimeoutMs_)
                               .arg(lastBytesText());
            matcher_.reset();
        } else if (wait_ == Wait::Modbus) {
            modbusReply_ = exchange_->finish();
            modbusReply_.replyWindowMs = modbusTimeoutMs_;
            exchange_.reset();
        }
    }
    resume();
}

void ScriptRunner::resume()
{
    ready_ = false;
    wait_ = Wait::None;
    resuming_ = true;
    slice_.start();
    int results = 0;
    const int status = lua_resume(thread_, nullptr, 0, &results);
    resuming_ = false;
    if (stopRequested_ || stuck_) {
        finish(stuck_ ? ScriptOutcome::Status::Failed : ScriptOutcome::Status::Stopped, stopReason_);
        return;
    }
    if (status == LUA_YIELD) {
        lua_pop(thread_, results);
        if (wait_ == Wait::Slice || wait_ == Wait::None)
            scheduleResume(0);
        return;
    }
    if (status == LUA_OK) {
        finish(stepFailed_ ? ScriptOutcome::Status::Failed : ScriptOutcome::Status::Passed,
               stepFailed_ ? QStringLiteral("a step failed") : QString());
        return;
    }
    QString message = QString::fromUtf8(luaL_tolstring(thread_, -1, nullptr));
    if (status == LUA_ERRMEM || sandbox_->memoryRefused())
        message += QStringLiteral(" (the script may use %1 MB)").arg(sandbox_->memoryLimit() / (1024 * 1024));
    finish(ScriptOutcome::Status::Failed, message);
}

void ScriptRunner::stop(const QString& reason)
{
    if (!running_)
        return;
    stopReason_ = reason;
    if (resuming_) {
        // Inside the script (a send that an answer stopped): it ends at its next instruction.
        stopRequested_ = true;
        return;
    }
    finish(ScriptOutcome::Status::Stopped, reason);
}

void ScriptRunner::finish(ScriptOutcome::Status status, const QString& message)
{
    if (!running_)
        return;
    running_ = false;
    wake_.stop();
    wait_ = Wait::None;
    // A step cut short by a stop or an error outside its own catch, or a script without steps,
    // still reports one case.
    if (!stepName_.isEmpty()) {
        outcome_.steps.append({stepName_, false, message, static_cast<double>(stepClock_.nsecsElapsed()) / 1e9});
        stepName_.clear();
    } else if (status == ScriptOutcome::Status::Failed && !stepFailed_) {
        outcome_.steps.append({chunkName_, false, message, static_cast<double>(clock_.nsecsElapsed()) / 1e9});
    } else if (outcome_.steps.isEmpty() && status != ScriptOutcome::Status::Unusable) {
        outcome_.steps.append({chunkName_, status == ScriptOutcome::Status::Passed, message,
                               static_cast<double>(clock_.nsecsElapsed()) / 1e9});
    }
    outcome_.status = status;
    outcome_.message = message;
    thread_ = nullptr;
    sandbox_.reset();
    emit output(status == ScriptOutcome::Status::Passed ? QStringLiteral("script passed")
                                                        : QStringLiteral("script ended: %1").arg(message));
    emit finished(outcome_);
}

void ScriptRunner::received(QByteArrayView bytes)
{
    if (!running_ || bytes.isEmpty())
        return;
    lastReceived_.append(bytes);
    if (lastReceived_.size() > kLastBytesShown)
        lastReceived_.remove(0, lastReceived_.size() - kLastBytesShown);
    if (wait_ == Wait::Modbus && exchange_ && !ready_) {
        if (exchange_->add(bytes)) {
            modbusReply_ = exchange_->finish();
            modbusReply_.roundTripMs = static_cast<double>(modbusClock_.nsecsElapsed()) / 1e6;
            exchange_.reset();
            scheduleResume(0);
        }
        return;
    }
    pending_.append(bytes);
    if (pending_.size() > kReceiveKeptBytes) {
        const qsizetype dropped = pending_.size() - kReceiveKeptBytes;
        pending_.remove(0, dropped);
        matcherFed_ = std::max<qsizetype>(0, matcherFed_ - dropped);
    }
    if (wait_ == Wait::Expect && !ready_ && tryExpect())
        scheduleResume(0);
}

bool ScriptRunner::tryExpect()
{
    const auto used = matcher_->feed(QByteArrayView(pending_).sliced(matcherFed_));
    if (!used) {
        matcherFed_ = pending_.size();
        return false;
    }
    match_ = matcher_->lastMatch();
    pending_.remove(0, matcherFed_ + *used);
    matcher_.reset();
    matcherFed_ = 0;
    return true;
}

QString ScriptRunner::lastBytesText() const
{
    if (lastReceived_.isEmpty())
        return QStringLiteral("none");
    return QStringLiteral("\"%1\" (%2)")
        .arg(printable(lastReceived_), QString::fromLatin1(lastReceived_.toHex(' ').toUpper()));
}

}  // namespace tessa

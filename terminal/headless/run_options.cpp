#include "headless/run_options.h"

#include "poll/poll_request.h"

#include <QCommandLineParser>

namespace tessa {

namespace {

std::optional<int> boundedNumber(const QString& text, int low, int high)
{
    bool ok = false;
    const int value = text.toInt(&ok);
    if (!ok || value < low || value > high)
        return std::nullopt;
    return value;
}

}  // namespace

std::optional<RunOptions> parseRunOptions(const QStringList& arguments, QString* error, QString* usage)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Runs a tessa script or program on a serial port, with no display. "
                                                    "Exit status: 0 every step passed, 1 a step failed, 2 the port or "
                                                    "the script could not be used."));
    const QCommandLineOption run({"r", "run"}, "Lua script to run.", "file");
    const QCommandLineOption program("program", "Send/delay program file to replay.", "file");
    const QCommandLineOption loop("loop", "Replay the program this many times (default 1).", "n", "1");
    const QCommandLineOption port({"p", "port"}, "Port number 1..21 or device path.", "port");
    const QCommandLineOption baud({"b", "baud"}, "Baud rate (default 9600).", "baud", "9600");
    const QCommandLineOption parity("parity", "n, e or o (default n).", "parity", "n");
    const QCommandLineOption dataBits("data-bits", "7 or 8 (default 8).", "bits", "8");
    const QCommandLineOption stopBits("stop-bits", "1 or 2 (default 1).", "bits", "1");
    const QCommandLineOption flow("flow", "none, rts/cts or xon/xoff (default none).", "flow", "none");
    const QCommandLineOption log("log", "Traffic log file.", "file");
    const QCommandLineOption junit("junit", "JUnit report file, one test case per step.", "file");
    const QCommandLineOption answers("answers", "Answer rules file (JSON, as tessa stores them).", "file");
    const QCommandLineOption rate("answer-rate", "Answer actions allowed per second (default 20).", "n", "20");
    const QCommandLineOption quiet({"q", "quiet"}, "Print only the summary.");
    const QCommandLineOption poll("poll", "Poll a Modbus request: slave,function(3/4/6),register,count|value.",
                                  "request");
    const QCommandLineOption count("count", "Poll requests to send, 0 until stopped (default 100).", "n", "100");
    const QCommandLineOption interval("interval", "Poll period in ms, 0 as fast as replies come (default 0).", "ms",
                                      "0");
    const QCommandLineOption replyTimeout("reply-timeout", "Poll reply window in ms (default 1000).", "ms", "1000");
    const QCommandLineOption expect("expect", "Register values a polled read must return (else a mismatch).", "values");
    const QCommandLineOption format("format", "Polled values as int16, uint16, hex, int32 or float32 (default uint16).",
                                    "format", "uint16");
    const QCommandLineOption wordOrder("word-order", "high-first or low-first, for int32/float32 (default high-first).",
                                       "order", "high-first");
    const QCommandLineOption csv("csv", "The poll's CSV log file.", "file");
    parser.addOptions({run,   program, poll, loop,  port,  baud,     parity,       dataBits, stopBits, flow,      log,
                       junit, answers, rate, quiet, count, interval, replyTimeout, expect,   format,   wordOrder, csv});
    parser.addHelpOption();
    if (usage)
        *usage = parser.helpText();
    auto fail = [&](const QString& reason) -> std::optional<RunOptions> {
        if (error)
            *error = reason;
        return std::nullopt;
    };
    if (!parser.parse(arguments))
        return fail(parser.errorText());
    if (parser.isSet("help"))
        return fail(QString());
    if (!parser.positionalArguments().isEmpty())
        return fail(QStringLiteral("unexpected argument \"%1\"").arg(parser.positionalArguments().first()));

    RunOptions options;
    options.script = parser.value(run);
    options.program = parser.value(program);
    if (int(!options.script.isEmpty()) + int(!options.program.isEmpty()) + int(parser.isSet(poll)) != 1)
        return fail(QStringLiteral("give one of --run SCRIPT, --program FILE and --poll REQUEST"));
    if (parser.isSet(poll)) {
        QString why;
        PollSettings settings;
        const auto request = parsePollRequest(parser.value(poll), &why);
        if (!request)
            return fail(QStringLiteral("--poll: %1").arg(why));
        settings.request = *request;
        const auto n = boundedNumber(parser.value(count), 0, 100000000);
        const auto period = boundedNumber(parser.value(interval), 0, 3600000);
        const auto window = boundedNumber(parser.value(replyTimeout), 1, 60000);
        if (!n || !period || !window)
            return fail(
                QStringLiteral("--count takes 0 to 100000000, --interval 0 to 3600000, --reply-timeout 1 to 60000"));
        settings.count = *n;
        settings.intervalMs = *period;
        settings.replyTimeoutMs = *window;
        if (parser.isSet(expect)) {
            settings.expectedValues = parseRegisterValues(parser.value(expect), &why);
            if (!settings.expectedValues)
                return fail(QStringLiteral("--expect: %1").arg(why));
        }
        const auto shown = registerFormatFromName(parser.value(format));
        const auto order = wordOrderFromName(parser.value(wordOrder));
        if (!shown || !order)
            return fail(QStringLiteral("--format takes int16, uint16, hex, int32 or float32; --word-order high-first "
                                       "or low-first"));
        settings.format = *shown;
        settings.wordOrder = *order;
        options.poll = settings;
        options.csvFile = parser.value(csv);
    }
    const auto loops = boundedNumber(parser.value(loop), 1, 1000000);
    if (!loops)
        return fail(QStringLiteral("--loop takes 1 to 1000000"));
    options.loops = *loops;
    options.port = parser.value(port);
    if (options.port.isEmpty())
        return fail(QStringLiteral("--port is needed"));

    const QString parityText = parser.value(parity).toLower();
    const QString text = QStringLiteral("%1,%2,%3,%4")
                             .arg(parser.value(baud), parityText, parser.value(dataBits), parser.value(stopBits));
    const auto line = parseLineSettings(text);
    if (!line || (parityText != u"n" && parityText != u"e" && parityText != u"o") || line->dataBits < 7
        || line->stopBits > 2)
        return fail(QStringLiteral(
                        "line settings \"%1\" are not usable (baud, parity n/e/o, 7 or 8 data bits, 1 or 2 stop bits)")
                        .arg(text));
    options.line = *line;
    const QString flowText = parser.value(flow).toLower();
    if (flowText == u"none")
        options.line.flowControl = LineSettings::FlowControl::None;
    else if (flowText == u"rts/cts")
        options.line.flowControl = LineSettings::FlowControl::RtsCts;
    else if (flowText == u"xon/xoff")
        options.line.flowControl = LineSettings::FlowControl::XonXoff;
    else
        return fail(QStringLiteral("--flow takes none, rts/cts or xon/xoff"));

    options.logFile = parser.value(log);
    options.junitFile = parser.value(junit);
    options.answersFile = parser.value(answers);
    const auto actions = boundedNumber(parser.value(rate), 1, 1000);
    if (!actions)
        return fail(QStringLiteral("--answer-rate takes 1 to 1000"));
    options.actionsPerSecond = *actions;
    options.quiet = parser.isSet(quiet);
    return options;
}

}  // namespace tessa

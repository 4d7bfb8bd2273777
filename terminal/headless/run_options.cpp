#include "headless/run_options.h"

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
    parser.addOptions(
        {run, program, loop, port, baud, parity, dataBits, stopBits, flow, log, junit, answers, rate, quiet});
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
    if (options.script.isEmpty() == options.program.isEmpty())
        return fail(QStringLiteral("give either --run SCRIPT or --program FILE"));
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

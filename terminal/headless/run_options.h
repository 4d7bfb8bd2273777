#pragma once

#include "line/line_settings.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace tessa {

// What a headless run is asked to do (tessa-run's command line).
//
//   tessa-run --run check.lua --port /dev/ttyUSB0 --baud 115200 --junit report.xml --log traffic.log
//   tessa-run --program steps.txt --loop 3 --port 2
struct RunOptions {
    QString script;  // --run FILE: a Lua script
    QString program;  // --program FILE: a send/delay program file
    int loops = 1;  // --loop N (program only), 1..1000000
    QString port;  // --port: a port number 1..21 (mapped as the window maps it) or a device path
    LineSettings line;  // --baud, --parity, --data-bits, --stop-bits, --flow
    QString logFile;  // --log FILE: the traffic log
    QString junitFile;  // --junit FILE
    QString answersFile;  // --answers FILE: answer rules as stored (answer_store.h's JSON)
    int actionsPerSecond = 20;  // --answer-rate N, 1..1000
    bool quiet = false;  // --quiet: no output lines, only the summary
};

// The options of arguments (arguments[0] is the program name); nullopt with the reason in error
// when they are not usable (unknown option, a value out of range, neither or both of --run and
// --program, no --port). usage receives the help text.
std::optional<RunOptions> parseRunOptions(const QStringList& arguments, QString* error, QString* usage = nullptr);

}  // namespace tessa

#pragma once

#include "line/line_settings.h"
#include "poll/modbus_poller.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace tessa {

// What a headless run is asked to do (tessa-run's command line).
//
//   tessa-run --run check.lua --port /dev/ttyUSB0 --baud 115200 --junit report.xml --log traffic.log
//   tessa-run --program steps.txt --loop 3 --port 2
//   tessa-run --poll 1,3,0x200,2 --count 1000 --interval 50 --csv poll.csv --port /dev/ttyUSB0
struct RunOptions {
    QString script;  // --run FILE: a Lua script
    QString program;  // --program FILE: a send/delay program file
    int loops = 1;  // --loop N (program only), 1..1000000
    // --poll SLAVE,FUNCTION,REGISTER,COUNT|VALUE (poll_request.h) with --count N (default 100,
    // 0: until SIGINT/SIGTERM), --interval MS (default 0: as fast as replies come),
    // --reply-timeout MS (default 1000), --expect VALUES, --format int16|uint16|hex|int32|float32,
    // --word-order high-first|low-first.
    std::optional<PollSettings> poll;
    QString csvFile;  // --csv FILE: the poll's CSV log
    QString port;  // --port: a port number 1..21 (mapped as the window maps it) or a device path
    LineSettings line;  // --baud, --parity, --data-bits, --stop-bits, --flow
    QString logFile;  // --log FILE: the traffic log
    QString junitFile;  // --junit FILE
    QString answersFile;  // --answers FILE: answer rules as stored (answer_store.h's JSON)
    int actionsPerSecond = 20;  // --answer-rate N, 1..1000
    bool quiet = false;  // --quiet: no output lines, only the summary
};

// The options of arguments (arguments[0] is the program name); nullopt with the reason in error
// when they are not usable (unknown option, a value out of range, not exactly one of --run,
// --program and --poll, no --port). usage receives the help text.
std::optional<RunOptions> parseRunOptions(const QStringList& arguments, QString* error, QString* usage = nullptr);

}  // namespace tessa

#pragma once

namespace tessa {

// The whole of a headless run from the command line, for tessa-run and `tessa --run`: makes
// the QCoreApplication (so it must come before any other application object, and needs no
// display), parses the options (the first argument is the program's name, used in messages),
// runs, and returns the exit status: HeadlessRun::kPassed (0), kFailed (1) or kUnusable (2;
// also for unusable options). --help prints the usage and returns 0. SIGINT and SIGTERM stop
// the run in order, so the report and the log are still written.
//
// Example: int main(int argc, char* argv[]) { return tessa::runHeadlessCommand(argc, argv); }
int runHeadlessCommand(int argc, char* argv[]);

}  // namespace tessa

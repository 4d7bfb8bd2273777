// tessa-run: a tessa script or program on a serial port, with no display and an exit status.
#include "headless/run_command.h"

int main(int argc, char* argv[])
{
    return tessa::runHeadlessCommand(argc, argv);
}

// tessa-run: a tessa script or program on a serial port, with no display and an exit status.
#include "headless/headless_run.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int signalPipe[2] = {-1, -1};

void onSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const auto written = ::write(signalPipe[1], &byte, 1);
}

}  // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("tessa-run"));
    QTextStream out(stdout);
    QString error;
    QString usage;
    const auto options = tessa::parseRunOptions(QCoreApplication::arguments(), &error, &usage);
    if (!options) {
        QTextStream err(stderr);
        if (!error.isEmpty())
            err << "tessa-run: " << error << Qt::endl;
        err << usage;
        return error.isEmpty() ? 0 : tessa::HeadlessRun::kUnusable;
    }
    tessa::HeadlessRun run(*options, out);
    QObject::connect(&run, &tessa::HeadlessRun::finished, &app, &QCoreApplication::exit);

    // SIGINT and SIGTERM stop the run in order: the report and the log are still written.
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, signalPipe) == 0) {
        auto* notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, &app);
        QObject::connect(notifier, &QSocketNotifier::activated, &run, [&run] {
            char byte = 0;
            [[maybe_unused]] const auto got = ::read(signalPipe[0], &byte, 1);
            run.stop();
        });
        std::signal(SIGINT, onSignal);
        std::signal(SIGTERM, onSignal);
    }
    run.start();
    return QCoreApplication::exec();
}

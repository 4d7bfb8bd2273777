#include "headless/run_command.h"

#include "headless/headless_run.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QSocketNotifier>

#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace tessa {

namespace {

int signalPipe[2] = {-1, -1};

void onSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const auto written = ::write(signalPipe[1], &byte, 1);
}

}  // namespace

int runHeadlessCommand(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const QString name = argc > 0 ? QFileInfo(QString::fromLocal8Bit(argv[0])).fileName() : QStringLiteral("tessa-run");
    QCoreApplication::setApplicationName(name);
    QTextStream out(stdout);
    QString error;
    QString usage;
    const auto options = parseRunOptions(QCoreApplication::arguments(), &error, &usage);
    if (!options) {
        QTextStream err(stderr);
        if (!error.isEmpty())
            err << name << ": " << error << Qt::endl;
        err << usage;
        return error.isEmpty() ? 0 : HeadlessRun::kUnusable;
    }
    HeadlessRun run(*options, out);
    QObject::connect(&run, &HeadlessRun::finished, &app, &QCoreApplication::exit);

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
    const int status = QCoreApplication::exec();
    std::signal(SIGINT, SIG_DFL);
    std::signal(SIGTERM, SIG_DFL);
    return status;
}

}  // namespace tessa

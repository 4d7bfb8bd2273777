#include "support/device_process.h"

#include <QDeadlineTimer>
#include <QFileInfo>
#include <QUuid>

namespace tessa::testing {

DeviceProcess::DeviceProcess(const QString& program, const QStringList& extraArguments)
{
    if (!linkDir_.isValid() || !downloads_.isValid()) {
        problem_ = QStringLiteral("no temporary folder for the device");
        return;
    }
    // A link name of its own: the serial port's lock file is named after it, and tests may run
    // side by side.
    const QString link =
        linkDir_.filePath(QStringLiteral("tessa-device-") + QUuid::createUuid().toString(QUuid::Id128).left(12));
    process_.setProgram(program);
    // --exit-with-parent: a test that crashes leaves no device behind.
    process_.setArguments(QStringList {QStringLiteral("--link"), link, QStringLiteral("--downloads"), downloads_.path(),
                                       QStringLiteral("--exit-with-parent")}
                          + extraArguments);
    process_.start();
    if (!process_.waitForStarted(10000)) {
        problem_ = QStringLiteral("cannot start %1: %2").arg(program, process_.errorString());
        return;
    }
    QDeadlineTimer deadline(10000);
    while (!process_.canReadLine() && process_.state() == QProcess::Running && !deadline.hasExpired())
        process_.waitForReadyRead(static_cast<int>(qMax<qint64>(1, deadline.remainingTime())));
    if (!process_.canReadLine()) {
        problem_ = QStringLiteral("%1 printed no path (%2); it said: %3")
                       .arg(program,
                            process_.state() == QProcess::Running ? QStringLiteral("still running")
                                                                  : QStringLiteral("it ended"),
                            log());
        return;
    }
    path_ = QString::fromLocal8Bit(process_.readLine()).trimmed();
    if (path_ != link || !QFileInfo::exists(path_)) {
        problem_ = QStringLiteral("%1 printed \"%2\", expected the link %3").arg(program, path_, link);
        return;
    }
    ready_ = true;
}

DeviceProcess::~DeviceProcess()
{
    stop();
}

void DeviceProcess::stop()
{
    if (process_.state() == QProcess::NotRunning)
        return;
    process_.terminate();
    if (!process_.waitForFinished(5000)) {
        process_.kill();
        process_.waitForFinished(5000);
    }
}

QString DeviceProcess::log()
{
    log_ += process_.readAllStandardError();
    return QString::fromLocal8Bit(log_);
}

}  // namespace tessa::testing

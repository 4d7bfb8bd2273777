#pragma once

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

namespace tessa::testing {

// The simulated device program (tessa-device) running on a pseudo-terminal of its own: the
// terminal under test opens path(), files the device receives land in downloadDir(). The
// program is stopped when this goes away. ready() is false, and problem() says why, when the
// program could not be started or never told its path.
class DeviceProcess {
public:
    explicit DeviceProcess(const QString& program, const QStringList& extraArguments = {});
    ~DeviceProcess();
    DeviceProcess(const DeviceProcess&) = delete;
    DeviceProcess& operator=(const DeviceProcess&) = delete;

    bool ready() const { return ready_; }
    QString problem() const { return problem_; }
    QString path() const { return path_; }
    QString downloadDir() const { return downloads_.path(); }
    // What the device logged on standard error so far: each message and its answer.
    QString log();

    void stop();

private:
    QTemporaryDir linkDir_;
    QTemporaryDir downloads_;
    QProcess process_;
    QByteArray log_;
    QString path_;
    QString problem_;
    bool ready_ = false;
};

}  // namespace tessa::testing

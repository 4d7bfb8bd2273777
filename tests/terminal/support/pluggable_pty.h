#pragma once
// A socat pty pair at fixed link paths that can be pulled and plugged in again.
#include "support/wait_for.h"

#include <QFileInfo>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>
#include <QUuid>

namespace tessa::testing {

// A socat pty pair at fixed link paths that can be killed (as an adapter is pulled) and made
// again at the same paths (plugged back in). socat is ended with SIGTERM so that it removes its
// links: a link left dangling would point at a /dev/pts number that another program's new pty
// may take meanwhile on a busy machine.
class PluggablePty {
public:
    PluggablePty()
        // Unique link names: the serial lock file is named after the port's name alone.
        : near_(dir_.filePath(QStringLiteral("near") + QUuid::createUuid().toString(QUuid::Id128).left(12)))
        , far_(dir_.filePath(QStringLiteral("far") + QUuid::createUuid().toString(QUuid::Id128).left(12)))
    {
    }
    ~PluggablePty() { pull(); }

    QString nearPath() const { return near_; }
    QString farPath() const { return far_; }

    bool plugIn()
    {
        socat_.setProgram(QStringLiteral("socat"));
        socat_.setArguments({QStringLiteral("pty,raw,echo=0,link=") + near_, QStringLiteral("pty,raw,echo=0,link=") + far_});
        socat_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        socat_.start();
        return socat_.waitForStarted(10000) && waitFor([this] { return QFileInfo::exists(near_) && QFileInfo::exists(far_); });
    }
    void pull()
    {
        if (socat_.state() == QProcess::NotRunning)
            return;
        socat_.terminate();
        if (!socat_.waitForFinished(5000)) {
            socat_.kill();
            socat_.waitForFinished(5000);
        }
    }

private:
    QTemporaryDir dir_;
    QString near_;
    QString far_;
    QProcess socat_;
};

}  // namespace tessa::testing

#include "serial/reconnect_policy.h"

#include "serial/port_watcher.h"

#include <QFileInfo>

namespace tessa {

ReconnectPolicy::ReconnectPolicy(PortWatcher& watcher, Reopen reopen, QObject* parent)
    : QObject(parent)
    , watcher_(watcher)
    , reopen_(std::move(reopen))
{
    retry_.setSingleShot(true);
    retry_.setInterval(kRetryMs);
    connect(&retry_, &QTimer::timeout, this, &ReconnectPolicy::attempt);
    connect(&watcher_, &PortWatcher::appeared, this, &ReconnectPolicy::onAppeared);
}

void ReconnectPolicy::setEnabled(bool on)
{
    enabled_ = on;
    if (!on)
        retry_.stop();
}

void ReconnectPolicy::portLost(const QString& path)
{
    awaited_ = path;
    attemptsLeft_ = 0;
    toldOther_ = false;
    retry_.stop();
    watcher_.addPath(path);
    // The loss may be handled late (after a message the user had to acknowledge): a device
    // already back at the path will not appear again, so it is tried without waiting for that.
    if (enabled_ && QFileInfo::exists(path)) {
        attemptsLeft_ = kAttempts;
        retry_.start();
    }
}

void ReconnectPolicy::cancel()
{
    awaited_.clear();
    attemptsLeft_ = 0;
    retry_.stop();
}

void ReconnectPolicy::onAppeared(const QString& path)
{
    if (!enabled_ || path != awaited_)
        return;
    attemptsLeft_ = kAttempts;
    attempt();
}

void ReconnectPolicy::attempt()
{
    if (!enabled_ || awaited_.isEmpty() || attemptsLeft_ <= 0)
        return;
    if (!QFileInfo::exists(awaited_)) {
        attemptsLeft_ = 0;  // gone again: its next appearance starts the attempts anew
        return;
    }
    if (recognise_ && !recognise_(awaited_)) {
        // Someone else's device: never opened, and no attempt used up, since whatever now
        // holds the path may give way to ours without the path ever going away.
        if (!std::exchange(toldOther_, true))
            emit otherDevice(awaited_);
        retry_.start();
        return;
    }
    --attemptsLeft_;
    if (reopen_()) {
        const QString path = std::exchange(awaited_, QString());
        attemptsLeft_ = 0;
        emit reconnected(path);
        return;
    }
    if (attemptsLeft_ > 0)
        retry_.start();
    else
        emit reconnectFailed(awaited_);
}

}  // namespace tessa

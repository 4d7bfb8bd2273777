#include "serial/port_watcher.h"

#include <QFileInfo>
#include <QSerialPortInfo>

#include <algorithm>

namespace tessa {

PortWatcher::PortWatcher(QObject* parent)
    : QObject(parent)
{
    timer_.setInterval(kDefaultIntervalMs);
    connect(&timer_, &QTimer::timeout, this, &PortWatcher::poll);
}

void PortWatcher::setIntervalMs(int ms)
{
    timer_.setInterval(ms > 0 ? ms : kDefaultIntervalMs);
}

void PortWatcher::addPath(const QString& path)
{
    if (path.isEmpty() || extraPaths_.contains(path))
        return;
    extraPaths_.append(path);
    if (QFileInfo::exists(path))
        present_.insert(path);
}

void PortWatcher::removePath(const QString& path)
{
    extraPaths_.removeAll(path);
}

void PortWatcher::start()
{
    present_ = look();
    timer_.start();
}

void PortWatcher::stop()
{
    timer_.stop();
}

QStringList PortWatcher::ports() const
{
    QStringList list(present_.begin(), present_.end());
    std::sort(list.begin(), list.end());
    return list;
}

QSet<QString> PortWatcher::look() const
{
    QSet<QString> found;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts())
        found.insert(info.systemLocation());
    // exists() follows a link, so a link left dangling by a killed pty counts as gone.
    for (const QString& path : extraPaths_)
        if (QFileInfo::exists(path))
            found.insert(path);
    return found;
}

void PortWatcher::poll()
{
    const QSet<QString> now = look();
    const QSet<QString> before = std::exchange(present_, now);
    QStringList gone(before.begin(), before.end());
    QStringList came(now.begin(), now.end());
    gone.removeIf([&](const QString& p) { return now.contains(p); });
    came.removeIf([&](const QString& p) { return before.contains(p); });
    std::sort(gone.begin(), gone.end());
    std::sort(came.begin(), came.end());
    for (const QString& path : gone)
        emit vanished(path);
    for (const QString& path : came)
        emit appeared(path);
}

}  // namespace tessa

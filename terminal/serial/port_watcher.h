#pragma once

#include <QObject>
#include <QSet>
#include <QStringList>
#include <QTimer>

namespace tessa {

// Polls for serial ports coming and going: the system's ports (QSerialPortInfo) plus given
// paths such as links to pseudo-terminals, which the system's list does not show. Reports
// each change once; ports present at start() or when a path is added are known silently.
class PortWatcher : public QObject {
    Q_OBJECT
public:
    static constexpr int kDefaultIntervalMs = 500;

    explicit PortWatcher(QObject* parent = nullptr);

    void setIntervalMs(int ms);
    // Paths watched besides the system's ports.
    void addPath(const QString& path);
    void removePath(const QString& path);

    void start();
    void stop();
    bool isActive() const { return timer_.isActive(); }

    // The ports present at the last look, sorted.
    QStringList ports() const;
    bool isPresent(const QString& path) const { return present_.contains(path); }

    // Looks now; the timer calls it every interval.
    void poll();

signals:
    void appeared(const QString& path);
    void vanished(const QString& path);

private:
    QSet<QString> look() const;

    QTimer timer_;
    QStringList extraPaths_;
    QSet<QString> present_;
};

}  // namespace tessa

#pragma once

#include <QObject>
#include <QString>
#include <QTimer>

#include <functional>

namespace tessa {

class PortWatcher;

// "Reconnect when the port returns": after the connected port was lost, reopens it when a
// device appears again at the same path. Off by default. A device that has just appeared may
// refuse a moment longer (permissions still being set), so a failed reopen is tried again a
// few times before giving up until the next appearance.
class ReconnectPolicy : public QObject {
    Q_OBJECT
public:
    // Opens the port again at its path; false when that failed.
    using Reopen = std::function<bool()>;
    static constexpr int kAttempts = 5;
    static constexpr int kRetryMs = 300;

    // Whether the device now at the path is the one that was lost.
    using Recognise = std::function<bool(const QString& path)>;

    ReconnectPolicy(PortWatcher& watcher, Reopen reopen, QObject* parent = nullptr);
    // Without it every device at the path counts as the lost one.
    void setRecognise(Recognise recognise) { recognise_ = std::move(recognise); }

    void setEnabled(bool on);
    bool isEnabled() const { return enabled_; }

    // The connected port at path went away: await its return (the path is added to the watcher).
    // A device already present at path again is tried shortly, as if it had just appeared.
    void portLost(const QString& path);
    // The user connected or disconnected by hand: nothing to await any more.
    void cancel();
    bool isAwaiting() const { return !awaited_.isEmpty(); }
    QString awaitedPath() const { return awaited_; }

signals:
    void reconnected(const QString& path);
    // The device came back but could not be opened after every attempt.
    void reconnectFailed(const QString& path);
    // Another device is at the path (once per wait): not opened; looked at again every
    // kRetryMs until the lost one is back there.
    void otherDevice(const QString& path);

private:
    void onAppeared(const QString& path);
    void attempt();

    PortWatcher& watcher_;
    Reopen reopen_;
    Recognise recognise_;
    bool toldOther_ = false;
    bool enabled_ = false;
    QString awaited_;
    int attemptsLeft_ = 0;
    QTimer retry_;
};

}  // namespace tessa

#pragma once

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>

namespace tessa::testing {

// Two linked pseudo-terminals made by socat: what is written to one end can be read at the
// other. The terminal under test opens nearPath(); the test plays the device at farPath().
// Link names are unique so that parallel tests never share a serial lock file. The pair can be
// ended (an adapter pulled) and made again at the same paths (plugged back in).
class PtyPair {
public:
    enum class Start { Now, Later };
    explicit PtyPair(Start start = Start::Now);
    ~PtyPair();
    PtyPair(const PtyPair&) = delete;
    PtyPair& operator=(const PtyPair&) = delete;

    bool ready() const { return ready_; }
    QString nearPath() const { return near_; }
    QString farPath() const { return far_; }

    // Makes the pair at the paths (again); true once both links exist.
    bool plugIn();
    // Ends socat: both ends vanish, as when a USB adapter is pulled. socat is ended with SIGTERM
    // so that it removes its links: a link left dangling would point at a /dev/pts number that
    // another program's new pty may take meanwhile on a busy machine.
    void stop();
    // Ends socat at once (kill -9): its links stay, dangling, at the numbers it had.
    void kill();

private:
    QTemporaryDir dir_;
    QProcess socat_;
    QString near_;
    QString far_;
    bool ready_ = false;
};

// The device's side of the line: a raw descriptor on the far pty.
class FarEnd {
public:
    explicit FarEnd(const QString& path);
    ~FarEnd();
    FarEnd(const FarEnd&) = delete;
    FarEnd& operator=(const FarEnd&) = delete;

    bool isOpen() const { return fd_ >= 0; }
    bool write(const QByteArray& bytes);
    // Writes what the line takes now without waiting; returns the count written (0 when full).
    qsizetype writeSome(QByteArrayView bytes);
    // Reads until count bytes came or timeoutMs passed, running the Qt event loop meanwhile.
    QByteArray read(qsizetype count, int timeoutMs = 10000);
    // Whatever arrives within quietMs (used to show that nothing more was sent).
    QByteArray readFor(int quietMs);

private:
    int fd_ = -1;
};

}  // namespace tessa::testing

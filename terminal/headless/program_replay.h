#pragma once

#include <QByteArrayView>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <functional>

namespace tessa {

// Replays the records of a send/delay program (record_format.h) a number of times without a
// window: each data record's bytes are written in turn, each delay record pauses for its
// milliseconds. Between two records the thread's other work gets its turn.
//
// Example:
//   ProgramReplay replay([&](QByteArrayView b) { return port.write(b); });
//   replay.start(parseProgramFile(bytes).records, 3);  // finished() when the third pass ends
class ProgramReplay : public QObject {
    Q_OBJECT
public:
    explicit ProgramReplay(std::function<bool(QByteArrayView bytes)> write, QObject* parent = nullptr);

    // records: as the editor stores them; loops: passes, at least 1.
    void start(const QStringList& records, int loops);
    void stop();
    bool isRunning() const { return running_; }
    // Records written so far in this run.
    qint64 recordsSent() const { return sent_; }

signals:
    // ok: every pass ran; otherwise message says which write failed or that it was stopped.
    void finished(bool ok, const QString& message);

private:
    void next();
    void end(bool ok, const QString& message);

    std::function<bool(QByteArrayView)> write_;
    QStringList records_;
    QTimer timer_;
    qsizetype index_ = 0;
    int loop_ = 0;
    int loops_ = 1;
    qint64 sent_ = 0;
    bool running_ = false;
};

}  // namespace tessa

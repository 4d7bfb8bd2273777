#pragma once

#include <QByteArrayView>
#include <QFile>
#include <QObject>
#include <QTimer>

#include <functional>

namespace tessa {

// Sends a file as it is, in chunks of a chosen size with a chosen delay between them, from the
// event loop (the window never waits for it). A chunk goes only when the line has taken the
// previous ones, so progress counts bytes that left, and a slow line slows the send instead
// of piling the file up in memory.
class FileSender : public QObject {
    Q_OBJECT
public:
    static constexpr int kMaxChunkBytes = 64 * 1024;
    static constexpr int kMaxDelayMs = 60000;
    static constexpr int kWaitMs = 5;  // between looks at a line still busy

    using Writer = std::function<bool(QByteArrayView bytes)>;
    using Backlog = std::function<qint64()>;  // bytes written but not yet taken by the line

    FileSender(Writer writer, Backlog backlog, QObject* parent = nullptr);

    // Starts sending; false (with errorString()) when the file cannot be read or a send runs.
    bool start(const QString& path, int chunkBytes, int delayMs);
    void cancel();
    // The port went away while sending: ends the send, saying so and after how many bytes.
    void portLost();
    bool running() const { return file_.isOpen(); }
    qint64 totalBytes() const { return total_; }
    QString errorString() const { return error_; }

signals:
    void progress(qint64 sent, qint64 total);
    // ok false: cancelled or failed, with why.
    void finished(bool ok, const QString& message);

private:
    void sendChunk();
    void finish(bool ok, const QString& message);

    Writer writer_;
    Backlog backlog_;
    QFile file_;
    QTimer timer_;
    int chunkBytes_ = 1;
    int delayMs_ = 0;
    qint64 sent_ = 0;
    qint64 total_ = 0;
    QString error_;
};

}  // namespace tessa

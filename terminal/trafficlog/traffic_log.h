#pragma once

#include "trafficlog/traffic_format.h"

#include <QObject>
#include <QString>
#include <QTimer>

#include <atomic>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

namespace tessa {

// Records every chunk sent and received to a text file (format: traffic_format.h).
//
// record() runs on the port's thread and only queues a copy of the chunk; a writer thread
// formats and writes the queue at least every kFlushIntervalMs, and everything on stop().
// When the file cannot be written (disk full, device gone, its folder removed), the log stops
// itself, keeps whatever whole lines are already in the file, and reports failed() once, on
// the thread that owns the log (a timer there looks for it; no signal crosses threads).
class TrafficLog : public QObject {
    Q_OBJECT
public:
    static constexpr int kFlushIntervalMs = 250;

    explicit TrafficLog(QObject* parent = nullptr);
    ~TrafficLog() override;  // stops, writing what is queued, without emitting failed()

    // Creates (truncates) the file and writes the header line. On failure returns false and
    // leaves the reason in errorString(). A running log is stopped first.
    bool start(const QString& path);
    // Writes what is queued, closes the file. Harmless when not running.
    void stop();

    bool isRunning() const { return running_.load(std::memory_order_acquire); }
    QString path() const { return path_; }
    // Bytes in the file so far (the header included); for a status bar.
    std::int64_t fileSize() const { return fileSize_.load(std::memory_order_relaxed); }
    // The reason the last start failed or the log stopped itself; empty otherwise.
    QString errorString() const;

    // Cheap; ignored when not running. Chunks are written in the order of the calls.
    void record(TrafficDirection direction, QByteArrayView bytes, TrafficTime time = TrafficTime::now());

signals:
    void failed(const QString& message);

private:
    void run();
    void waitForWork(std::unique_lock<std::mutex>& lock);
    bool writeOut(const QByteArray& text, QString& reason);
    bool fileStillThere(QString& reason);
    void fail(const QString& reason);
    void closeFile();
    void stopWriter();
    void wakeWriter();
    void reportFailure();

    QString path_;
    int fd_ = -1;
    int wakeRead_ = -1;  // a pipe that ends the writer's wait early
    int wakeWrite_ = -1;
    std::thread writer_;
    std::atomic<bool> running_ {false};
    std::atomic<std::int64_t> fileSize_ {0};
    std::atomic<bool> failurePending_ {false};
    QTimer failureCheck_;

    mutable std::mutex mutex_;
    std::vector<TrafficChunk> queue_;
    qsizetype queuedBytes_ = 0;
    bool stopping_ = false;
    QString error_;
};

}  // namespace tessa

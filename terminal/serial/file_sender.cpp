#include "serial/file_sender.h"

#include <algorithm>

#include "files/regular_file.h"

using namespace Qt::StringLiterals;

namespace tessa {

FileSender::FileSender(Writer writer, Backlog backlog, QObject* parent)
    : QObject(parent)
    , writer_(std::move(writer))
    , backlog_(std::move(backlog))
{
    timer_.setSingleShot(true);
    connect(&timer_, &QTimer::timeout, this, &FileSender::sendChunk);
}

bool FileSender::start(const QString& path, int chunkBytes, int delayMs)
{
    error_.clear();
    if (running()) {
        error_ = u"A file is being sent"_s;
        return false;
    }
    if (!openRegularFile(file_, path, error_))
        return false;
    chunkBytes_ = std::clamp(chunkBytes, 1, kMaxChunkBytes);
    delayMs_ = std::clamp(delayMs, 0, kMaxDelayMs);
    sent_ = 0;
    total_ = file_.size();
    emit progress(0, total_);
    timer_.start(0);
    return true;
}

void FileSender::cancel()
{
    if (running())
        finish(false, u"Cancelled after %1 of %2 bytes"_s.arg(sent_).arg(total_));
}

void FileSender::portLost()
{
    if (running())
        finish(false, u"The port was lost after %1 of %2 bytes"_s.arg(sent_).arg(total_));
}

void FileSender::sendChunk()
{
    if (!running())
        return;
    // The previous chunks first leave: the delay runs between chunks on the line.
    if (backlog_() > 0) {
        timer_.start(kWaitMs);
        return;
    }
    if (sent_ >= total_ || file_.atEnd()) {
        finish(true, u"Sent %1 bytes"_s.arg(sent_));
        return;
    }
    const QByteArray chunk = file_.read(chunkBytes_);
    if (chunk.isEmpty()) {
        finish(false, u"The file could not be read: %1"_s.arg(file_.errorString()));
        return;
    }
    if (!writer_(chunk)) {
        finish(false, u"The port refused the bytes after %1 of %2 (not connected?)"_s.arg(sent_).arg(total_));
        return;
    }
    sent_ += chunk.size();
    emit progress(sent_, total_);
    timer_.start(sent_ >= total_ ? 0 : delayMs_);
}

void FileSender::finish(bool ok, const QString& message)
{
    timer_.stop();
    file_.close();
    emit finished(ok, message);
}

}  // namespace tessa

#pragma once

#include <QByteArray>
#include <QString>

namespace tessa {

// Download of a program or parameter file to the motion controller.

inline constexpr qint64 kDownloadLimitBytes = 10000;

QByteArray programAnnouncement();  // c73 CR LF
QByteArray parameterAnnouncement();  // c83 CR LF

// A file read for download. Reading stops after one byte past the limit, so a file of any
// size (or a device that never ends) costs at most that much.
struct DownloadFile {
    enum class Status { Ok, TooLarge, Unreadable };
    Status status = Status::Unreadable;
    QByteArray bytes;  // the whole file when Ok (possibly empty)
    QString error;  // why it could not be read
};
DownloadFile readDownloadFile(const QString& path);

QString downloadTooLargeMessage();  // "Filesize too large over 10000Bytes"

}  // namespace tessa

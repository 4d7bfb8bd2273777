#include "panels/download.h"

#include <QFile>

#include "files/regular_file.h"

namespace tessa {

QByteArray programAnnouncement()
{
    return QByteArrayLiteral("c73\r\n");
}

QByteArray parameterAnnouncement()
{
    return QByteArrayLiteral("c83\r\n");
}

DownloadFile readDownloadFile(const QString& path)
{
    DownloadFile result;
    QFile file;
    if (!openRegularFile(file, path, result.error))
        return result;
    QByteArray bytes;
    while (bytes.size() <= kDownloadLimitBytes) {
        const QByteArray part = file.read(kDownloadLimitBytes + 1 - bytes.size());
        if (part.isEmpty()) {
            if (file.error() != QFileDevice::NoError) {
                result.error = file.errorString();
                return result;
            }
            break;
        }
        bytes += part;
    }
    if (bytes.size() > kDownloadLimitBytes) {
        result.status = DownloadFile::Status::TooLarge;
        return result;
    }
    result.status = DownloadFile::Status::Ok;
    result.bytes = bytes;
    return result;
}

QString downloadTooLargeMessage()
{
    return QStringLiteral("Filesize too large over 10000Bytes");
}

}  // namespace tessa

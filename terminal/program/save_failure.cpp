#include "program/save_failure.h"

#include <QFileInfo>
#include <QStorageInfo>

namespace tessa {

QString saveFailureReason(const QString& path, qint64 bytesToWrite, const QString& reported)
{
    // A file takes whole blocks: one block more than the bytes is the least room it needs.
    const QStorageInfo disk(QFileInfo(path).absolutePath());
    if (disk.isValid() && disk.bytesAvailable() >= 0 && disk.bytesAvailable() < bytesToWrite + disk.blockSize())
        return QStringLiteral("the disk is full (%1 has %2 bytes free)")
            .arg(disk.rootPath())
            .arg(disk.bytesAvailable());
    if (reported.isEmpty() || reported == QStringLiteral("Unknown error"))
        return QStringLiteral("the system gave no reason");
    return reported;
}

}  // namespace tessa

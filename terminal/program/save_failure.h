#pragma once

#include <QString>

namespace tessa {

// Why writing bytesToWrite bytes to path failed, in words a user can act on. A full disk is
// said as such (the file layer may report it only as "Unknown error"); otherwise the reported
// reason, or that the system gave none.
QString saveFailureReason(const QString& path, qint64 bytesToWrite, const QString& reported);

}  // namespace tessa

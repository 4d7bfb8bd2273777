// Opening a file the user chose, for reading, without ever waiting: a FIFO nobody writes to
// would block open() (and the window with it) until some process does, and a device or a
// folder is no file to load or send. Only a regular file is opened.
#pragma once

#include <QFile>
#include <QString>

namespace tessa {

// Opens `path` read-only into `file` when it is a regular file. Otherwise false, with `error`
// saying why in the words the file errors use ("No such file or directory", "Not a regular
// file (a FIFO)"); `file` stays closed.
bool openRegularFile(QFile& file, const QString& path, QString& error);

}  // namespace tessa

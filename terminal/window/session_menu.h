#pragma once

#include "session/session_file.h"

#include <QObject>

#include <functional>

class QAction;
class QMenu;
class QWidget;

namespace tessa {

class Dialogs;

// File > "Open session..." and "Save session...": the bench set-up (session_file.h) read from
// and written to one file. The window says how to take its state (gather) and how to put a
// session in place (apply); a file is read and checked whole before apply is called, so a
// damaged one changes nothing and is refused in a message with the reason.
class SessionMenu : public QObject {
    Q_OBJECT
public:
    SessionMenu(QWidget* window, Dialogs& dialogs, QMenu& fileMenu, std::function<Session()> gather,
                std::function<void(const Session&)> apply);

    // Opens path (as `tessa FILE` does); false, after the message, when it is refused.
    bool open(const QString& path);
    // Writes the window's state to path; false, after the message, when it cannot be written.
    bool save(const QString& path);

private:
    void chooseAndOpen();
    void chooseAndSave();

    QWidget* window_;
    Dialogs& dialogs_;
    std::function<Session()> gather_;
    std::function<void(const Session&)> apply_;
    // What the last opened file held beyond what this version knows, written back on save.
    QJsonObject kept_;
    QString lastPath_;
};

}  // namespace tessa

#include "window/session_menu.h"

#include "window/dialogs.h"

#include <QAction>
#include <QMenu>

using namespace Qt::StringLiterals;

namespace tessa {

namespace {

QString sessionFilter()
{
    return SessionMenu::tr("tessa session (*.tessa);;All files (*)");
}

}  // namespace

SessionMenu::SessionMenu(QWidget* window, Dialogs& dialogs, QMenu& fileMenu, std::function<Session()> gather,
                         std::function<void(const Session&)> apply)
    : QObject(window)
    , window_(window)
    , dialogs_(dialogs)
    , gather_(std::move(gather))
    , apply_(std::move(apply))
{
    fileMenu.addSeparator();
    QAction* openItem = fileMenu.addAction(tr("Open s&ession..."));
    openItem->setObjectName(u"mnu_open_session"_s);
    openItem->setToolTip(tr("從工作階段檔案載入通訊埠、線路設定、自動回應、腳本與面板內容"));
    QAction* saveItem = fileMenu.addAction(tr("Save sess&ion..."));
    saveItem->setObjectName(u"mnu_save_session"_s);
    saveItem->setToolTip(tr("將通訊埠、線路設定、自動回應、腳本與面板內容存成一個工作階段檔案"));
    connect(openItem, &QAction::triggered, this, &SessionMenu::chooseAndOpen);
    connect(saveItem, &QAction::triggered, this, &SessionMenu::chooseAndSave);
}

void SessionMenu::chooseAndOpen()
{
    if (const auto path = dialogs_.openFileName(window_, sessionFilter(), lastPath_, tr("Open session")))
        open(*path);
}

void SessionMenu::chooseAndSave()
{
    if (const auto path = dialogs_.saveFileName(window_, sessionFilter(), lastPath_, tr("Save session")))
        save(*path);
}

bool SessionMenu::open(const QString& path)
{
    QString error;
    const auto session = readSessionFile(path, &error);
    if (!session) {
        dialogs_.message(window_, QMessageBox::Warning, tr("Open session"),
                         tr("無法開啟工作階段檔案 %1，什麼都沒有改變：\n%2").arg(path, error), QMessageBox::Ok,
                         QMessageBox::NoButton, u"SessionRefusedMessage"_s);
        return false;
    }
    apply_(*session);
    kept_ = session->kept;
    lastPath_ = path;
    return true;
}

bool SessionMenu::save(const QString& path)
{
    Session session = gather_();
    session.kept = kept_;
    QString error;
    if (!writeSessionFile(path, session, &error)) {
        dialogs_.message(window_, QMessageBox::Warning, tr("Save session"),
                         tr("無法寫入工作階段檔案 %1：\n%2").arg(path, error), QMessageBox::Ok, QMessageBox::NoButton,
                         u"SessionNotSavedMessage"_s);
        return false;
    }
    lastPath_ = path;
    return true;
}

}  // namespace tessa

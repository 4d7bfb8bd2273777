#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

class QAction;
class QMainWindow;
class QMenu;

namespace tessa {

class Dialogs;
class SettingsStore;

// The guide's first page: the installed one (<prefix>/share/doc/tessa/guide/index.html beside
// the program's bin/ folder), else the build tree's (buildGuide, built with the program); empty
// when neither exists.
// Example: guidePath("/usr/bin", "") is "/usr/share/doc/tessa/guide/index.html" once installed.
QString guidePath(const QString& applicationDir, const QString& buildGuide);

// The window's shortcuts, one "key<TAB>item" line per menu item that has one (in menu order),
// then the keys that belong to no menu item.
QStringList shortcutLines(const QMainWindow& window);

// The Help menu: Guide (F1), Keyboard shortcuts, About, and the language for the next start.
class HelpMenu : public QObject {
    Q_OBJECT
public:
    HelpMenu(QMainWindow& window, SettingsStore& settings, Dialogs& dialogs);

    // Help > Guide: opens the guide in the desktop's browser; says where it was looked for
    // when it is missing.
    void showGuide();
    void showShortcuts();
    void showAbout();
    // Help > Language: stores the choice ("zh" or "en") and says it applies at the next start.
    void chooseLanguage(bool english);

private:
    QMainWindow& window_;
    SettingsStore& settings_;
    Dialogs& dialogs_;
    QAction* chinese_ = nullptr;
    QAction* english_ = nullptr;
};

}  // namespace tessa

#include "window/help_menu.h"

#include "i18n/language.h"
#include "script/lua_sandbox.h"
#include "settings/settings_keys.h"
#include "settings/settings_store.h"
#include "window/dialogs.h"

#include <QActionGroup>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QUrl>

using namespace Qt::StringLiterals;

#ifndef TESSA_VERSION
#define TESSA_VERSION "unknown"
#endif
#ifndef TESSA_BUILD_GUIDE
#define TESSA_BUILD_GUIDE ""
#endif

namespace tessa {
namespace {

void collectShortcuts(const QMenu& menu, QStringList& lines)
{
    for (QAction* action : menu.actions()) {
        if (action->menu())
            collectShortcuts(*action->menu(), lines);
        else if (!action->shortcut().isEmpty())
            lines << action->shortcut().toString(QKeySequence::NativeText) + u'\t'
                    + QString(action->text()).remove(u'&');
    }
}

}  // namespace

QString guidePath(const QString& applicationDir, const QString& buildGuide)
{
    const QString installed = QDir::cleanPath(applicationDir + u"/../share/doc/tessa/guide/index.html"_s);
    if (QFileInfo::exists(installed))
        return installed;
    if (!buildGuide.isEmpty() && QFileInfo::exists(buildGuide))
        return buildGuide;
    return QString();
}

QStringList shortcutLines(const QMainWindow& window)
{
    QStringList lines;
    for (QAction* action : window.menuBar()->actions())
        if (action->menu())
            collectShortcuts(*action->menu(), lines);
    lines << HelpMenu::tr("Enter\tSends the command line (page 測試編輯) or the typed characters")
          << HelpMenu::tr("Double-click\tResends a line of the command history (page 測試編輯)");
    return lines;
}

HelpMenu::HelpMenu(QMainWindow& window, SettingsStore& settings, Dialogs& dialogs)
    : QObject(&window)
    , window_(window)
    , settings_(settings)
    , dialogs_(dialogs)
{
    setObjectName(u"HelpMenu"_s);
    QMenu* help = window.menuBar()->addMenu(tr("&Help"));
    help->setObjectName(u"mnu_help"_s);
    QAction* guide = help->addAction(tr("&Guide"));
    guide->setObjectName(u"mnu_help_guide"_s);
    guide->setShortcut(QKeySequence(Qt::Key_F1));
    guide->setToolTip(tr("Opens the user guide in the web browser"));
    QAction* shortcuts = help->addAction(tr("&Keyboard shortcuts"));
    shortcuts->setObjectName(u"mnu_help_shortcuts"_s);
    QAction* about = help->addAction(tr("&About tessa"));
    about->setObjectName(u"mnu_help_about"_s);
    shortcuts->setToolTip(tr("Lists the keys of the window's commands"));
    about->setToolTip(tr("The version, the Qt version and where the settings are kept"));
    help->setToolTipsVisible(true);
    help->addSeparator();

    QMenu* language = help->addMenu(tr("&Language (applied at the next start)"));
    language->setObjectName(u"mnu_language"_s);
    auto* group = new QActionGroup(language);
    chinese_ = language->addAction(tr("中文"));
    chinese_->setObjectName(u"mnu_language_zh"_s);
    english_ = language->addAction(tr("English"));
    english_->setObjectName(u"mnu_language_en"_s);
    for (QAction* item : {chinese_, english_}) {
        item->setCheckable(true);
        group->addAction(item);
    }
    const bool storedEnglish =
        tessa::chooseLanguage({}, QString(), settings_.read(kLanguageKey, QString())) == Language::English;
    (storedEnglish ? english_ : chinese_)->setChecked(true);

    connect(guide, &QAction::triggered, this, &HelpMenu::showGuide);
    connect(shortcuts, &QAction::triggered, this, &HelpMenu::showShortcuts);
    connect(about, &QAction::triggered, this, &HelpMenu::showAbout);
    connect(chinese_, &QAction::triggered, this, [this] { chooseLanguage(false); });
    connect(english_, &QAction::triggered, this, [this] { chooseLanguage(true); });
}

void HelpMenu::showGuide()
{
    const QString path = guidePath(QCoreApplication::applicationDirPath(), QString::fromUtf8(TESSA_BUILD_GUIDE));
    if (path.isEmpty() || !QDesktopServices::openUrl(QUrl::fromLocalFile(path)))
        dialogs_.message(&window_, QMessageBox::Information, tr("Guide"),
                         tr("The guide was not found. It is installed as /usr/share/doc/tessa/guide/index.html "
                            "(package tessa); run \"man tessa\" for the options and files."),
                         QMessageBox::Ok, QMessageBox::NoButton, u"GuideMissingMessage"_s);
}

void HelpMenu::showShortcuts()
{
    QString text;
    for (const QString& line : shortcutLines(window_)) {
        const qsizetype tab = line.indexOf(u'\t');
        text += u"<tr><td><b>%1</b></td><td>%2</td></tr>"_s.arg(line.left(tab).toHtmlEscaped(),
                                                                line.mid(tab + 1).toHtmlEscaped());
    }
    dialogs_.message(&window_, QMessageBox::NoIcon, tr("Keyboard shortcuts"), u"<table>"_s + text + u"</table>"_s,
                     QMessageBox::Ok, QMessageBox::NoButton, u"ShortcutsMessage"_s);
}

void HelpMenu::showAbout()
{
    dialogs_.message(&window_, QMessageBox::Information, tr("About tessa"),
                     tr("tessa %1, a test terminal for devices on a serial line.\n"
                        "Qt %2 (built with %3), %4 for the test scripts; Modbus RTU frames are tessa's own.\n"
                        "Settings: %5\n"
                        "Guide: %6")
                         .arg(QString::fromUtf8(TESSA_VERSION), QString::fromLatin1(qVersion()),
                              QString::fromLatin1(QT_VERSION_STR), QString::fromLatin1(luaRelease()),
                              settings_.fileName(),
                              guidePath(QCoreApplication::applicationDirPath(), QString::fromUtf8(TESSA_BUILD_GUIDE))),
                     QMessageBox::Ok, QMessageBox::NoButton, u"AboutMessage"_s);
}

void HelpMenu::chooseLanguage(bool english)
{
    settings_.write(kLanguageKey, languageCode(english ? Language::English : Language::Chinese));
    (english ? english_ : chinese_)->setChecked(true);
    dialogs_.message(&window_, QMessageBox::Information, tr("Language"),
                     english ? tr("The window is in English from the next start of tessa.")
                             : tr("The window is in Chinese (the designed captions) from the next start of tessa."),
                     QMessageBox::Ok, QMessageBox::NoButton, u"LanguageMessage"_s);
}

}  // namespace tessa

// English on request: the translation compiled into the window, the language choice, and the
// Help menu; the designed Chinese captions stay the default.
#include "i18n/language.h"
#include "settings/settings_keys.h"
#include "settings/settings_store.h"
#include "support/form_test.h"
#include "support/window_test_main.h"
#include "window/help_menu.h"

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QAction>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMenu>
#include <QMenuBar>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTemporaryDir>

using namespace Qt::StringLiterals;
using tessa::Language;
using tessa::testing::stored;

namespace {

// Every text the window shows of its own (captions, titles, tab and menu texts, tooltips,
// placeholders), keyed by where it is; what the user types into boxes is not the window's.
QMap<QString, QString> windowTexts(QMainWindow& window)
{
    QMap<QString, QString> texts;
    // Keyed by place in the window (the order of construction), so both languages compare.
    int ordinal = 0;
    const auto key = [&ordinal](const QObject* o, const char* what) {
        return u"%1 %2#%3 %4"_s.arg(ordinal, 4, 10, QChar(u'0'))
            .arg(o->objectName(), o->property("index").toString(), QString::fromLatin1(what));
    };
    texts.insert(u"window title"_s, window.windowTitle());
    for (QWidget* w : window.findChildren<QWidget*>()) {
        ++ordinal;
        if (!w->toolTip().isEmpty())
            texts.insert(key(w, "tooltip"), w->toolTip());
        if (auto* b = qobject_cast<QAbstractButton*>(w))
            texts.insert(key(w, "text"), b->text());
        else if (auto* l = qobject_cast<QLabel*>(w))
            texts.insert(key(w, "text"), l->text());
        else if (auto* g = qobject_cast<QGroupBox*>(w))
            texts.insert(key(w, "title"), g->title());
        else if (auto* e = qobject_cast<QLineEdit*>(w))
            texts.insert(key(w, "placeholder"), e->placeholderText());
        else if (auto* m = qobject_cast<QMenu*>(w))
            texts.insert(key(w, "menu"), m->title());
        if (auto* tabs = qobject_cast<QTabWidget*>(w))
            for (int i = 0; i < tabs->count(); ++i) {
                texts.insert(key(w, "tab") + QString::number(i), tabs->tabText(i));
                texts.insert(key(w, "tabtip") + QString::number(i), tabs->tabToolTip(i));
            }
    }
    for (QAction* a : window.findChildren<QAction*>()) {
        ++ordinal;
        texts.insert(key(a, "action"), a->text());
        texts.insert(key(a, "actiontip"), a->toolTip());
    }
    return texts;
}

QStringList withHan(const QMap<QString, QString>& texts)
{
    static const QRegularExpression han(u"\\p{Han}"_s);
    QStringList found;
    for (auto it = texts.begin(); it != texts.end(); ++it)
        if (it.value().contains(han))
            found << it.key() + u" = "_s + it.value();
    return found;
}

}  // namespace

class LanguageWindowTest : public tessa::testing::FormTest {
    Q_OBJECT

private slots:
    void init() { forgetSettingsAndPorts(); }
    void cleanup()
    {
        tessa::removeInstalledLanguage(*qApp);
        closeFormAndPty();
    }

    void languageIsChosenByOptionThenVariableThenSetting()
    {
        const QStringList none {u"tessa"_s};
        QCOMPARE(tessa::chooseLanguage(none, {}, {}), Language::Chinese);
        QCOMPARE(tessa::chooseLanguage(none, u"fr"_s, u"de"_s), Language::Chinese);
        QCOMPARE(tessa::chooseLanguage(none, {}, u"en"_s), Language::English);
        QCOMPARE(tessa::chooseLanguage(none, u"zh_TW"_s, u"en"_s), Language::Chinese);
        QCOMPARE(tessa::chooseLanguage(none, u"EN_us"_s, u"zh"_s), Language::English);
        QCOMPARE(tessa::chooseLanguage({u"tessa"_s, u"--lang"_s, u"en"_s}, u"zh"_s, u"zh"_s), Language::English);
        QCOMPARE(tessa::chooseLanguage({u"tessa"_s, u"--lang=zh"_s}, u"en"_s, u"en"_s), Language::Chinese);
        // A bad option value is passed over, not taken as Chinese.
        QCOMPARE(tessa::chooseLanguage({u"tessa"_s, u"--lang"_s, u"xx"_s}, u"en"_s, {}), Language::English);
        QCOMPARE(tessa::chooseLanguage({u"tessa"_s, u"--lang"_s}, {}, u"en"_s), Language::English);
    }

    // The system locale does not make the window English; the translation does, completely;
    // taking it away gives back the designed texts byte for byte.
    void englishHasNoHanAndChineseComesBackIdentical()
    {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        form = makeForm();
        const QMap<QString, QString> designed = windowTexts(*form);
        QCOMPARE(button("Command1")->text(), u"連線"_s);
        QCOMPARE(child<QTabWidget>("SSTab1")->tabText(0), u"自動傳送"_s);
        QVERIFY(!withHan(designed).isEmpty());
        form.reset();

        QVERIFY(tessa::installLanguage(*qApp, Language::English));
        form = makeForm();
        const QMap<QString, QString> english = windowTexts(*form);
        QCOMPARE(english.keys(), designed.keys());
        QCOMPARE(withHan(english), QStringList());
        QCOMPARE(button("Command1")->text(), u"Connect"_s);
        QCOMPARE(child<QTabWidget>("SSTab1")->tabText(3), u"ModBus test"_s);
        // A hint box and its title: the send refused while not connected.
        button("Command6")->click();
        QCOMPARE(dialogs_->texts, QStringList {u"The port is not connected yet!"_s});
        QCOMPARE(dialogs_->titles, QStringList {u"Note"_s});
        form.reset();

        tessa::removeInstalledLanguage(*qApp);
        form = makeForm();
        const QMap<QString, QString> again = windowTexts(*form);
        QCOMPARE(again, designed);
        QLocale::setDefault(QLocale::system());
    }

    // Help > Language keeps the choice for the next start and says so; the window stays as it is.
    void languageMenuStoresTheChoice()
    {
        form = makeForm();
        auto* english = child<QAction>("mnu_language_en");
        QVERIFY(child<QAction>("mnu_language_zh")->isChecked());
        english->trigger();
        QCOMPARE(stored(tessa::kLanguageKey.data()), u"en"_s);
        QVERIFY(english->isChecked());
        QCOMPARE(dialogs_->texts.size(), 1);
        QVERIFY(dialogs_->texts.first().contains(u"next start"_s));
        QCOMPARE(button("Command1")->text(), u"連線"_s);
        form.reset();
        form = makeForm();
        QVERIFY(child<QAction>("mnu_language_en")->isChecked());
        child<QAction>("mnu_language_zh")->trigger();
        QCOMPARE(stored(tessa::kLanguageKey.data()), u"zh"_s);
    }

    void helpMenuShowsShortcutsAndAbout()
    {
        form = makeForm();
        QCOMPARE(child<QAction>("mnu_help_guide")->shortcut(), QKeySequence(Qt::Key_F1));
        child<QAction>("mnu_help_shortcuts")->trigger();
        QCOMPARE(dialogs_->texts.size(), 1);
        for (const char* line : {"F1</b></td><td>Guide", "Ctrl+N</b></td><td>Open new", "Ctrl+S</b></td><td>Save File",
                                 "Ctrl+H</b></td><td>Receive history...", "Shift+F3</b></td><td>Find previous"})
            QVERIFY2(dialogs_->texts.first().contains(QString::fromLatin1(line)), line);
        // Each key once, the Find menu's Ctrl+F too.
        QCOMPARE(dialogs_->texts.first().count(u"<b>Ctrl+F</b>"_s), 1);
        child<QAction>("mnu_help_about")->trigger();
        QCOMPARE(dialogs_->texts.size(), 2);
        const QString about = dialogs_->texts.last();
        QVERIFY(about.contains(QString::fromLatin1(qVersion())));
        QVERIFY2(about.contains(u"Lua 5.4"_s), qPrintable(about));
        QVERIFY(about.contains(QRegularExpression(u"^tessa \\d+\\.\\d+"_s)));
        // The window keeps its values in the user's store.
        const QString storeFile = tessa::SettingsStore().fileName();
        QVERIFY(about.contains(storeFile));
        QVERIFY(storeFile.startsWith(qEnvironmentVariable("XDG_CONFIG_HOME")));
    }

    // Every Port menu item and every captioned control of the control lines and send file
    // panels says what it does in a tool tip of its own (not just its caption again).
    void portMenuItemsAndPanelControlsHaveToolTips()
    {
        form = makeForm();
        const auto ownTip = [](const QString& tip, const QString& caption) {
            return !tip.isEmpty() && tip != QString(caption).remove(u'&');
        };
        int items = 0;
        for (QAction* action : child<QMenu>("mnu_port")->actions())
            if (!action->isSeparator() && !action->menu()) {
                ++items;
                QVERIFY2(ownTip(action->toolTip(), action->text()), qPrintable(action->text()));
            }
        QVERIFY(items >= 10);
        for (const char* name : {"ControlLinesPanel", "SendFilePanel"}) {
            auto* panel = form->findChild<QDialog*>(QString::fromLatin1(name));
            QVERIFY2(panel, name);
            int controls = 0;
            for (QAbstractButton* control : panel->findChildren<QAbstractButton*>()) {
                ++controls;
                QVERIFY2(ownTip(control->toolTip(), control->text()), qPrintable(control->objectName()));
            }
            for (QWidget* control : panel->findChildren<QAbstractSpinBox*>())
                QVERIFY2(!control->toolTip().isEmpty(), qPrintable(control->objectName()));
            QVERIFY(controls >= 3);
        }
        for (const char* lamp : {"ControlLinesCts", "ControlLinesDsr", "ControlLinesDcd", "ControlLinesRi"})
            QVERIFY2(!child<QLabel>(lamp)->toolTip().isEmpty(), lamp);
    }

    // The installed guide is found beside the program's bin/ folder, before the build tree's.
    void guideIsFoundInstalledThenInTheBuildTree()
    {
        QTemporaryDir prefix;
        QVERIFY(QDir().mkpath(prefix.filePath(u"bin"_s)));
        const QString bin = prefix.filePath(u"bin"_s);
        QTemporaryDir build;
        const QString built = build.filePath(u"index.html"_s);
        QCOMPARE(tessa::guidePath(bin, built), QString());
        QFile(built).open(QIODevice::WriteOnly);
        QCOMPARE(tessa::guidePath(bin, built), built);
        QVERIFY(QDir().mkpath(prefix.filePath(u"share/doc/tessa/guide"_s)));
        const QString installed = prefix.filePath(u"share/doc/tessa/guide/index.html"_s);
        QFile(installed).open(QIODevice::WriteOnly);
        QCOMPARE(tessa::guidePath(bin, built), installed);
    }
};

TESSA_WINDOW_TEST_MAIN(LanguageWindowTest)
#include "language_window_test.moc"

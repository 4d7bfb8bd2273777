// Saves pictures of the window in both size modes: tessa_screenshot OUTPUT_DIR
// For each mode it writes the window as it stands after the switch (tessa_wide.png,
// tessa_narrow.png) and then one picture per page of the tab control SSTab1
// (tessa_wide_tab0.png ... tessa_narrow_tab3.png).
// Then, with socat and libmodbus at hand, two pictures of the Port menu's additions on a pty:
// the traffic log running (tessa_traffic_log.png, status bar visible) and a decoded Modbus
// reply from a libmodbus slave (tessa_modbus_reply.png); then the control lines and find
// (tessa_control_lines.png, tessa_find.png; see screenshot_port_tools.h).
// Uses a throw-away settings store so that the user's settings are not changed.
#include "app/screenshot_port_tools.h"
#include "i18n/language.h"
#include "window/dialogs.h"
#include "window/form1.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <cstdio>

#ifdef TESSA_SHOT_MODBUS
#include <modbus.h>

#include <atomic>
#include <cstdint>
#include <thread>
#endif

namespace {

// The real boxes and dialogs, but a save dialog is answered with savePath while one is set:
// the pictures need a traffic log running without a dialog in them.
class ShotDialogs : public tessa::Dialogs {
public:
    QString savePath;

    QMessageBox::StandardButton message(QWidget* parent, QMessageBox::Icon icon, const QString& title,
                                        const QString& text, QMessageBox::StandardButtons buttons,
                                        QMessageBox::StandardButton defaultButton, const QString& objectName) override
    {
        return real_.message(parent, icon, title, text, buttons, defaultButton, objectName);
    }
    std::optional<QString> openFileName(QWidget* parent, const QString& filter, const QString& start,
                                        const QString& title) override
    {
        return real_.openFileName(parent, filter, start, title);
    }
    std::optional<QString> saveFileName(QWidget* parent, const QString& filter, const QString& start,
                                        const QString& title) override
    {
        if (!savePath.isEmpty())
            return savePath;
        return real_.saveFileName(parent, filter, start, title);
    }
    int run(QDialog& dialog) override { return real_.run(dialog); }

private:
    tessa::QtDialogs real_;
};

bool save(Form1& form, const QString& path)
{
    QTest::qWait(300);  // let the window settle at its new size or page
    if (!form.grab().save(path)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    std::printf("%s (%dx%d)\n", qPrintable(path), form.width(), form.height());
    return true;
}

// One picture per tab page; the page shown before is selected again afterwards.
bool saveTabPages(Form1& form, QTabWidget& tabs, const QString& outputDir, const QString& mode)
{
    const int shown = tabs.currentIndex();
    for (int i = 0; i < tabs.count(); ++i) {
        tabs.setCurrentIndex(i);
        if (!save(form, QStringLiteral("%1/tessa_%2_tab%3.png").arg(outputDir, mode).arg(i)))
            return false;
    }
    tabs.setCurrentIndex(shown);
    return true;
}

// socat's two linked ptys under dir: the window opens "tessa", the peer "device".
bool startPtys(QProcess& socat, const QString& dir)
{
    socat.start(QStringLiteral("socat"),
                {QStringLiteral("pty,raw,echo=0,link=") + dir + QStringLiteral("/tessa"),
                 QStringLiteral("pty,raw,echo=0,link=") + dir + QStringLiteral("/device")});
    if (!socat.waitForStarted(5000))
        return false;
    return QTest::qWaitFor([&] { return QFileInfo::exists(dir + QStringLiteral("/device")); }, 5000);
}

// The traffic log running while a few lines go out and come back through the pty.
bool saveExtras(Form1& form, ShotDialogs& dialogs, const QString& outputDir)
{
    QTemporaryDir dir;
    QProcess socat;
    if (!startPtys(socat, dir.path())) {
        std::fprintf(stderr, "socat did not start: no pictures of the Port menu's additions\n");
        return true;
    }
    qputenv("TESSA_COM1", (dir.path() + QStringLiteral("/tessa")).toLocal8Bit());
    form.findChild<QLineEdit*>(QStringLiteral("Text1"))->setText(QStringLiteral("1"));
    form.findChild<QPushButton*>(QStringLiteral("Command1"))->click();
    const QString logPath = dir.path() + QStringLiteral("/traffic.txt");
    dialogs.savePath = logPath;
    form.findChild<QAction*>(QStringLiteral("mnu_traffic_log"))->trigger();
    dialogs.savePath.clear();
    auto* tabs = form.findChild<QTabWidget*>(QStringLiteral("SSTab1"));
    tabs->setCurrentIndex(1);
    auto* line = form.findChild<QLineEdit*>(QStringLiteral("Text7"));
    for (const char* text : {"STATUS?", "POS 1200", "RUN"}) {
        line->setText(QString::fromLatin1(text));
        QTest::keyClick(line, Qt::Key_Return);
    }
    QTest::qWait(1200);
    if (!save(form, outputDir + QStringLiteral("/tessa_traffic_log.png")))
        return false;
    form.findChild<QAction*>(QStringLiteral("mnu_traffic_log"))->trigger();
    form.findChild<QPushButton*>(QStringLiteral("Command2"))->click();
    socat.terminate();
    socat.waitForFinished(5000);

#ifdef TESSA_SHOT_MODBUS
    QTemporaryDir modbusDir;
    QProcess modbusSocat;
    if (!startPtys(modbusSocat, modbusDir.path()))
        return false;
    modbus_t* ctx =
        modbus_new_rtu((modbusDir.path() + QStringLiteral("/device")).toLocal8Bit().constData(), 115200, 'N', 8, 1);
    modbus_mapping_t* map = modbus_mapping_new(0, 0, 0x400, 0);
    if (!ctx || !map || modbus_set_slave(ctx, 1) != 0 || modbus_connect(ctx) != 0)
        return false;
    modbus_set_indication_timeout(ctx, 0, 100000);
    map->tab_registers[0x201] = 0xABCD;
    map->tab_registers[0x202] = 0x0042;
    std::atomic<bool> stop {false};
    std::thread slave([&] {
        std::uint8_t query[MODBUS_RTU_MAX_ADU_LENGTH];
        while (!stop) {
            const int length = modbus_receive(ctx, query);
            if (length > 0)
                modbus_reply(ctx, query, length, map);
        }
    });
    qputenv("TESSA_COM1", (modbusDir.path() + QStringLiteral("/tessa")).toLocal8Bit());
    form.findChild<QPushButton*>(QStringLiteral("Command1"))->click();
    tabs->setCurrentIndex(3);
    form.findChild<QPushButton*>(QStringLiteral("Command37"))->click();
    QTest::qWait(600);
    const bool saved = save(form, outputDir + QStringLiteral("/tessa_modbus_reply.png"));
    form.findChild<QPushButton*>(QStringLiteral("Command2"))->click();
    stop = true;
    slave.join();
    modbus_close(ctx);
    modbus_free(ctx);
    modbus_mapping_free(map);
    modbusSocat.terminate();
    modbusSocat.waitForFinished(5000);
    return saved;
#else
    std::fprintf(stderr, "built without libmodbus: no picture of a decoded reply\n");
    return true;
#endif
}

}  // namespace

int main(int argc, char* argv[])
{
    QTemporaryDir configHome;
    qputenv("XDG_CONFIG_HOME", configHome.path().toLocal8Bit());
    QApplication app(argc, argv);
    // Usage: tessa_screenshot [--lang en|zh] [output-dir]; the pictures of the guide are made in both.
    QString outputDir = QDir::currentPath();
    const QStringList arguments = QCoreApplication::arguments();
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        if (arguments[i] == QStringLiteral("--lang"))
            ++i;
        else if (!arguments[i].startsWith(QStringLiteral("--")))
            outputDir = arguments[i];
    }
    if (!tessa::installLanguage(app, tessa::chooseLanguage(arguments, QString(), QString()))) {
        std::fprintf(stderr, "the English translation could not be loaded\n");
        return 1;
    }
    QDir().mkpath(outputDir);

    auto dialogs = std::make_unique<ShotDialogs>();
    ShotDialogs& shotDialogs = *dialogs;
    Form1 form(std::move(dialogs));
    form.show();
    if (!QTest::qWaitForWindowExposed(&form))
        return 1;
    auto* tabs = form.findChild<QTabWidget*>(QStringLiteral("SSTab1"));
    auto* narrow = form.findChild<QAction*>(QStringLiteral("mnu_screen_narrow"));
    if (!tabs || !narrow) {
        std::fprintf(stderr, "SSTab1 or mnu_screen_narrow not found\n");
        return 1;
    }

    // The window opens in the wide mode.
    if (!save(form, outputDir + QStringLiteral("/tessa_wide.png")))
        return 1;
    if (!saveTabPages(form, *tabs, outputDir, QStringLiteral("wide")))
        return 1;

    narrow->trigger();
    if (!save(form, outputDir + QStringLiteral("/tessa_narrow.png")))
        return 1;
    if (!saveTabPages(form, *tabs, outputDir, QStringLiteral("narrow")))
        return 1;

    form.findChild<QAction*>(QStringLiteral("mu_screen_w"))->trigger();
    if (!saveExtras(form, shotDialogs, outputDir) || !savePortToolPictures(form, outputDir))
        return 1;
    return 0;
}

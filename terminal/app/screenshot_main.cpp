// Saves pictures of the window in both size modes: tessa_screenshot OUTPUT_DIR
// For each mode it writes the window as it stands after the switch (tessa_wide.png,
// tessa_narrow.png) and then one picture per page of the tab control SSTab1
// (tessa_wide_tab0.png ... tessa_narrow_tab3.png).
// Uses a throw-away settings store so that the user's settings are not changed.
#include "window/form1.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <cstdio>

namespace {

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

}  // namespace

int main(int argc, char* argv[])
{
    QTemporaryDir configHome;
    qputenv("XDG_CONFIG_HOME", configHome.path().toLocal8Bit());
    QApplication app(argc, argv);
    const QString outputDir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::currentPath();
    QDir().mkpath(outputDir);

    Form1 form;
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
    return 0;
}

// Saves pictures of the window in both size modes: tessa_screenshot OUTPUT_DIR
// Uses a throw-away settings store so that the user's settings are not changed.
#include "window/form1.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QTest>
#include <cstdio>

namespace {

bool save(Form1& form, const QString& path)
{
    QTest::qWait(300);  // let the window settle at its new size
    if (!form.grab().save(path)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    std::printf("%s (%dx%d)\n", qPrintable(path), form.width(), form.height());
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
    if (!save(form, outputDir + QStringLiteral("/tessa_wide.png")))
        return 1;
    form.findChild<QAction*>(QStringLiteral("mnu_screen_narrow"))->trigger();
    if (!save(form, outputDir + QStringLiteral("/tessa_narrow.png")))
        return 1;
    return 0;
}

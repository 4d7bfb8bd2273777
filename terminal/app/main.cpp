#include "headless/run_command.h"
#include "i18n/language.h"
#include "settings/settings_keys.h"
#include "settings/settings_store.h"
#include "window/form1.h"

#include <QApplication>
#include <cstdio>
#include <cstring>

namespace {

// `tessa --run SCRIPT ...` is tessa-run's run: asked for anywhere on the command line.
bool asksForHeadlessRun(int argc, char* argv[])
{
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "--run") == 0 || std::strncmp(argv[i], "--run=", 6) == 0)
            return true;
    return false;
}

// The session file named on the command line (the first argument that is no option nor the
// value of --lang); empty when none.
QString sessionArgument(const QStringList& arguments)
{
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        if (arguments[i] == u"--lang") {
            ++i;
            continue;
        }
        if (!arguments[i].startsWith(u'-'))
            return arguments[i];
    }
    return {};
}

}  // namespace

int main(int argc, char* argv[])
{
    // Answered before the window system is reached: they need no display.
    if (argc > 1 && std::strcmp(argv[1], "--help") == 0) {
        std::puts("Usage: tessa [--lang en|zh] [SESSION-FILE]\n"
                  "       tessa --run SCRIPT --port PORT [tessa-run's options]\n"
                  "  --lang en   English captions (also TESSA_LANG=en, or Help > Language)\n"
                  "  --lang zh   the designed Traditional Chinese captions (the default)\n"
                  "  SESSION-FILE  a session saved with File > Save session, opened at start\n"
                  "  --run SCRIPT  runs a script with no window, as tessa-run does (see tessa-run --help);\n"
                  "                exit status 0 passed, 1 failed, 2 the port or the script unusable\n"
                  "The guide: /usr/share/doc/tessa/guide/index.html, or F1 in the window; man tessa.");
        return 0;
    }
    if (asksForHeadlessRun(argc, argv))
        return tessa::runHeadlessCommand(argc, argv);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("tessa"));
    const QStringList arguments = QCoreApplication::arguments();
    // Chosen before the window exists: its captions are made once, in the language in force.
    {
        tessa::SettingsStore settings;
        const tessa::Language language =
            tessa::chooseLanguage(arguments, qEnvironmentVariable(tessa::kLanguageVariable.data()),
                                  settings.read(tessa::kLanguageKey, QString()));
        if (!tessa::installLanguage(app, language))
            std::fputs("tessa: the English translation could not be loaded; the captions stay Chinese\n", stderr);
    }
    Form1 form;
    form.show();
    // A refused file has said why in a message; the window goes on as it started.
    if (const QString session = sessionArgument(arguments); !session.isEmpty())
        form.openSession(session);
    return QApplication::exec();
}

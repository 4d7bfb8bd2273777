#include "i18n/language.h"
#include "settings/settings_keys.h"
#include "settings/settings_store.h"
#include "window/form1.h"

#include <QApplication>
#include <cstdio>
#include <cstring>

int main(int argc, char* argv[])
{
    // Answered before the window system is reached: it needs no display.
    if (argc > 1 && std::strcmp(argv[1], "--help") == 0) {
        std::puts("Usage: tessa [--lang en|zh]\n"
                  "  --lang en   English captions (also TESSA_LANG=en, or Help > Language)\n"
                  "  --lang zh   the designed Traditional Chinese captions (the default)\n"
                  "The guide: /usr/share/doc/tessa/guide/index.html, or F1 in the window; man tessa.");
        return 0;
    }
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
    return QApplication::exec();
}

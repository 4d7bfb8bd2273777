#include "i18n/language.h"

#include <QCoreApplication>
#include <QTranslator>
#include <optional>

using namespace Qt::StringLiterals;

namespace tessa {
namespace {

std::optional<Language> parseCode(const QString& text)
{
    const QString code = text.trimmed().toLower();
    if (code == u"en" || code.startsWith(u"en_"))
        return Language::English;
    if (code == u"zh" || code.startsWith(u"zh_"))
        return Language::Chinese;
    return std::nullopt;
}

std::optional<Language> fromArguments(const QStringList& arguments)
{
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (argument.startsWith(u"--lang="))
            return parseCode(argument.mid(7));
        if (argument == u"--lang" && i + 1 < arguments.size())
            return parseCode(arguments[i + 1]);
    }
    return std::nullopt;
}

const char* const kTranslatorName = "tessaTranslator";

}  // namespace

Language chooseLanguage(const QStringList& arguments, const QString& environmentValue, const QString& storedValue)
{
    if (const auto asked = fromArguments(arguments))
        return *asked;
    if (const auto asked = parseCode(environmentValue))
        return *asked;
    return parseCode(storedValue).value_or(Language::Chinese);
}

QString languageCode(Language language)
{
    return language == Language::English ? u"en"_s : u"zh"_s;
}

bool installLanguage(QCoreApplication& app, Language language)
{
    removeInstalledLanguage(app);
    if (language == Language::Chinese)
        return true;
    auto* translator = new QTranslator(&app);
    translator->setObjectName(QString::fromLatin1(kTranslatorName));
    if (!translator->load(u":/i18n/tessa_en.qm"_s)) {
        delete translator;
        return false;
    }
    return QCoreApplication::installTranslator(translator);
}

void removeInstalledLanguage(QCoreApplication& app)
{
    for (QTranslator* translator :
         app.findChildren<QTranslator*>(QString::fromLatin1(kTranslatorName), Qt::FindDirectChildrenOnly)) {
        QCoreApplication::removeTranslator(translator);
        delete translator;
    }
}

}  // namespace tessa

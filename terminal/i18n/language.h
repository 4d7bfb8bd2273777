#pragma once

#include <QLatin1StringView>
#include <QString>
#include <QStringList>

class QCoreApplication;

namespace tessa {

// The window's language. Chinese, the designed captions, is the default whatever the system
// locale says; English is used only when asked for.
enum class Language { Chinese, English };

// The environment variable that chooses the language ("en" or "zh").
inline constexpr QLatin1StringView kLanguageVariable {"TESSA_LANG"};

// The language asked for, first match wins: the command line ("--lang en", "--lang=en"), then
// the environment variable's value, then the stored setting (kLanguageKey). Each says "en" or
// "zh" (case-insensitive, "en_US"/"zh_TW" alike); anything else is passed over.
// Example: chooseLanguage({"tessa", "--lang", "en"}, "", "zh") is Language::English.
Language chooseLanguage(const QStringList& arguments, const QString& environmentValue, const QString& storedValue);

// "en" for English, "zh" for Chinese: the stored setting's text.
QString languageCode(Language language);

// Installs the English translation (compiled into the program as the resource
// ":/i18n/tessa_en.qm") into app for English; nothing for Chinese. Returns false when the
// translation could not be loaded (the window then stays Chinese).
bool installLanguage(QCoreApplication& app, Language language);

// Removes what installLanguage put in, so that windows made afterwards are Chinese again.
void removeInstalledLanguage(QCoreApplication& app);

}  // namespace tessa

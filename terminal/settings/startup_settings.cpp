#include "settings/startup_settings.h"

#include "settings/settings_keys.h"
#include "settings/settings_store.h"

using namespace Qt::StringLiterals;

namespace tessa {

const QStringList& baudRateTexts()
{
    static const QStringList texts {u"1200"_s,  u"2400"_s,  u"4800"_s,  u"9600"_s,
                                    u"19200"_s, u"38400"_s, u"56000"_s, u"115200"_s};
    return texts;
}

const QStringList& panelSettingKeys()
{
    static const QStringList keys = [] {
        QStringList k;
        for (int i = 1; i <= 8; ++i)
            k << commandRowKey(i);
        for (int i = 1; i <= 8; ++i)
            k << commandRowIdKey(i);
        k << kEncoderValueKey << kSabsValueKey;
        for (int panel = 1; panel <= 2; ++panel) {
            k << modbusBoxKey(panel, 1);
            for (int i = 3; i <= 9; ++i)
                k << modbusBoxKey(panel, i);
        }
        for (int panel = 3; panel <= 4; ++panel)
            for (int i = 1; i <= 5; ++i)
                k << modbusBoxKey(panel, i);
        k << kModbusFixedIdKey;
        return k;
    }();
    return keys;
}

std::optional<std::int16_t> parseInt16(QStringView text)
{
    bool ok = false;
    const short value = text.trimmed().toShort(&ok, 10);
    if (!ok)
        return std::nullopt;
    return static_cast<std::int16_t>(value);
}

StartupSettings readStartupSettings(const SettingsStore& store)
{
    StartupSettings result;
    // A stored value that is not a number counts as absent, so it takes the default.
    const std::optional<std::int16_t> widthType = parseInt16(store.read(kWidthTypeKey, u"1"_s));
    result.narrow = widthType.has_value() && *widthType == 0;

    result.restoreFields = store.read(commandRowKey(1), u"1"_s) != u"1";
    if (!result.restoreFields)
        return result;

    result.comPort = store.read(kComPortKey, u"1"_s);
    const std::optional<std::int16_t> baud = parseInt16(store.read(kBaudRateKey, QString::number(kDefaultBaudIndex)));
    if (baud && *baud >= 0 && *baud < baudRateTexts().size())
        result.baudIndex = *baud;
    for (const QString& key : panelSettingKeys())
        result.panelValues.append({key, store.read(key, u"1"_s)});
    return result;
}

}  // namespace tessa

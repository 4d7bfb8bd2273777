#include "serial/port_number.h"

#include "settings/settings_store.h"

#include <QtGlobal>

namespace tessa {

int parsePortNumber(QStringView text)
{
    constexpr int kSaturation = 1000000;
    int value = 0;
    for (QChar c : text) {
        if (c < u'0' || c > u'9')
            break;
        value = qMin(kSaturation, value * 10 + (c.unicode() - u'0'));
    }
    return value;
}

bool isPortNumberInTables(int number)
{
    return number >= kLowestPortNumber && number <= kHighestPortNumber;
}

QString portEnvironmentVariable(int number)
{
    return QStringLiteral("TESSA_COM%1").arg(number);
}

QString devicePathForPort(int number, const SettingsStore* store)
{
    const QString fromEnvironment = qEnvironmentVariable(portEnvironmentVariable(number).toLatin1().constData());
    if (!fromEnvironment.isEmpty())
        return fromEnvironment;
    if (store) {
        const QString stored = store->portPath(number);
        if (!stored.isEmpty())
            return stored;
    }
    return QStringLiteral("/dev/ttyS%1").arg(number - 1);
}

}  // namespace tessa

#include "panels/status_and_outputs.h"

namespace tessa {

QString outputPattern(bool out3, bool out2, bool out1, bool out0)
{
    QString pattern;
    for (bool on : {out3, out2, out1, out0})
        pattern.append(on ? u'1' : u'0');
    return pattern;
}

QByteArray outonPrefix()
{
    return QByteArrayLiteral("c69=");
}

QByteArray outoffPrefix()
{
    return QByteArrayLiteral("c71=");
}

QByteArray inputQuery()
{
    return QByteArrayLiteral("c54\r\n");
}

QByteArray sensorQuery()
{
    return QByteArrayLiteral("c85\r\n");
}

}  // namespace tessa

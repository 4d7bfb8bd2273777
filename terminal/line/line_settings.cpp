#include "line/line_settings.h"

#include "settings/settings_keys.h"
#include "settings/settings_store.h"

#include <QList>
#include <QStringList>

#ifdef Q_OS_UNIX
#include <termios.h>
#endif

namespace tessa {
namespace {

using Parity = LineSettings::Parity;
using FlowControl = LineSettings::FlowControl;

QString parityText(Parity parity)
{
    switch (parity) {
    case Parity::Even:
        return QStringLiteral("e");
    case Parity::Odd:
        return QStringLiteral("o");
    case Parity::Mark:
        return QStringLiteral("m");
    case Parity::Space:
        return QStringLiteral("s");
    case Parity::None:
        break;
    }
    return QStringLiteral("n");
}

QString stopBitsText(int stopBits)
{
    return stopBits == LineSettings::kOneAndHalfStopBits ? QStringLiteral("1.5") : QString::number(stopBits);
}

QString flowText(FlowControl flow)
{
    switch (flow) {
    case FlowControl::RtsCts:
        return QStringLiteral("rts/cts");
    case FlowControl::XonXoff:
        return QStringLiteral("xon/xoff");
    case FlowControl::None:
        break;
    }
    return QStringLiteral("none");
}

QSerialPort::Parity serialParity(Parity parity)
{
    switch (parity) {
    case Parity::Even:
        return QSerialPort::EvenParity;
    case Parity::Odd:
        return QSerialPort::OddParity;
    case Parity::Mark:
        return QSerialPort::MarkParity;
    case Parity::Space:
        return QSerialPort::SpaceParity;
    case Parity::None:
        break;
    }
    return QSerialPort::NoParity;
}

QSerialPort::FlowControl serialFlow(FlowControl flow)
{
    switch (flow) {
    case FlowControl::RtsCts:
        return QSerialPort::HardwareControl;
    case FlowControl::XonXoff:
        return QSerialPort::SoftwareControl;
    case FlowControl::None:
        break;
    }
    return QSerialPort::NoFlowControl;
}

#ifdef Q_OS_UNIX
tcflag_t sizeBits(int dataBits)
{
    switch (dataBits) {
    case 5:
        return CS5;
    case 6:
        return CS6;
    case 7:
        return CS7;
    default:
        return CS8;
    }
}

// Whether the line's termios holds parity as chosen.
bool parityKept(const termios& tio, Parity parity)
{
    switch (parity) {
    case Parity::None:
        return (tio.c_cflag & PARENB) == 0;
    // Without PARENB the odd bit means nothing, and a line may keep it from an earlier choice
    // (a pty clears only PARENB when it refuses odd parity).
    case Parity::Even:
        return (tio.c_cflag & (PARENB | PARODD)) == tcflag_t(PARENB);
    case Parity::Odd:
        return (tio.c_cflag & (PARENB | PARODD)) == tcflag_t(PARENB | PARODD);
#ifdef CMSPAR
    case Parity::Mark:
        return (tio.c_cflag & (PARENB | PARODD | CMSPAR)) == tcflag_t(PARENB | PARODD | CMSPAR);
    case Parity::Space:
        return (tio.c_cflag & (PARENB | PARODD | CMSPAR)) == tcflag_t(PARENB | CMSPAR);
#else
    case Parity::Mark:
    case Parity::Space:
        break;
#endif
    }
    return true;
}
#endif

}  // namespace

std::optional<LineSettings> parseLineSettings(QStringView text)
{
    const QList<QStringView> fields = text.split(u',');
    if (fields.size() != 4)
        return std::nullopt;
    LineSettings line;
    bool ok = false;
    line.baudRate = fields[0].trimmed().toInt(&ok);
    if (!ok || line.baudRate <= 0)
        return std::nullopt;

    const QString parity = fields[1].trimmed().toString().toLower();
    if (parity == u"n")
        line.parity = Parity::None;
    else if (parity == u"o")
        line.parity = Parity::Odd;
    else if (parity == u"e")
        line.parity = Parity::Even;
    else if (parity == u"m")
        line.parity = Parity::Mark;
    else if (parity == u"s")
        line.parity = Parity::Space;
    else
        return std::nullopt;

    line.dataBits = fields[2].trimmed().toInt(&ok);
    if (!ok || line.dataBits < 5 || line.dataBits > 8)
        return std::nullopt;

    const QStringView stop = fields[3].trimmed();
    if (stop == u"1")
        line.stopBits = 1;
    else if (stop == u"1.5")
        line.stopBits = LineSettings::kOneAndHalfStopBits;
    else if (stop == u"2")
        line.stopBits = 2;
    else
        return std::nullopt;
    return line;
}

QString lineFramingCaption(const LineSettings& line)
{
    return QStringLiteral("%1,%2,%3").arg(parityText(line.parity)).arg(line.dataBits).arg(stopBitsText(line.stopBits));
}

QString lineSettingsText(const LineSettings& line)
{
    return QString::number(line.baudRate) + u',' + lineFramingCaption(line);
}

LineSettings loadLineFraming(const SettingsStore& store)
{
    LineSettings line;
    if (store.read(kLineDataBitsKey, QString()).trimmed() == u"7")
        line.dataBits = 7;
    const QString parity = store.read(kLineParityKey, QString()).trimmed().toLower();
    if (parity == u"e")
        line.parity = Parity::Even;
    else if (parity == u"o")
        line.parity = Parity::Odd;
    if (store.read(kLineStopBitsKey, QString()).trimmed() == u"2")
        line.stopBits = 2;
    const QString flow = store.read(kLineFlowControlKey, QString()).trimmed().toLower();
    if (flow == flowText(FlowControl::RtsCts))
        line.flowControl = FlowControl::RtsCts;
    else if (flow == flowText(FlowControl::XonXoff))
        line.flowControl = FlowControl::XonXoff;
    return line;
}

void saveLineFraming(SettingsStore& store, const LineSettings& line)
{
    // The dialog offers only these; anything else is stored as the default it loads as.
    store.write(kLineDataBitsKey, QString::number(line.dataBits == 7 ? 7 : 8));
    store.write(kLineParityKey,
                parityText(line.parity == Parity::Even || line.parity == Parity::Odd ? line.parity : Parity::None));
    store.write(kLineStopBitsKey, QString::number(line.stopBits == 2 ? 2 : 1));
    store.write(kLineFlowControlKey, flowText(line.flowControl));
}

LineRefusal applyLineSettings(QSerialPort& port, const LineSettings& line)
{
    const bool baudTaken = port.setBaudRate(line.baudRate);
    bool dataBitsTaken = port.setDataBits(static_cast<QSerialPort::DataBits>(line.dataBits));
    bool parityTaken = port.setParity(serialParity(line.parity));
    bool stopBitsTaken = port.setStopBits(static_cast<QSerialPort::StopBits>(line.stopBits));
    bool flowTaken = port.setFlowControl(serialFlow(line.flowControl));
    LineRefusal refusal;
    refusal.settingFailed = !(baudTaken && dataBitsTaken && parityTaken && stopBitsTaken && flowTaken);
#ifdef Q_OS_UNIX
    // Some lines accept a setting and quietly keep their own (Linux ptys force 8 data bits
    // and no parity): only what the line reports back counts.
    termios tio {};
    if (::tcgetattr(static_cast<int>(port.handle()), &tio) == 0) {
        const bool rtsCts = line.flowControl == FlowControl::RtsCts;
        const bool xonXoff = line.flowControl == FlowControl::XonXoff;
        dataBitsTaken = dataBitsTaken && (tio.c_cflag & CSIZE) == sizeBits(line.dataBits);
        parityTaken = parityTaken && parityKept(tio, line.parity);
        stopBitsTaken = stopBitsTaken && ((tio.c_cflag & CSTOPB) != 0) == (line.stopBits != 1);
        flowTaken = flowTaken && ((tio.c_cflag & CRTSCTS) != 0) == rtsCts && ((tio.c_iflag & IXON) != 0) == xonXoff
            && ((tio.c_iflag & IXOFF) != 0) == xonXoff;
    }
#endif
    QStringList refused;
    if (!baudTaken)
        refused << QStringLiteral("baud %1").arg(line.baudRate);
    if (!dataBitsTaken)
        refused << QStringLiteral("%1 data bits").arg(line.dataBits);
    if (!parityTaken)
        refused << QStringLiteral("parity %1").arg(parityText(line.parity));
    if (!stopBitsTaken)
        refused << QStringLiteral("%1 stop bits").arg(stopBitsText(line.stopBits));
    if (!flowTaken)
        refused << QStringLiteral("flow control %1").arg(flowText(line.flowControl));
    if (!refused.isEmpty())
        refusal.message =
            QStringLiteral("The port %1 did not take %2").arg(port.portName(), refused.join(QStringLiteral(", ")));
    return refusal;
}

std::optional<LineSettings> lineSettingsInEffect(const QSerialPort& port)
{
#ifdef Q_OS_UNIX
    termios tio {};
    if (!port.isOpen() || ::tcgetattr(static_cast<int>(port.handle()), &tio) != 0)
        return std::nullopt;
    LineSettings in;
    in.baudRate = port.baudRate();
    switch (tio.c_cflag & CSIZE) {
    case CS5:
        in.dataBits = 5;
        break;
    case CS6:
        in.dataBits = 6;
        break;
    case CS7:
        in.dataBits = 7;
        break;
    default:
        in.dataBits = 8;
        break;
    }
    if ((tio.c_cflag & PARENB) == 0)
        in.parity = Parity::None;
#ifdef CMSPAR
    else if ((tio.c_cflag & CMSPAR) != 0)
        in.parity = (tio.c_cflag & PARODD) != 0 ? Parity::Mark : Parity::Space;
#endif
    else
        in.parity = (tio.c_cflag & PARODD) != 0 ? Parity::Odd : Parity::Even;
    in.stopBits = (tio.c_cflag & CSTOPB) != 0 ? 2 : 1;
    in.flowControl = (tio.c_cflag & CRTSCTS) != 0 ? FlowControl::RtsCts
        : (tio.c_iflag & IXON) != 0               ? FlowControl::XonXoff
                                                  : FlowControl::None;
    return in;
#else
    Q_UNUSED(port);
    return std::nullopt;
#endif
}

}  // namespace tessa

#include "line/line_options.h"

#include "settings/settings_store.h"

#include <QStringList>

#ifdef Q_OS_UNIX
#include <termios.h>
#endif

namespace tessa {
namespace {

QString key(const char* name)
{
    return QString::fromLatin1(name);
}

QString parityText(LineOptions::Parity parity)
{
    switch (parity) {
    case LineOptions::Parity::Even: return QStringLiteral("e");
    case LineOptions::Parity::Odd: return QStringLiteral("o");
    case LineOptions::Parity::None: break;
    }
    return QStringLiteral("n");
}

QString flowText(LineOptions::FlowControl flow)
{
    switch (flow) {
    case LineOptions::FlowControl::RtsCts: return QStringLiteral("rts/cts");
    case LineOptions::FlowControl::XonXoff: return QStringLiteral("xon/xoff");
    case LineOptions::FlowControl::None: break;
    }
    return QStringLiteral("none");
}

}  // namespace

LineOptions loadLineOptions(const SettingsStore& store)
{
    LineOptions options;
    const QString dataBits = store.read(key(kLineDataBitsKey), QString()).trimmed();
    if (dataBits == u"7")
        options.dataBits = 7;
    const QString parity = store.read(key(kLineParityKey), QString()).trimmed().toLower();
    if (parity == u"e")
        options.parity = LineOptions::Parity::Even;
    else if (parity == u"o")
        options.parity = LineOptions::Parity::Odd;
    if (store.read(key(kLineStopBitsKey), QString()).trimmed() == u"2")
        options.stopBits = 2;
    const QString flow = store.read(key(kLineFlowControlKey), QString()).trimmed().toLower();
    if (flow == flowText(LineOptions::FlowControl::RtsCts))
        options.flowControl = LineOptions::FlowControl::RtsCts;
    else if (flow == flowText(LineOptions::FlowControl::XonXoff))
        options.flowControl = LineOptions::FlowControl::XonXoff;
    return options;
}

void saveLineOptions(SettingsStore& store, const LineOptions& options)
{
    store.write(key(kLineDataBitsKey), QString::number(options.dataBits == 7 ? 7 : 8));
    store.write(key(kLineParityKey), parityText(options.parity));
    store.write(key(kLineStopBitsKey), QString::number(options.stopBits == 2 ? 2 : 1));
    store.write(key(kLineFlowControlKey), flowText(options.flowControl));
}

QString lineOptionsCaption(const LineOptions& options)
{
    return QStringLiteral("%1,%2,%3").arg(parityText(options.parity)).arg(options.dataBits == 7 ? 7 : 8).arg(options.stopBits == 2 ? 2 : 1);
}

QString lineSettingsText(qint32 baudRate, const LineOptions& options)
{
    return QString::number(baudRate) + u',' + lineOptionsCaption(options);
}

QString applyLineOptions(QSerialPort& port, const LineOptions& options)
{
    const bool seven = options.dataBits == 7;
    const bool twoStop = options.stopBits == 2;
    QSerialPort::Parity parity = QSerialPort::NoParity;
    if (options.parity == LineOptions::Parity::Even)
        parity = QSerialPort::EvenParity;
    else if (options.parity == LineOptions::Parity::Odd)
        parity = QSerialPort::OddParity;
    QSerialPort::FlowControl flow = QSerialPort::NoFlowControl;
    if (options.flowControl == LineOptions::FlowControl::RtsCts)
        flow = QSerialPort::HardwareControl;
    else if (options.flowControl == LineOptions::FlowControl::XonXoff)
        flow = QSerialPort::SoftwareControl;

    bool dataBitsTaken = port.setDataBits(seven ? QSerialPort::Data7 : QSerialPort::Data8);
    bool parityTaken = port.setParity(parity);
    bool stopBitsTaken = port.setStopBits(twoStop ? QSerialPort::TwoStop : QSerialPort::OneStop);
    bool flowTaken = port.setFlowControl(flow);
#ifdef Q_OS_UNIX
    // Some lines accept a setting and quietly keep their own (Linux ptys force 8 data bits
    // and no parity): only what the line reports back counts.
    termios tio{};
    if (::tcgetattr(static_cast<int>(port.handle()), &tio) == 0) {
        const tcflag_t parityBits = options.parity == LineOptions::Parity::None ? 0
            : options.parity == LineOptions::Parity::Even                     ? tcflag_t(PARENB)
                                                                               : tcflag_t(PARENB | PARODD);
        const bool rtsCts = options.flowControl == LineOptions::FlowControl::RtsCts;
        const bool xonXoff = options.flowControl == LineOptions::FlowControl::XonXoff;
        dataBitsTaken = dataBitsTaken && (tio.c_cflag & CSIZE) == tcflag_t(seven ? CS7 : CS8);
        // Without PARENB the odd bit means nothing, and a line may keep it from an earlier
        // choice (a pty clears only PARENB when it refuses odd parity).
        parityTaken = parityTaken
            && (parityBits == 0 ? (tio.c_cflag & PARENB) == 0 : (tio.c_cflag & (PARENB | PARODD)) == parityBits);
        stopBitsTaken = stopBitsTaken && ((tio.c_cflag & CSTOPB) != 0) == twoStop;
        flowTaken = flowTaken && ((tio.c_cflag & CRTSCTS) != 0) == rtsCts
            && ((tio.c_iflag & IXON) != 0) == xonXoff && ((tio.c_iflag & IXOFF) != 0) == xonXoff;
    }
#endif
    QStringList refused;
    if (!dataBitsTaken)
        refused << QStringLiteral("%1 data bits").arg(seven ? 7 : 8);
    if (!parityTaken)
        refused << QStringLiteral("parity %1").arg(parityText(options.parity));
    if (!stopBitsTaken)
        refused << QStringLiteral("%1 stop bits").arg(twoStop ? 2 : 1);
    if (!flowTaken)
        refused << QStringLiteral("flow control %1").arg(flowText(options.flowControl));
    if (refused.isEmpty())
        return QString();
    return QStringLiteral("The port %1 did not take %2").arg(port.portName(), refused.join(QStringLiteral(", ")));
}

std::optional<LineOptions> lineOptionsInEffect(qintptr handle)
{
#ifdef Q_OS_UNIX
    termios tio{};
    if (handle < 0 || ::tcgetattr(static_cast<int>(handle), &tio) != 0)
        return std::nullopt;
    LineOptions in;
    in.dataBits = (tio.c_cflag & CSIZE) == CS7 ? 7 : 8;
    in.parity = (tio.c_cflag & PARENB) == 0 ? LineOptions::Parity::None
        : (tio.c_cflag & PARODD) != 0       ? LineOptions::Parity::Odd
                                            : LineOptions::Parity::Even;
    in.stopBits = (tio.c_cflag & CSTOPB) != 0 ? 2 : 1;
    in.flowControl = (tio.c_cflag & CRTSCTS) != 0 ? LineOptions::FlowControl::RtsCts
        : (tio.c_iflag & IXON) != 0               ? LineOptions::FlowControl::XonXoff
                                                  : LineOptions::FlowControl::None;
    return in;
#else
    Q_UNUSED(handle);
    return std::nullopt;
#endif
}

}  // namespace tessa

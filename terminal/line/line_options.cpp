#include "line/line_options.h"

#include "settings/settings_store.h"

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

bool applyLineOptions(QSerialPort& port, const LineOptions& options)
{
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
    return port.setDataBits(options.dataBits == 7 ? QSerialPort::Data7 : QSerialPort::Data8) && port.setParity(parity)
        && port.setStopBits(options.stopBits == 2 ? QSerialPort::TwoStop : QSerialPort::OneStop) && port.setFlowControl(flow);
}

}  // namespace tessa

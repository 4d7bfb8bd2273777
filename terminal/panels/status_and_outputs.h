#pragma once

#include <QByteArray>
#include <QString>

namespace tessa {

// The status-query and output frames of the page "其他測試": text lines ended by CR LF,
// without a device number.

// "1" or "0" for Out 3, Out 2, Out 1, Out 0 in this order.
QString outputPattern(bool out3, bool out2, bool out1, bool out0);

QByteArray outonPrefix();  // c69=
QByteArray outoffPrefix();  // c71=

// The numbered queries, sent in one write with their CR LF.
QByteArray inputQuery();  // c54 CR LF
QByteArray sensorQuery();  // c85 CR LF

}  // namespace tessa

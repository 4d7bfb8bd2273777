// Finding the window's controls by name in tests, and frames with their Modbus CRC.
#pragma once

#include "frames/crc16.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QtGlobal>

namespace tessa::testing {

// The control of that name; a missing control ends the test run, naming it.
template <typename T> T* control(const QObject& form, const QString& name)
{
    T* found = form.findChild<T*>(name);
    if (!found)
        qFatal("control %s not found", qPrintable(name));
    return found;
}

// Element index of a control array (members share a name and carry "index").
template <typename T> T* controlElement(const QObject& form, const QString& name, int index)
{
    for (T* found : form.findChildren<T*>(name))
        if (found->property("index").toInt() == index)
            return found;
    qFatal("control %s(%d) not found", qPrintable(name), index);
}

// Bytes written as hexadecimal digits.
inline QByteArray hex(const char* text)
{
    return QByteArray::fromHex(text);
}

// The frame followed by its CRC-16/MODBUS, low byte first.
inline QByteArray withCrc(const QByteArray& frame)
{
    const std::uint16_t crc = tessa::modbusCrc16(frame);
    return frame + QByteArray(1, static_cast<char>(crc & 0xFF)) + QByteArray(1, static_cast<char>(crc >> 8));
}

}  // namespace tessa::testing

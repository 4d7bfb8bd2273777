#include "serial/connection.h"

#include "serial/serial_port.h"

namespace tessa {

Connection::Connection(const SettingsStore* settings, QObject* parent)
    : QObject(parent)
    , port_(new SerialPort(this))
{
    port_->setObjectName(QStringLiteral("Comm1"));
    port_->setPortResolver([settings](int number) { return devicePathForPort(number, settings); });
}

void Connection::markScanPortsAvailable()
{
    for (int port = 1; port <= 20; ++port)
        availability_[static_cast<std::size_t>(port)] = 1;
}

std::int16_t Connection::availability(int portNumber) const
{
    return isPortNumberInTables(portNumber) ? availability_[static_cast<std::size_t>(portNumber)] : 0;
}

Connection::Outcome Connection::connectTo(int portNumber, const QString& lineSettings)
{
    port_->close();
    connectSucceeded_ = false;
    if (!isPortNumberInTables(portNumber))
        return Outcome::NumberOutOfRange;
    port_->setPortNumber(portNumber);
    port_->setSettings(lineSettings);
    connectSucceeded_ = port_->open();
    availability_[static_cast<std::size_t>(portNumber)] = connectSucceeded_ ? 1 : 0;
    return connectSucceeded_ ? Outcome::Opened : Outcome::OpenFailed;
}

}  // namespace tessa

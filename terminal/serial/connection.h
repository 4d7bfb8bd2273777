#pragma once

#include "serial/port_number.h"

#include <QObject>
#include <QString>
#include <array>
#include <cstdint>

namespace tessa {

class SerialPort;
class SettingsStore;

// The terminal's connection: its one serial port, the port-availability table (which numbers
// last opened; the auto test visits only those) and whether the last connect succeeded.
class Connection : public QObject {
    Q_OBJECT
public:
    enum class Outcome { Opened, NumberOutOfRange, OpenFailed };

    // Port numbers are mapped to devices with the store's port map (may be null).
    explicit Connection(const SettingsStore* settings, QObject* parent = nullptr);

    SerialPort& port() { return *port_; }
    // Start-up: the ports the auto test scans, 1..20, count as available.
    void markScanPortsAvailable();
    std::int16_t availability(int portNumber) const;
    bool connectSucceeded() const { return connectSucceeded_; }

    // Opens portNumber with the line settings ("9600,n,8,1"), closing an open port first. A
    // number the tables cannot hold is refused before anything indexes them; otherwise the
    // outcome is kept in the table.
    Outcome connectTo(int portNumber, const QString& lineSettings);

private:
    SerialPort* port_;
    std::array<std::int16_t, kPortTableSize> availability_ {};
    bool connectSucceeded_ = false;
};

}  // namespace tessa

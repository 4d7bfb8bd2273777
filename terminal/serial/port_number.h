#pragma once

#include <QString>
#include <QStringView>

namespace tessa {

class SettingsStore;

// The port tables have entries 0..21; entry 0 names no port, so ports 1..21 can be used.
inline constexpr int kPortTableSize = 22;
inline constexpr int kLowestPortNumber = 1;
inline constexpr int kHighestPortNumber = kPortTableSize - 1;

// The value of the leading decimal digits of text (empty or no digits: 0). Saturates far above
// the highest port so that long digit strings stay "too large" instead of wrapping.
int parsePortNumber(QStringView text);

bool isPortNumberInTables(int number);

// The device a port number names, first found of: the environment variable TESSA_COM<N>, the
// store's "Ports/COM<N>", else /dev/ttyS<N-1>
// (the serial port that Linux numbers from 0 where Windows counts COM1 first).
QString devicePathForPort(int number, const SettingsStore* store);

// The name of the environment variable that maps port N (TESSA_COM<N>).
QString portEnvironmentVariable(int number);

}  // namespace tessa

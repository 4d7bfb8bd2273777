#pragma once

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <cstdint>
#include <optional>

namespace tessa {

class SettingsStore;

// Rows of the baud-rate list, in order; a stored "BAUD RATE" is an index into it.
const QStringList& baudRateTexts();
inline constexpr int kDefaultBaudIndex = 3;  // "9600"

// Keys restored into the device panels' boxes, in restore order; each defaults to "1".
const QStringList& panelSettingKeys();

// What start-up takes from the store.
struct StartupSettings {
    bool narrow = false;  // "Width_type" is 0
    bool restoreFields = false;  // "REL1" is stored and is not "1"
    // The rest is read only when restoreFields is set.
    QString comPort;  // "COM PORT", default "1"
    int baudIndex = kDefaultBaudIndex;
    QList<QPair<QString, QString>> panelValues;  // key, stored text
};

StartupSettings readStartupSettings(const SettingsStore& store);

// A whole decimal number that fits 16 bits (spaces around it allowed).
std::optional<std::int16_t> parseInt16(QStringView text);

}  // namespace tessa

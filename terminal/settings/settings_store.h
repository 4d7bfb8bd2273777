#pragma once

#include <QSettings>
#include <QString>
#include <memory>

namespace tessa {

// The per-user settings store: application "Orvane_COM_TEST", string values. Values are
// written through at once; nothing is kept back for later.
class SettingsStore {
public:
    static constexpr const char* kOrganization = "Orvane";
    static constexpr const char* kApplication = "Orvane_COM_TEST";
    static constexpr const char* kRecordGroup = "Record";
    static constexpr const char* kPortsGroup = "Ports";

    // The user's store (on Linux under $XDG_CONFIG_HOME/Orvane/).
    SettingsStore();
    // A store in the given INI file, for tools that must not touch the user's settings.
    explicit SettingsStore(const QString& iniFile);
    ~SettingsStore();

    SettingsStore(const SettingsStore&) = delete;
    SettingsStore& operator=(const SettingsStore&) = delete;

    // Group "Record": the stored text, or defaultValue when the key is absent.
    QString read(const QString& key, const QString& defaultValue) const;
    bool contains(const QString& key) const;
    void write(const QString& key, const QString& value);

    // Group "Ports", key "COM<number>": a device path the user mapped to a port number.
    QString portPath(int number) const;
    void setPortPath(int number, const QString& devicePath);

    // The file the values are kept in (shown in Help > About).
    QString fileName() const;

    // Removes every value (tests start from an empty store).
    void clearAll();

private:
    std::unique_ptr<QSettings> settings_;
};

}  // namespace tessa

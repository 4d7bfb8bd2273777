#include "settings/settings_store.h"

#include "settings/settings_keys.h"

namespace tessa {
namespace {

QString recordKey(const QString& key)
{
    return QString::fromLatin1(SettingsStore::kRecordGroup) + u'/' + key;
}

QString portKey(int number)
{
    return QString::fromLatin1(SettingsStore::kPortsGroup) + u'/' + portPathKey(number);
}

}  // namespace

SettingsStore::SettingsStore()
    : settings_(std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                            QString::fromLatin1(kOrganization), QString::fromLatin1(kApplication)))
{
}

SettingsStore::SettingsStore(const QString& iniFile)
    : settings_(std::make_unique<QSettings>(iniFile, QSettings::IniFormat))
{
}

SettingsStore::~SettingsStore() = default;

QString SettingsStore::fileName() const
{
    return settings_->fileName();
}

QString SettingsStore::read(const QString& key, const QString& defaultValue) const
{
    return settings_->value(recordKey(key), defaultValue).toString();
}

bool SettingsStore::contains(const QString& key) const
{
    return settings_->contains(recordKey(key));
}

void SettingsStore::write(const QString& key, const QString& value)
{
    settings_->setValue(recordKey(key), value);
    settings_->sync();
}

QString SettingsStore::portPath(int number) const
{
    return settings_->value(portKey(number)).toString();
}

void SettingsStore::setPortPath(int number, const QString& devicePath)
{
    if (devicePath.isEmpty())
        settings_->remove(portKey(number));
    else
        settings_->setValue(portKey(number), devicePath);
    settings_->sync();
}

void SettingsStore::clearAll()
{
    settings_->clear();
    settings_->sync();
}

}  // namespace tessa

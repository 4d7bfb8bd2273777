#include "window/port_map_dialog.h"

#include "serial/port_number.h"
#include "settings/settings_store.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QSerialPortInfo>
#include <QSpinBox>

using namespace Qt::StringLiterals;

namespace tessa {

PortMapDialog::PortMapDialog(SettingsStore& store, int portNumber, QWidget* parent)
    : QDialog(parent)
    , store_(store)
{
    setObjectName(u"PortMapDialog"_s);
    setWindowTitle(tr("Serial ports"));

    number_ = new QSpinBox(this);
    number_->setObjectName(u"PortNumber"_s);
    number_->setRange(kLowestPortNumber, kHighestPortNumber);
    number_->setPrefix(u"COM"_s);
    number_->setValue(isPortNumberInTables(portNumber) ? portNumber : kLowestPortNumber);

    device_ = new QComboBox(this);
    device_->setObjectName(u"DevicePath"_s);
    device_->setEditable(true);
    device_->setMinimumContentsLength(32);
    for (int number = kLowestPortNumber; number <= kHighestPortNumber; ++number) {
        watcher_.addPath(store_.portPath(number));
        watcher_.addPath(qEnvironmentVariable(portEnvironmentVariable(number).toLatin1().constData()));
    }
    connect(&watcher_, &PortWatcher::appeared, this, &PortMapDialog::listPorts);
    connect(&watcher_, &PortWatcher::vanished, this, &PortMapDialog::listPorts);
    watcher_.start();
    listPorts();

    effective_ = new QLabel(this);
    effective_->setObjectName(u"EffectiveDevice"_s);
    effective_->setWordWrap(true);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    auto* layout = new QFormLayout(this);
    layout->addRow(tr("Port number"), number_);
    layout->addRow(tr("Device (empty: default)"), device_);
    layout->addRow(tr("Opens"), effective_);
    layout->addRow(buttons);

    connect(buttons, &QDialogButtonBox::accepted, this, &PortMapDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &PortMapDialog::reject);
    connect(number_, &QSpinBox::valueChanged, this, &PortMapDialog::showMappingOf);
    showMappingOf(number_->value());
}

void PortMapDialog::listPorts()
{
    // What the user typed or picked stays in the box while the rows change under it.
    const QString typed = device_->currentText();
    const QSignalBlocker quiet(device_);
    device_->clear();
    QStringList listed;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
        const QString description = info.description().isEmpty() ? info.portName() : info.description();
        device_->addItem(u"%1  (%2)"_s.arg(info.systemLocation(), description), info.systemLocation());
        listed << info.systemLocation();
    }
    for (const QString& path : watcher_.ports())
        if (!listed.contains(path))
            device_->addItem(u"%1  (%2)"_s.arg(path, tr("mapped")), path);
    device_->setEditText(typed);
}

void PortMapDialog::showMappingOf(int portNumber)
{
    device_->setEditText(store_.portPath(portNumber));
    QString opens = devicePathForPort(portNumber, &store_);
    if (!qEnvironmentVariable(portEnvironmentVariable(portNumber).toLatin1().constData()).isEmpty())
        opens += tr(" (set by %1, which overrides this mapping)").arg(portEnvironmentVariable(portNumber));
    effective_->setText(opens);
}

void PortMapDialog::accept()
{
    // A row of the list carries the bare path; a typed text is the path itself.
    const int row = device_->findText(device_->currentText());
    const QString path = row >= 0 ? device_->itemData(row).toString() : device_->currentText().trimmed();
    store_.setPortPath(number_->value(), path);
    QDialog::accept();
}

}  // namespace tessa

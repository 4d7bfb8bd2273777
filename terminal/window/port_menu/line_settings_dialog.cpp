#include "window/port_menu/line_settings_dialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>

using namespace Qt::StringLiterals;

namespace tessa {

namespace {

QComboBox* choices(QWidget* parent, const QString& name, const QStringList& texts, int current)
{
    auto* box = new QComboBox(parent);
    box->setObjectName(name);
    box->addItems(texts);
    box->setCurrentIndex(current);
    return box;
}

}  // namespace

LineSettingsDialog::LineSettingsDialog(const LineSettings& options, QWidget* parent)
    : QDialog(parent)
{
    setObjectName(u"LineSettingsDialog"_s);
    setWindowTitle(tr("Line settings"));
    // Item order follows the enums (parity, flow control) and the counts (7, 8; 1, 2).
    dataBits_ = choices(this, u"LineDataBits"_s, {u"7"_s, u"8"_s}, options.dataBits == 7 ? 0 : 1);
    parity_ = choices(this, u"LineParity"_s, {tr("None"), tr("Even"), tr("Odd")}, static_cast<int>(options.parity));
    stopBits_ = choices(this, u"LineStopBits"_s, {u"1"_s, u"2"_s}, options.stopBits == 2 ? 1 : 0);
    flowControl_ = choices(this, u"LineFlowControl"_s, {tr("None"), tr("RTS/CTS"), tr("XON/XOFF")},
                           static_cast<int>(options.flowControl));

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->setObjectName(u"LineSettingsButtons"_s);
    auto* layout = new QFormLayout(this);
    layout->addRow(tr("Data bits"), dataBits_);
    layout->addRow(tr("Parity"), parity_);
    layout->addRow(tr("Stop bits"), stopBits_);
    layout->addRow(tr("Flow control"), flowControl_);
    layout->addRow(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

LineSettings LineSettingsDialog::options() const
{
    LineSettings options;
    options.dataBits = dataBits_->currentIndex() == 0 ? 7 : 8;
    options.parity = static_cast<LineSettings::Parity>(parity_->currentIndex());
    options.stopBits = stopBits_->currentIndex() == 1 ? 2 : 1;
    options.flowControl = static_cast<LineSettings::FlowControl>(flowControl_->currentIndex());
    return options;
}

}  // namespace tessa

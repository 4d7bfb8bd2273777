#include "window/extras/line_settings_control.h"

#include "serial/serial_port.h"
#include "settings/settings_store.h"
#include "window/extras/line_settings_dialog.h"

#include <QAction>
#include <QMenu>
#include <QMessageBox>
#include <QRadioButton>

using namespace Qt::StringLiterals;

namespace tessa {

LineSettingsControl::LineSettingsControl(QWidget* window, QMenu& portMenu, SerialPort& port, SettingsStore& settings,
                                         QRadioButton& caption)
    : QObject(window)
    , window_(window)
    , port_(port)
    , settings_(settings)
    , options_(loadLineOptions(settings))
{
    action_ = portMenu.addAction(u"&Line settings..."_s);
    action_->setObjectName(u"mnu_line_settings"_s);
    connect(action_, &QAction::triggered, this, &LineSettingsControl::menuTriggered);

    caption_ = &caption;
    port_.setLineOptions(options_);
    showCaption();

    // Reported once the connect that opened the port has finished, not from inside it.
    connect(
        &port_, &SerialPort::opened, this, &LineSettingsControl::reportRefusalAtOpen, Qt::QueuedConnection);
}

void LineSettingsControl::menuTriggered()
{
    LineSettingsDialog dialog(options_, window_);
    if (dialog.exec() != QDialog::Accepted)
        return;
    options_ = dialog.options();
    saveLineOptions(settings_, options_);
    port_.setLineOptions(options_);
    showCaption();
    reported_.clear();
    if (port_.isOpen())
        reportRefusal(port_.applyLineOptionsNow());
}

void LineSettingsControl::showCaption()
{
    if (caption_)
        caption_->setText(lineOptionsCaption(options_));
}

void LineSettingsControl::reportRefusalAtOpen()
{
    const QString refusal = port_.lineRefusal();
    const QString said = port_.devicePath() + u'\n' + refusal;
    if (refusal.isEmpty() || reported_.contains(said))
        return;
    reportRefusal(refusal);
}

void LineSettingsControl::reportRefusal(const QString& refusal)
{
    if (refusal.isEmpty() || !port_.isOpen())
        return;
    reported_ << port_.devicePath() + u'\n' + refusal;
    QMessageBox box(QMessageBox::Warning, u"Line settings"_s,
                    u"%1. The line runs with the settings it took."_s.arg(refusal), QMessageBox::Ok, window_);
    box.setObjectName(u"LineRefusalMessage"_s);
    box.exec();
}

}  // namespace tessa

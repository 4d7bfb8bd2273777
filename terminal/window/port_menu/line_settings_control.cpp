#include "window/port_menu/line_settings_control.h"

#include "serial/serial_port.h"
#include "settings/settings_store.h"
#include "window/dialogs.h"
#include "window/port_menu/line_settings_dialog.h"

#include <QAction>
#include <QMenu>
#include <QRadioButton>

using namespace Qt::StringLiterals;

namespace tessa {

LineSettingsControl::LineSettingsControl(QWidget* window, Dialogs& dialogs, QMenu& portMenu, SerialPort& port,
                                         SettingsStore& settings, QRadioButton& caption)
    : QObject(window)
    , window_(window)
    , dialogs_(dialogs)
    , port_(port)
    , settings_(settings)
    , options_(loadLineFraming(settings))
{
    action_ = portMenu.addAction(tr("&Line settings..."));
    action_->setObjectName(u"mnu_line_settings"_s);
    action_->setToolTip(tr("Data bits, parity, stop bits and flow control of the port (kept for the next start)"));
    connect(action_, &QAction::triggered, this, &LineSettingsControl::menuTriggered);

    caption_ = &caption;
    port_.setLineFraming(options_);
    showCaption();

    // Reported once the connect that opened the port has finished, not from inside it.
    connect(&port_, &SerialPort::opened, this, &LineSettingsControl::reportRefusalAtOpen, Qt::QueuedConnection);
}

void LineSettingsControl::menuTriggered()
{
    LineSettingsDialog dialog(options_, window_);
    if (dialogs_.run(dialog) != QDialog::Accepted)
        return;
    setOptions(dialog.options());
}

void LineSettingsControl::setOptions(const LineSettings& line)
{
    options_ = line;
    port_.setLineFraming(options_);
    reported_.clear();
    QString refusal;
    if (port_.isOpen()) {
        refusal = port_.applyLineFramingNow();
        keepWhatTheLineTook(refusal);
    }
    saveLineFraming(settings_, options_);
    showCaption();
    reportRefusal(refusal);
}

void LineSettingsControl::keepWhatTheLineTook(const QString& refusal)
{
    // A refused wish is only in the message: the caption, the store and the next open have
    // what the line runs with.
    if (refusal.isEmpty())
        return;
    if (const std::optional<LineSettings> inEffect = port_.lineInEffect()) {
        options_ = *inEffect;
        port_.setLineFraming(options_);
    }
}

void LineSettingsControl::showCaption()
{
    if (caption_)
        caption_->setText(lineFramingCaption(options_));
}

void LineSettingsControl::reportRefusalAtOpen()
{
    const QString refusal = port_.lineRefusal();
    const QString said = port_.devicePath() + u'\n' + refusal;
    if (refusal.isEmpty())
        return;
    keepWhatTheLineTook(refusal);
    saveLineFraming(settings_, options_);
    showCaption();
    if (!reported_.contains(said))
        reportRefusal(refusal);
}

void LineSettingsControl::reportRefusal(const QString& refusal)
{
    if (refusal.isEmpty() || !port_.isOpen())
        return;
    reported_ << port_.devicePath() + u'\n' + refusal;
    dialogs_.message(window_, QMessageBox::Warning, tr("Line settings"),
                     tr("%1. The line runs with %2.").arg(refusal, lineFramingCaption(options_)), QMessageBox::Ok,
                     QMessageBox::NoButton, u"LineRefusalMessage"_s);
}

}  // namespace tessa

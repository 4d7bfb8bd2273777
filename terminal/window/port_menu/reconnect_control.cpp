#include "window/port_menu/reconnect_control.h"

#include "window/connection_bar.h"

#include "serial/serial_port.h"
#include "settings/settings_keys.h"
#include "settings/settings_store.h"

#include <QAction>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSerialPort>
#include <QStatusBar>

using namespace Qt::StringLiterals;

namespace tessa {

namespace {
constexpr int kStatusMs = 15000;
}  // namespace

ReconnectControl::ReconnectControl(ConnectionBar& connectionBar, QMenu& portMenu, SerialPort& port,
                                   SettingsStore& settings, std::function<QStatusBar*()> statusBar)
    : QObject(&connectionBar)
    , connectionBar_(connectionBar)
    , port_(port)
    , settings_(settings)
    , statusBar_(std::move(statusBar))
    , policy_(watcher_, [this] { return reopen(); })
{
    action_ = portMenu.addAction(tr("&Reconnect when the port returns"));
    action_->setObjectName(u"mnu_port_reconnect"_s);
    action_->setToolTip(tr("Opens the port again by itself when the same device comes back after a loss"));
    action_->setCheckable(true);
    const bool on = settings_.read(kReconnectKey, u"0"_s) == u"1";
    action_->setChecked(on);
    policy_.setEnabled(on);
    connect(action_, &QAction::toggled, this, &ReconnectControl::toggled);

    // A connect or disconnect by hand, or another port number typed, ends the wait.
    connect(&connectionBar_, &ConnectionBar::changedByHand, this, &ReconnectControl::handConnectOrDisconnect);

    // With reconnect on, the loss is told here instead of in the window's modal box.
    connectionBar_.setLossToldElsewhere([this] { return policy_.isEnabled(); });
    policy_.setRecognise([this](const QString& path) { return isSameDevice(identity_, identifyDevice(path)); });

    connect(&port_, &SerialPort::opened, this, [this] {
        openPath_ = port_.devicePath();
        identity_ = identifyDevice(openPath_);
    });
    connect(&port_, &SerialPort::lost, this, &ReconnectControl::onLost);
    connect(&policy_, &ReconnectPolicy::reconnected, this, [this](const QString& path) {
        watcher_.stop();
        say(tr("Reconnected to %1").arg(path));
    });
    connect(&policy_, &ReconnectPolicy::otherDevice, this,
            [this](const QString& path) { say(tr("Another device is at %1; waiting for the lost one").arg(path)); });
    connect(&policy_, &ReconnectPolicy::reconnectFailed, this, [this](const QString& path) {
        say(tr("%1 is back but could not be opened; waiting for it to return again").arg(path));
    });
}

void ReconnectControl::toggled(bool on)
{
    settings_.write(kReconnectKey, on ? u"1"_s : u"0"_s);
    policy_.setEnabled(on);
    if (!on) {
        policy_.cancel();
        watcher_.stop();
    }
}

void ReconnectControl::onLost()
{
    if (!policy_.isEnabled() || openPath_.isEmpty())
        return;
    policy_.portLost(openPath_);
    if (!watcher_.isActive())
        watcher_.start();
    say(tr("%1 was lost; it is connected again when it returns").arg(openPath_));
}

bool ReconnectControl::reopen()
{
    // Tried quietly first: the window's Connect answers a failure with a message box, and a
    // device that has just appeared may refuse for a moment.
    {
        QSerialPort probe(openPath_);
        if (!probe.open(QIODevice::ReadWrite))
            return false;
    }
    // The window's own connect, so that it shows the connected state.
    connectionBar_.Command1_Click();
    return port_.isOpen();
}

void ReconnectControl::handConnectOrDisconnect()
{
    policy_.cancel();
    watcher_.stop();
}

void ReconnectControl::say(const QString& text)
{
    if (QStatusBar* bar = statusBar_())
        bar->showMessage(text, kStatusMs);
    emit note(text);
}

}  // namespace tessa

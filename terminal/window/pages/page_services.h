#pragma once

#include <functional>

class QStatusBar;
class QWidget;

namespace tessa {

class CommonDialog;
class Dialogs;
class ReceiveDisplay;
class SendGuard;
class SerialPort;
class SettingsStore;

// What the pages share of the window: the port, the receive display, the settings, the file
// dialog, the message boxes and dialogs, the send guard, the window itself (the parent of its
// messages) and its status bar.
struct PageServices {
    QWidget& window;
    SerialPort& port;
    ReceiveDisplay& receive;
    SettingsStore& settings;
    CommonDialog& dialog;
    Dialogs& dialogs;
    SendGuard& guard;
    // The status bar, shown and allowed for in the window's height on first use.
    std::function<QStatusBar*()> statusBar;
};

}  // namespace tessa

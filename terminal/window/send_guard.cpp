#include "window/send_guard.h"

#include "serial/serial_port.h"
#include "window/dialogs.h"

#include <QPushButton>

namespace tessa {

bool SendGuard::portOpen()
{
    if (port_.isOpen())
        return true;
    refuse();
    return false;
}

bool SendGuard::connectButtonHidden()
{
    if (showsConnected())
        return true;
    refuse();
    return false;
}

bool SendGuard::showsConnected() const
{
    return connectButton_.isHidden();
}

void SendGuard::refuse()
{
    dialogs_.hint(&window_, translated(kNotConnectedText), hintTitle());
    connectButton_.setFocus();
}

}  // namespace tessa

#include "window/pages/device_commands.h"

#include "panels/download.h"
#include "panels/motion_buttons.h"
#include "receive/receive_display.h"
#include "serial/serial_port.h"
#include "window/common_dialog.h"
#include "window/dialogs.h"
#include "window/send_guard.h"

#include <QApplication>
#include <QCoreApplication>

using namespace Qt::StringLiterals;

namespace tessa {

void sendMotionCommand(const PageServices& services, const char* command)
{
    if (services.guard.connectButtonHidden())
        services.port.write(motionCommand(command));
}

void runDownload(const PageServices& services, DownloadKind kind, const std::function<void(bool)>& jogEnabled)
{
    if (!services.guard.connectButtonHidden())
        return;
    // The file is chosen and read before anything goes out: a device that has had the
    // announcement takes whatever comes next as the file, so a cancelled dialog or a file that
    // cannot go must leave the line untouched.
    services.dialog.setFileName(QString());
    services.dialog.setFilter(u"Txt file | *.txt"_s);
    services.dialog.showOpen(&services.window);
    const QString name = services.dialog.fileName();
    if (name.isEmpty())
        return;
    const DownloadFile file = readDownloadFile(name);
    if (file.status == DownloadFile::Status::Unreadable) {
        services.dialogs.hint(
            &services.window,
            QCoreApplication::translate("tessa", "Cannot read \"%1\": %2. Nothing was sent.").arg(name, file.error),
            QApplication::applicationName());
        return;
    }
    if (file.status == DownloadFile::Status::TooLarge) {
        services.dialogs.message(&services.window, QMessageBox::NoIcon, QApplication::applicationName(),
                                 downloadTooLargeMessage());
        return;
    }
    const bool program = kind == DownloadKind::Program;
    if (program)
        jogEnabled(false);
    services.port.write(program ? programAnnouncement() : parameterAnnouncement());
    // An empty file is a completed download of nothing: no write, the jog buttons come back.
    if (!file.bytes.isEmpty())
        services.port.write(file.bytes);
    if (program)
        jogEnabled(true);
    services.receive.clear();
}

}  // namespace tessa

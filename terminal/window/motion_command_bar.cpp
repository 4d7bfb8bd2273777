#include "window/motion_command_bar.h"

#include "receive/receive_display.h"
#include "window/control_names.h"
#include "window/pages/device_commands.h"
#include "window/send_guard.h"
#include "window/twips.h"

#include <QPushButton>

using namespace Qt::StringLiterals;

namespace tessa {

MotionCommandBar::MotionCommandBar(const PageServices& services, QWidget& form)
    : QObject(&form)
    , services_(services)
{
    const auto button = [this, &form](const char* name, const QString& caption, int left,
                                      void (MotionCommandBar::*handler)()) {
        auto* b = named(new QPushButton(caption, &form), QString::fromLatin1(name));
        setGeometryTwips(b, left, 90, 1300, 405);
        connect(b, &QPushButton::clicked, this, handler);
    };
    button("Command30", u"讀取參數"_s, 9000, &MotionCommandBar::Command30_Click);
    button("Command26", u"讀取位置"_s, 10400, &MotionCommandBar::Command26_Click);
    button("Command23", u"讀取轉速"_s, 11800, &MotionCommandBar::Command23_Click);
    button("Command22", u"讀取程式"_s, 13200, &MotionCommandBar::Command22_Click);
    button("Command56", u"傳送參數"_s, 14600, &MotionCommandBar::Command56_Click);
}

void MotionCommandBar::Command30_Click()
{
    sendMotionCommand(services_, "c57");
    // The parameters come back into an empty display.
    if (services_.guard.showsConnected())
        services_.receive.clear();
}

void MotionCommandBar::Command26_Click()
{
    sendMotionCommand(services_, "c53");
}

void MotionCommandBar::Command23_Click()
{
    sendMotionCommand(services_, "c52");
}

void MotionCommandBar::Command22_Click()
{
    sendMotionCommand(services_, "c56");
    if (services_.guard.showsConnected())
        services_.receive.clear();
}

void MotionCommandBar::Command56_Click()
{
    runDownload(services_, DownloadKind::Parameters, [](bool) {});
}

}  // namespace tessa

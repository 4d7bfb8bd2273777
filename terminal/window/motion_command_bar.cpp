#include "window/motion_command_bar.h"

#include "receive/receive_display.h"
#include "window/control_names.h"
#include "window/pages/device_commands.h"
#include "window/send_guard.h"
#include "window/twips.h"
#include "window/tooltips.h"

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
    button("Command30", tr("讀取參數"), 9000, &MotionCommandBar::Command30_Click);
    button("Command26", tr("讀取位置"), 10400, &MotionCommandBar::Command26_Click);
    button("Command23", tr("讀取轉速"), 11800, &MotionCommandBar::Command23_Click);
    button("Command22", tr("讀取程式"), 13200, &MotionCommandBar::Command22_Click);
    button("Command56", tr("傳送參數"), 14600, &MotionCommandBar::Command56_Click);
    setToolTips(form,
                {{"Command30", tr("要求裝置送出它的參數")},
                 {"Command26", tr("要求裝置送出它的位置")},
                 {"Command23", tr("要求裝置送出它的轉速")},
                 {"Command22", tr("要求裝置送出它的程式")},
                 {"Command56", tr("選擇參數檔並下載到裝置")}});
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

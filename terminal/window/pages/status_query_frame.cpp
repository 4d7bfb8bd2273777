#include "window/pages/status_query_frame.h"

#include "frames/frame_text.h"
#include "panels/status_and_outputs.h"
#include "serial/serial_port.h"
#include "window/control_names.h"
#include "window/send_guard.h"
#include "window/twips.h"
#include "window/tooltips.h"

#include <QPushButton>

using namespace Qt::StringLiterals;

namespace tessa {

StatusQueryFrame::StatusQueryFrame(const PageServices& services, QWidget* page)
    : QGroupBox(tr("狀態查詢"), page)
    , services_(services)
{
    setObjectName(u"Frame5"_s);
    setGeometryTwips(this, 5000, 120, 3500, 1800);
    const auto button = [this](const char* name, const QString& caption, int left, int top,
                               void (StatusQueryFrame::*handler)()) {
        auto* b = named(new QPushButton(caption, this), QString::fromLatin1(name));
        setGeometryTwips(b, left, top, 1560, 405);
        connect(b, &QPushButton::clicked, this, handler);
    };
    button("Command42", tr("Special I/O"), 120, 300, &StatusQueryFrame::Command42_Click);
    button("Command43", tr("Output"), 1800, 300, &StatusQueryFrame::Command43_Click);
    button("Command39", tr("Input"), 120, 780, &StatusQueryFrame::Command39_Click);
    button("Command44", tr("Busy"), 1800, 780, &StatusQueryFrame::Command44_Click);
    button("Command38", tr("Sensor"), 120, 1260, &StatusQueryFrame::Command38_Click);
    button("Command41", tr("Version"), 1800, 1260, &StatusQueryFrame::Command41_Click);
    setToolTip(tr("查詢裝置的狀態"));
    setToolTips(*this,
                {{"Command42", tr("查詢裝置的 %1 狀態").arg(tr("Special I/O"))},
                 {"Command43", tr("查詢裝置的 %1 狀態").arg(tr("Output"))},
                 {"Command39", tr("查詢裝置的 %1 狀態").arg(tr("Input"))},
                 {"Command44", tr("查詢裝置的 %1 狀態").arg(tr("Busy"))},
                 {"Command38", tr("查詢裝置的 %1 狀態").arg(tr("Sensor"))},
                 {"Command41", tr("查詢裝置的版本")}});
}

void StatusQueryFrame::sendQueryWord(const PageServices& services, const char* word)
{
    if (!services.guard.portOpen())
        return;
    services.port.write(QByteArrayView(word));
    services.port.write(QByteArrayView(kCrLf));
}

void StatusQueryFrame::Command39_Click()
{
    if (services_.guard.connectButtonHidden())
        services_.port.write(inputQuery());
}

void StatusQueryFrame::Command38_Click()
{
    if (services_.guard.connectButtonHidden())
        services_.port.write(sensorQuery());
}

}  // namespace tessa

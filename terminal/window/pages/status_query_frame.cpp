#include "window/pages/status_query_frame.h"

#include "frames/frame_text.h"
#include "panels/status_and_outputs.h"
#include "serial/serial_port.h"
#include "window/control_names.h"
#include "window/send_guard.h"
#include "window/twips.h"

#include <QPushButton>

using namespace Qt::StringLiterals;

namespace tessa {

StatusQueryFrame::StatusQueryFrame(const PageServices& services, QWidget* page)
    : QGroupBox(u"狀態查詢"_s, page)
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
    button("Command42", u"Special I/O"_s, 120, 300, &StatusQueryFrame::Command42_Click);
    button("Command43", u"Output"_s, 1800, 300, &StatusQueryFrame::Command43_Click);
    button("Command39", u"Input"_s, 120, 780, &StatusQueryFrame::Command39_Click);
    button("Command44", u"Busy"_s, 1800, 780, &StatusQueryFrame::Command44_Click);
    button("Command38", u"Sensor"_s, 120, 1260, &StatusQueryFrame::Command38_Click);
    button("Command41", u"Version"_s, 1800, 1260, &StatusQueryFrame::Command41_Click);
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

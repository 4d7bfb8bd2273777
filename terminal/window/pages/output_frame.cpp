#include "window/pages/output_frame.h"

#include "frames/frame_text.h"
#include "panels/status_and_outputs.h"
#include "serial/serial_port.h"
#include "window/control_names.h"
#include "window/send_guard.h"
#include "window/twips.h"

#include <QCheckBox>
#include <QPushButton>

using namespace Qt::StringLiterals;

namespace tessa {

OutputFrame::OutputFrame(const PageServices& services, QWidget* page)
    : QGroupBox(tr("輸出"), page)
    , services_(services)
{
    setObjectName(u"Frame4"_s);
    setGeometryTwips(this, 5000, 2040, 3500, 1700);
    for (int k = 0; k < 4; ++k) {
        outputChecks_[k] = named(new QCheckBox(tr("Out %1").arg(k), this), u"Check%1"_s.arg(5 + k));
        setGeometryTwips(outputChecks_[k], 120 + (k % 2) * 1700, 300 + (k / 2) * 380, 1500, 345);
    }
    auto* on = named(new QPushButton(tr("Outon"), this), u"Command53"_s);
    setGeometryTwips(on, 120, 1140, 1560, 405);
    auto* off = named(new QPushButton(tr("Outoff"), this), u"Command54"_s);
    setGeometryTwips(off, 1800, 1140, 1560, 405);
    connect(on, &QPushButton::clicked, this, &OutputFrame::Command53_Click);
    connect(off, &QPushButton::clicked, this, &OutputFrame::Command54_Click);
    setToolTip(tr("設定裝置的輸出 Out 0 到 Out 3"));
    for (QCheckBox* check : outputChecks_)
        check->setToolTip(tr("勾選的輸出由 Outon/Outoff 設定"));
    on->setToolTip(tr("打開勾選的輸出"));
    off->setToolTip(tr("關閉勾選的輸出"));
}

void OutputFrame::Command53_Click()
{
    sendOutputPattern(outonPrefix());
}

void OutputFrame::Command54_Click()
{
    sendOutputPattern(outoffPrefix());
}

void OutputFrame::sendOutputPattern(const QByteArray& prefix)
{
    if (!services_.guard.portOpen())
        return;
    const QString pattern = outputPattern(outputChecks_[3]->isChecked(), outputChecks_[2]->isChecked(),
                                          outputChecks_[1]->isChecked(), outputChecks_[0]->isChecked());
    services_.port.write(prefix);
    services_.port.write(QStringView(pattern));
    services_.port.write(QByteArrayView(kCrLf));
}

}  // namespace tessa

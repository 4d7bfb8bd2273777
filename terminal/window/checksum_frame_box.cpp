#include "window/checksum_frame_box.h"

#include "frames/checksum_frame.h"
#include "receive/receive_view.h"
#include "serial/serial_port.h"
#include "window/control_names.h"
#include "window/dialogs.h"
#include "window/twips.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

using namespace Qt::StringLiterals;

namespace tessa {

ChecksumFrameBox::ChecksumFrameBox(SerialPort& port, ReceiveView& hexView, Dialogs& dialogs, QWidget* form)
    : QGroupBox(u"Frame3"_s, form)
    , port_(port)
    , hexView_(hexView)
    , dialogs_(dialogs)
{
    setObjectName(u"Frame3"_s);
    setGeometryTwips(this, 9000, 1320, 7215, 1500);
    auto* output = named(new QPushButton(tr("Output"), this), u"Command3"_s);
    setGeometryTwips(output, 120, 960, 1000, 405);
    for (int k = 0; k < static_cast<int>(Text2.size()); ++k) {
        Text2[k] = element(new QLineEdit(this), u"Text2"_s, k);
        setGeometryTwips(Text2[k], 120 + k * 560, 480, 500, 345);
    }
    Text2[0]->setText(u"11"_s);
    Text2[1]->setText(u"22"_s);
    auto* label = element(new QLabel(tr("Out String(16H)"), this), u"Label2"_s, 0);
    setGeometryTwips(label, 120, 240, 2000, 240);
    Check1 = named(new QCheckBox(tr("chk sum"), this), u"Check1"_s);
    output->setToolTip(tr("傳送左邊的位元組"));
    Check1->setToolTip(tr("加上加總檢查碼"));
    setGeometryTwips(Check1, 1300, 960, 1400, 405);
    hide();
    connect(output, &QPushButton::clicked, this, &ChecksumFrameBox::Command3_Click);
}

void ChecksumFrameBox::Command3_Click()
{
    if (!port_.isOpen()) {
        dialogs_.hint(window(), translated(kNotConnectedText), hintTitle());
        return;
    }
    std::array<QString, kChecksumBoxCount> boxes;
    for (int k = 0; k < kChecksumBoxCount; ++k)
        boxes[k] = Text2[k]->text();
    const ChecksumFrameResult built = buildChecksumFrame(boxes, Check1->isChecked());
    if (built.badBox >= 0) {
        dialogs_.hint(window(),
                      tr("Text2(%1) holds \"%2\", which is not a hexadecimal byte (00 to FF). Nothing was sent.")
                          .arg(built.badBox)
                          .arg(boxes[built.badBox]),
                      hintTitle());
        Text2[built.badBox]->setFocus();
        return;
    }
    hexView_.clear();
    port_.write(built.frame);
}

}  // namespace tessa

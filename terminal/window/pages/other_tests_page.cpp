#include "window/pages/other_tests_page.h"

#include "frames/frame_text.h"
#include "panels/command_rows.h"
#include "panels/status_and_outputs.h"
#include "receive/receive_display.h"
#include "serial/serial_port.h"
#include "settings/settings_keys.h"
#include "settings/settings_store.h"
#include "window/control_names.h"
#include "window/event_hook.h"
#include "window/filled_shape.h"
#include "window/pages/output_frame.h"
#include "window/pages/status_query_frame.h"
#include "window/send_guard.h"
#include "window/twips.h"
#include "window/tooltips.h"

#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>

using namespace Qt::StringLiterals;

namespace tessa {
namespace {

const QColor kLampGrey(0xC0, 0xC0, 0xC0);
const QColor kLampGreen(0x00, 0xFF, 0x00);

QPushButton* button(QWidget* parent, const char* name, const QString& caption, int left, int top, int width)
{
    auto* b = named(new QPushButton(caption, parent), QString::fromLatin1(name));
    setGeometryTwips(b, left, top, width, 345);
    return b;
}

QLineEdit* box(QWidget* parent, const char* name, const QString& text, int left, int top, int width)
{
    auto* t = named(new QLineEdit(text, parent), QString::fromLatin1(name));
    setGeometryTwips(t, left, top, width, 345);
    return t;
}

// On every key release a number box is held within its limits; a text that is no number
// goes back to the last valid one.
void limitOnKeyUp(QLineEdit* box, double lowest, double highest)
{
    onEvents(box, [box, lowest, highest](QEvent* e) {
        if (e->type() != QEvent::KeyRelease)
            return false;
        const QString lastValid =
            box->property("lastValidText").isValid() ? box->property("lastValidText").toString() : u"0"_s;
        const QString limited = limitedText(box->text(), lowest, highest, lastValid);
        if (limited != box->text())
            box->setText(limited);
        if (isDecimalText(limited))
            box->setProperty("lastValidText", limited);
        return false;
    });
}

}  // namespace

OtherTestsPage::OtherTestsPage(const PageServices& services)
    : services_(services)
{
    setObjectName(u"SSTab1Page2"_s);
    createControls();
}

void OtherTestsPage::createControls()
{
    for (int row = 1; row <= kCommandRowCount; ++row) {
        const CommandRow& r = commandRow(row);
        const int top = 120 + (row - 1) * 420;
        connect(button(this, r.button, tr("Send →"), 120, top, 900), &QPushButton::clicked, this,
                [this, row] { commandRow_Click(row); });
        commandBoxes_[row - 1] = box(this, r.commandBox, u"REL=1600"_s, 1080, top, 2400);
        auto* label = element(new QLabel(tr("ID:"), this), u"Label2"_s, row);
        setGeometryTwips(label, 3560, top + 40, 340, 300);
        label->setToolTip(tr("裝置 ID, 跟命令一起傳送"));
        idBoxes_[row - 1] = box(this, r.idBox, QString::number(row - 1), 3900, top, 600);
        idBoxes_[row - 1]->setProperty("lastValidText", QString::number(row - 1));
        limitOnKeyUp(idBoxes_[row - 1], kIdLowest, kIdHighest);
        Shape1[row - 1] = element(new FilledShape(FilledShape::Kind::Circle, this), u"Shape1"_s, row - 1);
        setGeometryTwips(Shape1[row - 1], 4600, top + 50, 240, 240);
    }
    connect(button(this, "Command29", tr("讀取Encoder"), 120, 3600, 1500), &QPushButton::clicked, this,
            &OtherTestsPage::Command29_Click);
    Text16 = box(this, "Text16", u"0"_s, 1700, 3600, 1200);
    connect(button(this, "Command55", u"sabs"_s, 3000, 3600, 900), &QPushButton::clicked, this,
            &OtherTestsPage::Command55_Click);
    Text25 = box(this, "Text25", u"0"_s, 4000, 3600, 1400);
    Text25->setProperty("lastValidText", u"0"_s);
    limitOnKeyUp(Text25, kSabsLowest, kSabsHighest);
    connect(button(this, "Command40", tr("Test"), 120, 4100, 900), &QPushButton::clicked, this,
            &OtherTestsPage::Command40_Click);
    auto* save = button(this, "Command28", tr("儲存接收訊息 .TXT (C碟)"), 1200, 4100, 3000);
    save->setToolTip(tr("Saves to %1").arg(receivedTextPath()));
    connect(save, &QPushButton::clicked, this, &OtherTestsPage::Command28_Click);
    new StatusQueryFrame(services_, this);
    new OutputFrame(services_, this);
    for (int row = 1; row <= kCommandRowCount; ++row)
        setToolTips(*this, {{commandRow(row).button, tr("傳送右邊的命令與 ID (以 CR LF 結尾)")}});
    setToolTips(*this,
                {{"Command29", tr("傳送右邊的編碼器值")},
                 {"Command55", tr("傳送 sabs 命令與右邊的值")},
                 {"Command40", tr("傳送 test 查詢")}});
}

QHash<QString, QLineEdit*> OtherTestsPage::storedBoxes() const
{
    QHash<QString, QLineEdit*> boxes;
    for (int row = 1; row <= kCommandRowCount; ++row) {
        boxes.insert(commandRowKey(row), commandBoxes_[row - 1]);
        boxes.insert(commandRowIdKey(row), idBoxes_[row - 1]);
    }
    boxes.insert(kEncoderValueKey, Text16);
    boxes.insert(kSabsValueKey, Text25);
    return boxes;
}

void OtherTestsPage::commandRow_Click(int row)
{
    if (!services_.guard.portOpen())
        return;
    const QString command = commandBoxes_[row - 1]->text();
    const QString id = idBoxes_[row - 1]->text();
    services_.port.write(QStringView(commandRowLine(command, id)));
    services_.port.write(QByteArrayView(kCrLf));
    services_.receive.showCharacterView();
    for (int k = 0; k < static_cast<int>(Shape1.size()); ++k)
        Shape1[k]->setFillColor(k == row - 1 ? kLampGreen : kLampGrey);
    services_.settings.write(commandRowKey(row), command);
    services_.settings.write(commandRowIdKey(row), id);
}

void OtherTestsPage::sendValueLine(const QByteArray& prefix, QLineEdit* box, const QString& key)
{
    if (!services_.guard.portOpen())
        return;
    services_.port.write(prefix);
    services_.port.write(QStringView(box->text()));
    services_.port.write(QByteArrayView(kCrLf));
    services_.settings.write(key, box->text());
}

void OtherTestsPage::Command29_Click()
{
    sendValueLine(encoderPrefix(), Text16, kEncoderValueKey);
}

void OtherTestsPage::Command55_Click()
{
    sendValueLine(sabsPrefix(), Text25, kSabsValueKey);
}

void OtherTestsPage::Command40_Click()
{
    StatusQueryFrame::sendQueryWord(services_, "test");
}

void OtherTestsPage::Command28_Click()
{
    // Without a drive C the file goes to the home folder; the status bar says where, without
    // stopping the operator.
    const QString path = receivedTextPath();
    QFile file(path);
    const bool written = file.open(QIODevice::WriteOnly | QIODevice::Truncate)
        && file.write(receivedTextBytes(services_.receive.characterView()->toPlainText())) >= 0 && file.flush();
    file.close();
    QStatusBar* bar = services_.statusBar();
    if (written)
        bar->showMessage(tr("Received text saved to %1").arg(path), 10000);
    else
        bar->showMessage(tr("Could not save the received text to %1: %2").arg(path, file.errorString()), 10000);
}

}  // namespace tessa

// The device test panels' controls with their design values, their wiring and the restore of
// their stored values.
#include "window/form1.h"

#include "panels/command_rows.h"
#include "panels/modbus_panels.h"
#include "panels/motion_buttons.h"
#include "serial/serial_port.h"
#include "window/control_names.h"
#include "window/event_hook.h"
#include "window/filled_shape.h"
#include "window/twips.h"

#include <QCheckBox>
#include <QEvent>
#include <QGroupBox>
#include <QHash>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>

using namespace Qt::StringLiterals;
using tessa::element;
using tessa::named;
using tessa::setGeometryTwips;

namespace {

QPushButton* button(QWidget* parent, const char* name, const QString& caption, int left, int top, int width, int height = 405)
{
    auto* b = named(new QPushButton(caption, parent), QString::fromLatin1(name));
    setGeometryTwips(b, left, top, width, height);
    return b;
}

QLineEdit* box(QWidget* parent, const char* name, const QString& text, int left, int top, int width)
{
    auto* t = named(new QLineEdit(text, parent), QString::fromLatin1(name));
    setGeometryTwips(t, left, top, width, 345);
    return t;
}

// Frame control arrays of the Modbus page, by field caption: Frame6 "ID" ... Frame12 "CRC".
QString modbusFrameName(const char* caption)
{
    static const QHash<QString, QString> names{{u"ID"_s, u"Frame6"_s},       {u"Write"_s, u"Frame7"_s},
                                               {u"Read"_s, u"Frame7"_s},     {u"Address"_s, u"Frame8"_s},
                                               {u"Register"_s, u"Frame9"_s}, {u"Len"_s, u"Frame10"_s},
                                               {u"Data"_s, u"Frame11"_s},    {u"CRC"_s, u"Frame12"_s}};
    return names.value(QString::fromLatin1(caption));
}

constexpr int kBoxWidth = 450;
constexpr int kBoxGap = 40;
constexpr int kFrameHeight = 700;

}  // namespace

void Form1::createPanelControls()
{
    QWidget* form = centralWidget();

    // Top row: motion commands and the parameter download.
    button(form, "Command30", u"讀取參數"_s, 9000, 90, 1300);
    button(form, "Command26", u"讀取位置"_s, 10400, 90, 1300);
    button(form, "Command23", u"讀取轉速"_s, 11800, 90, 1300);
    button(form, "Command22", u"讀取程式"_s, 13200, 90, 1300);
    button(form, "Command56", u"傳送參數"_s, 14600, 90, 1300);

    // Page "測試編輯": motion buttons, jog and the program download.
    QWidget* testPage = SSTab1->widget(1);
    button(testPage, "Command18", u"Home"_s, 5280, 600, 1400);
    button(testPage, "Command19", u"Start"_s, 5280, 1050, 1400);
    button(testPage, "Command20", u"Stop"_s, 5280, 1500, 1400);
    Command24 = button(testPage, "Command24", u"Jog+"_s, 5280, 1950, 1400);
    Command25 = button(testPage, "Command25", u"Jog-"_s, 5280, 2400, 1400);
    button(testPage, "Command21", u"儲存程式/參數"_s, 120, 3400, 2000);
    button(testPage, "Command17", u"傳送程式"_s, 2300, 3400, 1500);

    // Page "其他測試": command rows, encoder and "sabs" lines, status query and outputs.
    QWidget* otherPage = SSTab1->widget(2);
    for (int row = 1; row <= tessa::kCommandRowCount; ++row) {
        const tessa::CommandRow& r = tessa::commandRow(row);
        const int top = 120 + (row - 1) * 420;
        button(otherPage, r.button, u"Send →"_s, 120, top, 900, 345);
        box(otherPage, r.commandBox, u"REL=1600"_s, 1080, top, 2400);
        auto* label = element(new QLabel(u"ID:"_s, otherPage), u"Label2"_s, row);
        setGeometryTwips(label, 3560, top + 40, 340, 300);
        box(otherPage, r.idBox, QString::number(row - 1), 3900, top, 600)->setProperty("lastValidText", QString::number(row - 1));
        Shape1[row - 1] = element(new tessa::FilledShape(tessa::FilledShape::Kind::Circle, otherPage), u"Shape1"_s, row - 1);
        setGeometryTwips(Shape1[row - 1], 4600, top + 50, 240, 240);
    }
    button(otherPage, "Command29", u"讀取Encoder"_s, 120, 3600, 1500, 345);
    Text16 = box(otherPage, "Text16", u"0"_s, 1700, 3600, 1200);
    button(otherPage, "Command55", u"sabs"_s, 3000, 3600, 900, 345);
    Text25 = box(otherPage, "Text25", u"0"_s, 4000, 3600, 1400);
    Text25->setProperty("lastValidText", u"0"_s);
    button(otherPage, "Command40", u"Test"_s, 120, 4100, 900, 345);
    button(otherPage, "Command28", u"儲存接收訊息 .TXT (C碟)"_s, 1200, 4100, 3000, 345)
        ->setToolTip(u"Saves to %1"_s.arg(tessa::receivedTextPath()));

    auto* frame5 = named(new QGroupBox(u"狀態查詢"_s, otherPage), u"Frame5"_s);
    setGeometryTwips(frame5, 5000, 120, 3500, 1800);
    button(frame5, "Command42", u"Special I/O"_s, 120, 300, 1560);
    button(frame5, "Command43", u"Output"_s, 1800, 300, 1560);
    button(frame5, "Command39", u"Input"_s, 120, 780, 1560);
    button(frame5, "Command44", u"Busy"_s, 1800, 780, 1560);
    button(frame5, "Command38", u"Sensor"_s, 120, 1260, 1560);
    button(frame5, "Command41", u"Version"_s, 1800, 1260, 1560);

    auto* frame4 = named(new QGroupBox(u"輸出"_s, otherPage), u"Frame4"_s);
    setGeometryTwips(frame4, 5000, 2040, 3500, 1700);
    for (int k = 0; k < 4; ++k) {
        outputChecks_[k] = named(new QCheckBox(u"Out %1"_s.arg(k), frame4), u"Check%1"_s.arg(5 + k));
        setGeometryTwips(outputChecks_[k], 120 + (k % 2) * 1700, 300 + (k / 2) * 380, 1500, 345);
    }
    button(frame4, "Command53", u"Outon"_s, 120, 1140, 1560);
    button(frame4, "Command54", u"Outoff"_s, 1800, 1140, 1560);

    // Page "ModBus測試": five panels over Text26(0) to Text26(44).
    QWidget* modbusPage = SSTab1->widget(3);
    const std::array<QString, tessa::kModbusBoxCount>& design = tessa::modbusDesignTexts();
    const int panelTop[5] = {120, 1380, 2640, 3440, 4300};
    QHash<QString, int> frameIndex;
    for (int panel = 0; panel < 5; ++panel) {
        int left = 120;
        for (const tessa::ModbusField& field : tessa::modbusPanelFields(panel)) {
            const QString frameName = modbusFrameName(field.caption);
            const int boxes = panel == 4 ? 1 : field.last - field.first + 1;
            const int width = boxes * (kBoxWidth + kBoxGap) + 160;
            auto* frame = element(new QGroupBox(QString::fromLatin1(field.caption), modbusPage), frameName,
                                  frameIndex[frameName]++);
            setGeometryTwips(frame, left, panelTop[panel], width, kFrameHeight);
            for (int e = field.first; e <= field.last; ++e) {
                // Panel 4's CRC boxes lie under its ID box: they only hold the CRC.
                const int slot = panel == 4 ? 0 : e - field.first;
                Text26[e] = element(new QLineEdit(design[e], frame), u"Text26"_s, e);
                setGeometryTwips(Text26[e], 100 + slot * (kBoxWidth + kBoxGap), 260, kBoxWidth, 345);
            }
            if (panel == 4)
                Text26[tessa::kFixedIdBox]->raise();
            left += width + 80;
        }
    }
    button(modbusPage, "Command31", u"↑  Send ModBus Data  ↑"_s, 120, 860, 3000, 405);
    button(modbusPage, "Command33", u"↑  Send ModBus Data  ↑"_s, 120, 2120, 3000, 405);
    button(modbusPage, "Command35", u"← Send ModBus Data"_s, 5300, 2790, 2400, 405);
    button(modbusPage, "Command37", u"← Send ModBus Data"_s, 5300, 3590, 2400, 405);
    button(modbusPage, "Command52", u"ASCII Mode"_s, 1200, 4450, 1600, 405);
    button(modbusPage, "Command57", u"SAVE"_s, 2900, 4450, 1200, 405);
}

void Form1::wirePanelEvents()
{
    const auto click = [this](const char* name, void (Form1::*handler)()) {
        connect(findChild<QPushButton*>(QString::fromLatin1(name)), &QPushButton::clicked, this, handler);
    };
    click("Command31", &Form1::Command31_Click);
    click("Command33", &Form1::Command33_Click);
    click("Command35", &Form1::Command35_Click);
    click("Command37", &Form1::Command37_Click);
    click("Command52", &Form1::Command52_Click);
    click("Command57", &Form1::Command57_Click);
    for (int e = 0; e < tessa::kModbusBoxCount; ++e)
        connect(Text26[e], &QLineEdit::textChanged, this, [this, e] { Text26_Change(e); });
    for (int row = 1; row <= tessa::kCommandRowCount; ++row) {
        connect(findChild<QPushButton*>(QString::fromLatin1(tessa::commandRow(row).button)), &QPushButton::clicked, this,
                [this, row] { commandRow_Click(row); });
        auto* idBox = findChild<QLineEdit*>(QString::fromLatin1(tessa::commandRow(row).idBox));
        tessa::onEvents(idBox, [this, idBox](QEvent* e) {
            if (e->type() == QEvent::KeyRelease)
                limitKeyUp(idBox, tessa::kIdLowest, tessa::kIdHighest);
            return false;
        });
    }
    tessa::onEvents(Text25, [this](QEvent* e) {
        if (e->type() == QEvent::KeyRelease)
            limitKeyUp(Text25, tessa::kSabsLowest, tessa::kSabsHighest);
        return false;
    });
    click("Command29", &Form1::Command29_Click);
    click("Command55", &Form1::Command55_Click);
    click("Command40", &Form1::Command40_Click);
    click("Command28", &Form1::Command28_Click);
    click("Command42", &Form1::Command42_Click);
    click("Command43", &Form1::Command43_Click);
    click("Command39", &Form1::Command39_Click);
    click("Command44", &Form1::Command44_Click);
    click("Command38", &Form1::Command38_Click);
    click("Command41", &Form1::Command41_Click);
    click("Command53", &Form1::Command53_Click);
    click("Command54", &Form1::Command54_Click);
    click("Command30", &Form1::Command30_Click);
    click("Command26", &Form1::Command26_Click);
    click("Command23", &Form1::Command23_Click);
    click("Command22", &Form1::Command22_Click);
    click("Command21", &Form1::Command21_Click);
    click("Command18", &Form1::Command18_Click);
    click("Command19", &Form1::Command19_Click);
    click("Command20", &Form1::Command20_Click);
    click("Command24", &Form1::Command24_Click);
    click("Command25", &Form1::Command25_Click);
    click("Command17", &Form1::Command17_Click);
    click("Command56", &Form1::Command56_Click);
    connect(Timer11, &QTimer::timeout, this, &Form1::Timer11_Timer);
    // The hold frame must not go out before 200 ms; a coarse timer may fire 5 % early.
    Timer11->setTimerType(Qt::PreciseTimer);
    // Closing the port while a jog is held stops the axis first.
    connect(Comm1, &tessa::SerialPort::aboutToClose, this, &Form1::endJog);
    connect(Comm1, &tessa::SerialPort::lost, this, &Form1::endJog);
    for (QPushButton* jog : {Command24, Command25}) {
        const std::uint8_t direction = jog == Command24 ? tessa::kJogPlus : tessa::kJogMinus;
        tessa::onEvents(jog, [this, direction](QEvent* e) {
            const QEvent::Type type = e->type();
            if (type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick)
                jogMouseDown(direction);
            // A release outside the button, or the button losing focus, being hidden or its
            // window deactivated (the button gets the window's deactivation) all end the press.
            else if (type == QEvent::MouseButtonRelease || type == QEvent::FocusOut || type == QEvent::Hide
                     || type == QEvent::WindowDeactivate)
                endJog();
            return false;
        });
    }
    // The data boxes shown follow the register count from the start, not only after an edit.
    Text26_Change(0);
}

void Form1::restorePanelValues()
{
    QHash<QString, QLineEdit*> boxes;
    for (int row = 1; row <= tessa::kCommandRowCount; ++row) {
        boxes.insert(tessa::commandRowKey(row), findChild<QLineEdit*>(QString::fromLatin1(tessa::commandRow(row).commandBox)));
        boxes.insert(tessa::commandRowIdKey(row), findChild<QLineEdit*>(QString::fromLatin1(tessa::commandRow(row).idBox)));
    }
    boxes.insert(u"Renc"_s, Text16);
    boxes.insert(u"sabs"_s, Text25);
    for (const auto& [key, e] : tessa::modbusSettingKeys())
        boxes.insert(key, Text26[e]);
    for (const auto& [key, text] : restoredPanelValues_) {
        if (QLineEdit* target = boxes.value(key)) {
            target->setText(text);
            if (tessa::isDecimalText(text))
                target->setProperty("lastValidText", text);
        }
    }
}

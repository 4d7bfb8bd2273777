// Builds the window's controls, menus and timers with their design values.
#include "window/form1.h"

#include "receive/receive_view.h"
#include "serial/connection.h"
#include "serial/serial_port.h"
#include "settings/startup_settings.h"
#include "window/common_dialog.h"
#include "window/control_names.h"
#include "window/filled_shape.h"
#include "window/size_modes.h"
#include "window/twips.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFontDatabase>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTimer>

using namespace Qt::StringLiterals;
using tessa::element;
using tessa::named;
using tessa::setGeometryTwips;
using tessa::twipsToPixelsX;
using tessa::twipsToPixelsY;

namespace {

// A drop-down list with a text of its own that typing cannot change.
QComboBox* dropDownList(QWidget* parent, const QString& name, const QStringList& items, const QString& text)
{
    auto* combo = named(new QComboBox(parent), name);
    combo->setEditable(true);
    combo->lineEdit()->setReadOnly(true);
    combo->setInsertPolicy(QComboBox::NoInsert);
    combo->addItems(items);
    combo->setCurrentIndex(-1);
    combo->setEditText(text);
    return combo;
}

}  // namespace

void Form1::createControls()
{
    setObjectName(u"Form1"_s);
    setWindowTitle(u"Marro QV7 v3.1"_s);
    auto* form = named(new QWidget(this), u"Form1Client"_s);
    setCentralWidget(form);

    Label1 = named(new QLabel(u"連接埠"_s, form), u"Label1"_s);
    setGeometryTwips(Label1, 120, 180, 600, 300);
    Text1 = named(new QLineEdit(u"1"_s, form), u"Text1"_s);
    setGeometryTwips(Text1, 720, 120, 500, 345);
    Label5 = named(new QLabel(u"鮑率"_s, form), u"Label5"_s);
    setGeometryTwips(Label5, 1320, 180, 500, 300);
    Combo1 = dropDownList(form, u"Combo1"_s, tessa::baudRateTexts(), u"115200"_s);
    setGeometryTwips(Combo1, 1800, 120, 1300, 345);

    Option1[0] = element(new QRadioButton(u"n,8,1"_s, form), u"Option1"_s, 0);
    setGeometryTwips(Option1[0], 3200, 120, 1000, 345);
    Option1[1] = element(new QRadioButton(u"o,8,1"_s, form), u"Option1"_s, 1);
    setGeometryTwips(Option1[1], 3200, 480, 1000, 345);
    Option1[0]->setChecked(true);
    Option1[1]->hide();

    Command1 = named(new QPushButton(u"連線"_s, form), u"Command1"_s);
    setGeometryTwips(Command1, 4300, 90, 1200, 405);
    Command2 = named(new QPushButton(u"中斷連線"_s, form), u"Command2"_s);
    setGeometryTwips(Command2, 4300, 90, 1200, 405);
    Command2->hide();

    Label8 = named(new QLabel(u"未連線"_s, form), u"Label8"_s);
    setGeometryTwips(Label8, 5600, 180, 1100, 300);
    ComPortShape = element(new tessa::FilledShape(tessa::FilledShape::Kind::Rectangle, form), u"ComPortShape"_s, 0);
    setGeometryTwips(ComPortShape, 6750, 150, 300, 300);

    Command4 = named(new QPushButton(u"Auto test"_s, form), u"Command4"_s);
    setGeometryTwips(Command4, 4300, 480, 1200, 345);
    Command4->hide();
    Combo2 = dropDownList(form,
                          u"Combo2"_s,
                          {u"Remain\t"_s, u"Remain"_s, u"Dorva Encoder/Creel"_s, u"Dorva Rotatory"_s, u"Dorva HMI"_s,
                           u"Dorva K5 Ring .."_s},
                          u"NONE"_s);
    setGeometryTwips(Combo2, 5600, 480, 2400, 345);
    Combo2->hide();
    Command15 = named(new QPushButton(u"Command15"_s, form), u"Command15"_s);
    setGeometryTwips(Command15, 1800, 480, 1300, 345);
    Command15->hide();

    Command13 = named(new QPushButton(u"離開"_s, form), u"Command13"_s);
    setGeometryTwips(Command13, 7800, 90, 1000, 405);

    SSTab1 = named(new QTabWidget(form), u"SSTab1"_s);
    setGeometryTwips(SSTab1, 120, 840, 8700, 6000);
    const QStringList tabCaptions{u"自動傳送"_s, u"測試編輯"_s, u"其他測試"_s, u"ModBus測試"_s};
    for (int i = 0; i < tabCaptions.size(); ++i) {
        auto* page = new QWidget;
        page->setObjectName(u"SSTab1Page%1"_s.arg(i));
        SSTab1->addTab(page, tabCaptions[i]);
    }

    QWidget* testPage = SSTab1->widget(1);
    Text7 = named(new QLineEdit(testPage), u"Text7"_s);
    setGeometryTwips(Text7, 120, 120, 5000, 345);
    Check4 = named(new QCheckBox(u"0xD+0xA"_s, testPage), u"Check4"_s);
    setGeometryTwips(Check4, 5280, 120, 1400, 345);
    Check4->setChecked(true);
    List2 = named(new QListWidget(testPage), u"List2"_s);
    List2->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    setGeometryTwips(List2, 120, 540, 5000, 2700);

    Label3 = named(new QLabel(u"接收資料(字元)"_s, form), u"Label3"_s);
    Command16 = named(new QPushButton(u"切換"_s, form), u"Command16"_s);
    Command14 = named(new QPushButton(u"清除畫面"_s, form), u"Command14"_s);
    receive_ = std::make_unique<tessa::ReceiveDisplay>(form);
    Text6 = receive_->characterView();
    Text4 = receive_->hexView();
    Line1 = named(new QFrame(form), u"Line1"_s);
    Line1->setFrameShape(QFrame::HLine);
    Line1->setFrameShadow(QFrame::Sunken);
    setGeometryTwips(Line1, 120, 6900, 8800, 60);
    Line1->hide();

    Frame3 = named(new QGroupBox(u"Frame3"_s, form), u"Frame3"_s);
    setGeometryTwips(Frame3, 9000, 1320, 7215, 1500);
    Command3 = named(new QPushButton(u"Output"_s, Frame3), u"Command3"_s);
    setGeometryTwips(Command3, 120, 960, 1000, 405);
    for (int k = 0; k < static_cast<int>(Text2.size()); ++k) {
        Text2[k] = element(new QLineEdit(Frame3), u"Text2"_s, k);
        setGeometryTwips(Text2[k], 120 + k * 560, 480, 500, 345);
    }
    Text2[0]->setText(u"11"_s);
    Text2[1]->setText(u"22"_s);
    Label2 = element(new QLabel(u"Out String(16H)"_s, Frame3), u"Label2"_s, 0);
    setGeometryTwips(Label2, 120, 240, 2000, 240);
    Check1 = named(new QCheckBox(u"chk sum"_s, Frame3), u"Check1"_s);
    setGeometryTwips(Check1, 1300, 960, 1400, 405);
    Frame3->hide();

    connection_ = new tessa::Connection(&settings_, this);
    Comm1 = &connection_->port();
    CommonDialog1 = named(new tessa::CommonDialog(this), u"CommonDialog1"_s);
    createPanelControls();

    // The design layout is the wide one.
    resize(twipsToPixelsX(tessa::kWideMode.windowWidth, this), twipsToPixelsY(tessa::kWideMode.windowHeight, this));
    setGeometryTwips(Label3, tessa::kWideMode.label3Left, tessa::kWideMode.label3Top, 2200, 300);
    setGeometryTwips(Command16, tessa::kWideMode.command16Left, tessa::kWideMode.command16Top, 1400, 405);
    setGeometryTwips(Command14, tessa::kWideMode.command14Left, tessa::kWideMode.command14Top, 1400, 405);
    setGeometryTwips(Text4, tessa::kWideMode.viewsLeft, tessa::kWideMode.viewsTop, tessa::kWideMode.viewsWidth,
                     tessa::kWideMode.viewsHeight);
    // Start-up puts the character view exactly over the hexadecimal one.
    setGeometryTwips(Text6, tessa::kWideMode.viewsLeft, 1400, tessa::kWideMode.viewsWidth, tessa::kWideMode.viewsHeight);
}

void Form1::createMenus()
{
    mnu_file = named(menuBar()->addMenu(u"&File"_s), u"mnu_file"_s);
    mnu_new_file = named(mnu_file->addAction(u"&Open new"_s), u"mnu_new_file"_s);
    mnu_new_file->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_N));
    mnu_open = named(mnu_file->addAction(u"Open &old file"_s), u"mnu_open"_s);
    mnu_open->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    mnu_save = named(mnu_file->addAction(u"&Save File"_s), u"mnu_save"_s);
    mnu_save->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));

    mnu_screen = named(menuBar()->addMenu(u"Screen"_s), u"mnu_screen"_s);
    mu_screen_w = named(mnu_screen->addAction(u"Width"_s), u"mu_screen_w"_s);
    mu_screen_w->setCheckable(true);
    mu_screen_w->setChecked(true);
    mnu_screen_narrow = named(mnu_screen->addAction(u"Narrow"_s), u"mnu_screen_narrow"_s);
    mnu_screen_narrow->setCheckable(true);

    // Maps port numbers to devices where there are no COM names.
    mnu_port = named(menuBar()->addMenu(u"&Port"_s), u"mnu_port"_s);
    mnu_port_map = named(mnu_port->addAction(u"Serial &ports..."_s), u"mnu_port_map"_s);
}

void Form1::createTimers()
{
    const auto timer = [this](const QString& name, int intervalMs) {
        auto* t = named(new QTimer(this), name);
        t->setInterval(intervalMs);
        return t;
    };
    Timer1 = timer(u"Timer1"_s, 100);
    Timer4 = timer(u"Timer4"_s, 300);
    Timer9 = timer(u"Timer9"_s, 30);
    Timer10 = timer(u"Timer10"_s, 30);
    Timer11 = timer(u"Timer11"_s, 200);
    Timer12 = timer(u"Timer12"_s, 500);
    Timer13 = timer(u"Timer13"_s, 1);
    Timer14 = timer(u"Timer14"_s, 1);
    Timer1->start();
}

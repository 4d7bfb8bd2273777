#include "window/form1.h"

#include "autotest/auto_test.h"
#include "frames/checksum_frame.h"
#include "frames/command_history.h"
#include "frames/frame_text.h"
#include "frames/random_frame.h"
#include "program/program_table.h"
#include "receive/receive_view.h"
#include "serial/connection.h"
#include "serial/serial_port.h"
#include "window/common_dialog.h"
#include "window/event_hook.h"
#include "window/extras/terminal_extras.h"
#include "window/filled_shape.h"
#include "window/port_map_dialog.h"
#include "window/size_modes.h"
#include "window/twips.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QRandomGenerator>
#include <QScrollBar>
#include <QStatusBar>
#include <QTabWidget>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace {

const QColor kLampGrey(0xC0, 0xC0, 0xC0);
const QColor kLampGreen(0x00, 0xFF, 0x00);
const QColor kTextGrey(0x80, 0x80, 0x80);
const QColor kTextGreen(0x00, 0xC0, 0x00);

const QString kHintTitle = u"提示"_s;
const QString kNotConnected = u"通訊埠尚未連線唷!"_s;
const QString kPortBusy = u"通訊埠已被其他程式佔用!"_s;
const QString kPortLost = u"通訊埠連線已中斷!"_s;
const QString kConnectedCaption = u"連線中..."_s;
const QString kNotConnectedCaption = u"未連線"_s;
const QString kCharacterViewCaption = u"接收資料(字元)"_s;
const QString kHexViewCaption = u"接收資料(16進制)"_s;

void setTextColor(QLabel* label, const QColor& color)
{
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, color);
    label->setPalette(palette);
}

bool isEnter(const QKeyEvent* event)
{
    return event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
}

// Keys that type a character (or Backspace/Enter) into a text box, as opposed to keys that
// only move the caret or change modifiers.
bool typesCharacter(const QKeyEvent* event)
{
    return !event->text().isEmpty() || event->key() == Qt::Key_Backspace || isEnter(event);
}

}  // namespace

Form1::Form1(QWidget* parent)
    : QMainWindow(parent)
{
    createControls();
    createMenus();
    createProgramControls();
    createTimers();
    wireEvents();
    Form_Load();
    extras_ = new tessa::TerminalExtras(this, *mnu_port, *connection_, settings_, SSTab1->widget(3),
                                        [this] { return shownStatusBar(); });
}

Form1::~Form1()
{
    // The controls are destroyed after this body, and they send events (a hidden jog button)
    // and signals (the port closing) as they go: nothing may reach this window's handlers then.
    for (QObject* child : findChildren<QObject*>())
        if (auto* hook = dynamic_cast<tessa::EventHook*>(child))
            delete hook;
    if (Comm1)
        Comm1->disconnect(this);
}

void Form1::wireEvents()
{
    connect(Command1, &QPushButton::clicked, this, &Form1::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &Form1::Command2_Click);
    connect(Command3, &QPushButton::clicked, this, &Form1::Command3_Click);
    connect(Command13, &QPushButton::clicked, this, &Form1::Command13_Click);
    connect(Command14, &QPushButton::clicked, this, &Form1::Command14_Click);
    connect(Command15, &QPushButton::clicked, this, &Form1::Command15_Click);
    connect(Command16, &QPushButton::clicked, this, &Form1::Command16_Click);
    connect(Combo1, &QComboBox::activated, this, &Form1::Combo1_Click);
    connect(Combo2, &QComboBox::currentIndexChanged, this, &Form1::Combo2_Click);
    connect(List2, &QListWidget::itemDoubleClicked, this, &Form1::List2_DblClick);
    connect(Timer1, &QTimer::timeout, this, &Form1::Timer1_Timer);
    connect(Timer12, &QTimer::timeout, this, &Form1::Timer12_Timer);
    connect(mu_screen_w, &QAction::triggered, this, &Form1::mu_screen_w_Click);
    connect(mnu_screen_narrow, &QAction::triggered, this, &Form1::mnu_screen_narrow_Click);
    connect(mnu_port_map, &QAction::triggered, this, &Form1::mnu_port_map_Click);
    connect(Comm1, &tessa::SerialPort::lost, this, &Form1::Comm1_Lost);
    wireProgramEvents();

    tessa::onEvents(Text1, [this](QEvent* e) {
        if (e->type() == QEvent::KeyPress)
            return Text1_KeyPress(static_cast<QKeyEvent*>(e));
        if (e->type() == QEvent::KeyRelease)
            Text1_KeyUp();
        return false;
    });
    for (QObject* combo : {static_cast<QObject*>(Combo1), static_cast<QObject*>(Combo1->lineEdit())})
        tessa::onEvents(combo, [this](QEvent* e) {
            return e->type() == QEvent::KeyPress && Combo1_KeyPress(static_cast<QKeyEvent*>(e));
        });
    tessa::onEvents(Text7, [this](QEvent* e) {
        if (e->type() == QEvent::KeyPress)
            return Text7_KeyPress(static_cast<QKeyEvent*>(e));
        if (e->type() == QEvent::MouseButtonPress)
            return Text7_MouseDown();
        return false;
    });

    wirePanelEvents();
}

// ---- start-up, shutdown, size modes ----

void Form1::Form_Load()
{
    resize(tessa::twipsToPixelsX(tessa::kWideMode.windowWidth, this), height());
    mnu_screen_narrow->setChecked(false);
    mu_screen_w->setChecked(true);

    const tessa::StartupSettings stored = tessa::readStartupSettings(settings_);
    if (stored.narrow) {
        mnu_screen_narrow_Click();
        mnu_screen_narrow->setChecked(true);
        mu_screen_w->setChecked(false);
    }

    if (stored.restoreFields) {
        Text1->setText(stored.comPort);
        Combo1->setCurrentIndex(stored.baudIndex);
        restoredPanelValues_ = stored.panelValues;
        restorePanelValues();
    }

    Combo2->setCurrentIndex(0);  // Combo2_Click moves it on to "Dorva Encoder/Creel"

    connection_->markScanPortsAvailable();

    Text6->move(Text6->x(), Text4->y());
    move(x(), tessa::twipsToPixelsY(100, this));

    List2->clear();
    for (int row = 0; row < tessa::kHistoryRows; ++row)
        List2->addItem(QString());

    SSTab1->setCurrentIndex(1);
    setTextColor(Label8, kTextGrey);
}

void Form1::closeEvent(QCloseEvent* event)
{
    Form_QueryUnload();
    event->accept();
}

void Form1::Form_QueryUnload()
{
    // The port is released before the window goes; nothing is written to the settings.
    if (Comm1->isOpen())
        Comm1->close();
}

void Form1::Command13_Click()
{
    QCoreApplication::exit(0);
}

void Form1::applySizeMode(const tessa::SizeMode& mode)
{
    using tessa::setGeometryTwips;
    resize(tessa::twipsToPixelsX(mode.windowWidth, this),
           tessa::twipsToPixelsY(mode.windowHeight, this) + statusBarAllowance_);
    Label3->move(tessa::twipsToPixelsX(mode.label3Left, this), tessa::twipsToPixelsY(mode.label3Top, this));
    Command16->move(tessa::twipsToPixelsX(mode.command16Left, this), tessa::twipsToPixelsY(mode.command16Top, this));
    Command14->move(tessa::twipsToPixelsX(mode.command14Left, this), tessa::twipsToPixelsY(mode.command14Top, this));
    for (tessa::ReceiveView* view : {Text4, Text6})
        setGeometryTwips(view, mode.viewsLeft, mode.viewsTop, mode.viewsWidth, mode.viewsHeight);
    Line1->setVisible(mode.line1Visible);
    settings_.write(u"Width_type"_s, QString::fromLatin1(mode.widthType));
}

void Form1::mu_screen_w_Click()
{
    applySizeMode(tessa::kWideMode);
    mu_screen_w->setChecked(true);
    mnu_screen_narrow->setChecked(false);
}

void Form1::mnu_screen_narrow_Click()
{
    applySizeMode(tessa::kNarrowMode);
    mnu_screen_narrow->setChecked(true);
    mu_screen_w->setChecked(false);
}

void Form1::Combo2_Click()
{
    // The two "Remain" rows are not device types.
    if (Combo2->currentIndex() < 2)
        Combo2->setCurrentIndex(2);
}

// ---- messages and guards ----

void Form1::showMessage(const QString& text, const QString& title)
{
    QMessageBox box(QMessageBox::Information, title, text, QMessageBox::Ok, this);
    box.exec();
}

void Form1::showNotConnectedMessage()
{
    showMessage(kNotConnected, kHintTitle);
}

QStatusBar* Form1::shownStatusBar()
{
    QStatusBar* bar = statusBar();
    // Its widgets come after the first call: measured again on every use.
    const int height = std::max(bar->sizeHint().height(), bar->minimumSizeHint().height());
    if (height > statusBarAllowance_) {
        resize(width(), this->height() + height - statusBarAllowance_);
        statusBarAllowance_ = height;
    }
    return bar;
}

bool Form1::portOpenGuard()
{
    if (Comm1->isOpen())
        return true;
    showNotConnectedMessage();
    Command1->setFocus();
    return false;
}

bool Form1::connectButtonGuard()
{
    if (Command1->isHidden())
        return true;
    showNotConnectedMessage();
    Command1->setFocus();
    return false;
}

// ---- connection ----

std::int16_t Form1::portAvailability(int portNumber) const
{
    return connection_->availability(portNumber);
}

std::int16_t Form1::connectSucceeded() const
{
    return connection_->connectSucceeded() ? 1 : 0;
}

void Form1::Command1_Click()
{
    if (Comm1->isOpen()) {
        Comm1->close();
        ComPortShape->setFillColor(kLampGrey);
    }
    Option1[0]->setChecked(true);
    const int portNumber = tessa::parsePortNumber(Text1->text());
    const tessa::Connection::Outcome outcome = connection_->connectTo(portNumber, Combo1->currentText() + u",n,8,1"_s);
    if (outcome != tessa::Connection::Outcome::Opened) {
        connectFailed(outcome == tessa::Connection::Outcome::OpenFailed);
        return;
    }
    Command1->hide();
    Command2->show();
    ComPortShape->setFillColor(kLampGreen);
    Timer12->start();
    Label8->setEnabled(true);
    setTextColor(Label8, kTextGreen);
    Label8->setText(kConnectedCaption);
}

void Form1::connectFailed(bool numberInTables)
{
    Timer12->stop();
    // The auto test goes on to the next port without a message.
    if (Timer4->isActive())
        return;
    if (numberInTables)
        showMessage(kPortBusy, kHintTitle);
    else
        showMessage(u"連接埠 \"%1\" 無法使用: 請輸入 %2 到 %3 之間的號碼!"_s.arg(Text1->text())
                        .arg(tessa::kLowestPortNumber)
                        .arg(tessa::kHighestPortNumber),
                    kHintTitle);
}

void Form1::showNotConnectedState()
{
    Command2->hide();
    Command1->show();
    ComPortShape->setFillColor(kLampGrey);
    Timer12->stop();
    // A blink may have left the caption disabled; the grey caption should read plainly.
    Label8->setEnabled(true);
    Label8->setText(kNotConnectedCaption);
    setTextColor(Label8, kTextGrey);
}

void Form1::Command2_Click()
{
    Comm1->close();
    showNotConnectedState();
}

void Form1::Comm1_Lost()
{
    // The port is already closed; show it and say so once.
    if (Command2->isHidden())
        return;
    showNotConnectedState();
    showMessage(kPortLost, kHintTitle);
}

void Form1::Timer12_Timer()
{
    if (Label8->isEnabled()) {
        Label8->setEnabled(false);
        Label8->setText(QString());
    } else {
        Label8->setEnabled(true);
        setTextColor(Label8, kTextGreen);
        Label8->setText(kConnectedCaption);
    }
}

bool Form1::Text1_KeyPress(QKeyEvent* event)
{
    const bool digit = event->text().size() == 1 && event->text()[0] >= u'0' && event->text()[0] <= u'9';
    const bool editing = event->key() == Qt::Key_Backspace || isEnter(event);
    if (!digit && !editing)
        return typesCharacter(event) || event->key() == Qt::Key_Delete;  // caret keys pass
    // Editing the number always leaves the port closed.
    if (Comm1->isOpen())
        Command2_Click();
    return false;
}

void Form1::Text1_KeyUp()
{
    settings_.write(u"COM PORT"_s, Text1->text());
}

bool Form1::Combo1_KeyPress(QKeyEvent* event)
{
    return typesCharacter(event) || event->key() == Qt::Key_Delete;
}

void Form1::Combo1_Click(int index)
{
    settings_.write(u"BAUD RATE"_s, QString::number(index));
}

void Form1::mnu_port_map_Click()
{
    tessa::PortMapDialog dialog(settings_, tessa::parsePortNumber(Text1->text()), this);
    dialog.exec();
}

// ---- receive display ----

void Form1::showCharacterView()
{
    receive_->showCharacterView();
    Label3->setText(kCharacterViewCaption);
}

void Form1::showHexView()
{
    receive_->showHexView();
    Label3->setText(kHexViewCaption);
}

void Form1::appendHexLineBreak()
{
    receive_->logs().appendHexLineBreak();
}

void Form1::Timer1_Timer()
{
    // "Dorva HMI" leaves its bytes in the port for the auto test's own judgement.
    receive_->poll(*Comm1, Combo2->currentIndex() == 4);
}

void Form1::Command16_Click()
{
    if (receive_->hexViewShown())
        showCharacterView();
    else
        showHexView();
}

void Form1::Command14_Click()
{
    receive_->clear();
}

// ---- frames and send ----

void Form1::ModBusCRC16(QByteArrayView data)
{
    tessa::ModBusCRC16(data, lastCrc_);
}

void Form1::Command3_Click()
{
    if (!Comm1->isOpen()) {
        showNotConnectedMessage();
        return;
    }
    std::array<QString, tessa::kChecksumBoxCount> boxes;
    for (int k = 0; k < tessa::kChecksumBoxCount; ++k)
        boxes[k] = Text2[k]->text();
    const tessa::ChecksumFrameResult built = tessa::buildChecksumFrame(boxes, Check1->isChecked());
    if (built.badBox >= 0) {
        showMessage(u"Text2(%1) holds \"%2\", which is not a hexadecimal byte (00 to FF). Nothing was sent."_s
                        .arg(built.badBox)
                        .arg(boxes[built.badBox]),
                    kHintTitle);
        Text2[built.badBox]->setFocus();
        return;
    }
    Text4->clear();
    Comm1->write(built.frame);
}

void Form1::Command15_Click()
{
    // Writing to a closed port is refused like every other send, not left to fail.
    if (!portOpenGuard())
        return;
    Comm1->write(tessa::randomFrame(*QRandomGenerator::global()));
}

bool Form1::Text7_KeyPress(QKeyEvent* event)
{
    if (!typesCharacter(event))
        return false;
    if (!isEnter(event)) {
        showCharacterView();
        appendHexLineBreak();
        return false;
    }
    const QString line = Text7->text();
    if (line.isEmpty())
        return true;
    // A line typed while the port is closed stays in the box instead of going into the
    // history as if it had been sent.
    if (!portOpenGuard())
        return true;
    Comm1->write(tessa::characterFrame(line, Check4->isChecked()));

    QStringList rows;
    for (int row = 0; row < List2->count(); ++row)
        rows << List2->item(row)->text();
    tessa::pushHistory(rows, line);
    for (int row = 0; row < List2->count() && row < rows.size(); ++row)
        List2->item(row)->setText(rows[row]);

    Text7->clear();
    showCharacterView();
    appendHexLineBreak();
    return true;
}

void Form1::List2_DblClick(QListWidgetItem* item)
{
    if (!item || item->text().isEmpty())
        return;
    if (!portOpenGuard())
        return;
    Comm1->write(tessa::characterFrame(item->text(), Check4->isChecked()));
}

bool Form1::Text7_MouseDown()
{
    if (!connectButtonGuard())
        return true;
    return false;
}

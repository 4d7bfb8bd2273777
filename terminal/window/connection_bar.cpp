#include "window/connection_bar.h"

#include "serial/connection.h"
#include "serial/serial_port.h"
#include "settings/settings_keys.h"
#include "settings/settings_store.h"
#include "settings/startup_settings.h"
#include "window/control_names.h"
#include "window/event_hook.h"
#include "window/filled_shape.h"
#include "window/dialogs.h"
#include "window/key_kinds.h"
#include "window/twips.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace tessa {
namespace {

const QColor kLampGrey(0xC0, 0xC0, 0xC0);
const QColor kLampGreen(0x00, 0xFF, 0x00);
const QColor kTextGrey(0x80, 0x80, 0x80);
const QColor kTextGreen(0x00, 0xC0, 0x00);

const char* const kPortBusy = QT_TRANSLATE_NOOP("tessa::ConnectionBar", "通訊埠已被其他程式佔用!");
const char* const kPortLost = QT_TRANSLATE_NOOP("tessa::ConnectionBar", "通訊埠連線已中斷!");
const char* const kConnectedCaption = QT_TRANSLATE_NOOP("tessa::ConnectionBar", "連線中...");
const char* const kNotConnectedCaption = QT_TRANSLATE_NOOP("tessa::ConnectionBar", "未連線");

void setTextColor(QLabel* label, const QColor& color)
{
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, color);
    label->setPalette(palette);
}

// The busy message only for a device that is there and held by another program: a missing
// device or a refused permission needs another remedy, so it is said as what it is.
QString openFailureText(const SerialPort& port)
{
    const QString path = port.devicePath();
    switch (port.openFailure()) {
    case SerialPort::OpenFailure::Missing:
        return ConnectionBar::tr("找不到通訊埠 COM%1 的裝置 (%2)!").arg(port.portNumber()).arg(path);
    case SerialPort::OpenFailure::PermissionDenied:
        return ConnectionBar::tr("沒有開啟通訊埠 COM%1 (%2) 的權限!").arg(port.portNumber()).arg(path);
    case SerialPort::OpenFailure::SettingsRefused:
        return ConnectionBar::tr("通訊埠 COM%1 (%2) 不接受線路設定: %3")
            .arg(port.portNumber())
            .arg(path, port.errorString());
    default:
        return ConnectionBar::tr(kPortBusy);
    }
}

}  // namespace

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

ConnectionBar::ConnectionBar(Connection& connection, SettingsStore& settings, QWidget& form, Dialogs& dialogs,
                             std::function<bool()> quietFailures)
    : QObject(&form)
    , connection_(connection)
    , settings_(settings)
    , form_(form)
    , dialogs_(dialogs)
    , quietFailures_(std::move(quietFailures))
{
    createControls(form);
    wireEvents();
}

void ConnectionBar::createControls(QWidget& form)
{
    Label1 = named(new QLabel(tr("連接埠"), &form), u"Label1"_s);
    setGeometryTwips(Label1, 120, 180, 600, 300);
    Label1->setToolTip(tr("通訊埠號碼 (1 到 21)"));
    Text1 = named(new QLineEdit(u"1"_s, &form), u"Text1"_s);
    setGeometryTwips(Text1, 720, 120, 500, 345);
    Text1->setToolTip(tr("通訊埠號碼 (1 到 21)"));
    Label5 = named(new QLabel(tr("鮑率"), &form), u"Label5"_s);
    setGeometryTwips(Label5, 1320, 180, 500, 300);
    Label5->setToolTip(tr("傳輸速率 (每秒位元數)"));
    Combo1 = dropDownList(&form, u"Combo1"_s, baudRateTexts(), u"115200"_s);
    setGeometryTwips(Combo1, 1800, 120, 1300, 345);
    Combo1->setToolTip(tr("傳輸速率 (每秒位元數)"));

    Option1[0] = element(new QRadioButton(u"n,8,1"_s, &form), u"Option1"_s, 0);
    setGeometryTwips(Option1[0], 3200, 120, 1000, 345);
    Option1[0]->setToolTip(tr("無同位元, 8 個資料位元, 1 個停止位元"));
    Option1[1] = element(new QRadioButton(u"o,8,1"_s, &form), u"Option1"_s, 1);
    setGeometryTwips(Option1[1], 3200, 480, 1000, 345);
    Option1[0]->setChecked(true);
    Option1[1]->hide();

    Command1 = named(new QPushButton(tr("連線"), &form), u"Command1"_s);
    setGeometryTwips(Command1, 4300, 90, 1200, 405);
    Command1->setToolTip(tr("開啟通訊埠並連線"));
    Command2 = named(new QPushButton(tr("中斷連線"), &form), u"Command2"_s);
    setGeometryTwips(Command2, 4300, 90, 1200, 405);
    Command2->setToolTip(tr("關閉通訊埠"));
    Command2->hide();

    Label8 = named(new QLabel(tr("未連線"), &form), u"Label8"_s);
    setGeometryTwips(Label8, 5600, 180, 1100, 300);
    Label8->setToolTip(tr("連線狀態"));
    setTextColor(Label8, kTextGrey);
    ComPortShape = element(new FilledShape(FilledShape::Kind::Rectangle, &form), u"ComPortShape"_s, 0);
    setGeometryTwips(ComPortShape, 6750, 150, 300, 300);

    Timer12 = named(new QTimer(this), u"Timer12"_s);
    Timer12->setInterval(500);
}

void ConnectionBar::wireEvents()
{
    connect(Command1, &QPushButton::clicked, this, &ConnectionBar::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &ConnectionBar::Command2_Click);
    connect(Command1, &QPushButton::clicked, this, &ConnectionBar::changedByHand);
    connect(Command2, &QPushButton::clicked, this, &ConnectionBar::changedByHand);
    connect(Text1, &QLineEdit::textEdited, this, &ConnectionBar::changedByHand);
    connect(Timer12, &QTimer::timeout, this, &ConnectionBar::Timer12_Timer);
    connect(&connection_.port(), &SerialPort::lost, this, &ConnectionBar::Comm1_Lost);
    connect(Combo1, &QComboBox::activated, this,
            [this](int index) { settings_.write(kBaudRateKey, QString::number(index)); });
    onEvents(Text1, [this](QEvent* e) {
        if (e->type() == QEvent::KeyPress)
            return Text1_KeyPress(static_cast<QKeyEvent*>(e));
        if (e->type() == QEvent::KeyRelease)
            settings_.write(kComPortKey, Text1->text());
        return false;
    });
    // The baud rate is chosen from the list only.
    for (QObject* combo : {static_cast<QObject*>(Combo1), static_cast<QObject*>(Combo1->lineEdit())})
        onEvents(combo, [](QEvent* e) {
            if (e->type() != QEvent::KeyPress)
                return false;
            const auto* key = static_cast<QKeyEvent*>(e);
            return typesCharacter(key) || key->key() == Qt::Key_Delete;
        });
}

bool ConnectionBar::showsConnected() const
{
    return !Command2->isHidden();
}

QString ConnectionBar::portNumberText() const
{
    return Text1->text();
}

void ConnectionBar::setPortNumberText(const QString& text)
{
    Text1->setText(text);
}

void ConnectionBar::restore(const QString& comPort, int baudIndex)
{
    Text1->setText(comPort);
    Combo1->setCurrentIndex(baudIndex);
}

int ConnectionBar::baudIndex() const
{
    return Combo1->currentIndex();
}

void ConnectionBar::Command1_Click()
{
    SerialPort& port = connection_.port();
    if (port.isOpen()) {
        port.close();
        ComPortShape->setFillColor(kLampGrey);
    }
    Option1[0]->setChecked(true);
    const int portNumber = parsePortNumber(Text1->text());
    const Connection::Outcome outcome = connection_.connectTo(portNumber, Combo1->currentText() + u",n,8,1"_s);
    if (outcome != Connection::Outcome::Opened) {
        connectFailed(outcome == Connection::Outcome::OpenFailed);
        return;
    }
    Command1->hide();
    Command2->show();
    ComPortShape->setFillColor(kLampGreen);
    Timer12->start();
    Label8->setEnabled(true);
    setTextColor(Label8, kTextGreen);
    Label8->setText(tr(kConnectedCaption));
}

void ConnectionBar::connectFailed(bool numberInTables)
{
    Timer12->stop();
    if (quietFailures_())
        return;
    if (numberInTables)
        dialogs_.hint(&form_, openFailureText(connection_.port()), hintTitle());
    else
        dialogs_.hint(&form_,
                      tr("連接埠 \"%1\" 無法使用: 請輸入 %2 到 %3 之間的號碼!")
                          .arg(Text1->text())
                          .arg(kLowestPortNumber)
                          .arg(kHighestPortNumber),
                      hintTitle());
}

void ConnectionBar::showNotConnectedState()
{
    Command2->hide();
    Command1->show();
    ComPortShape->setFillColor(kLampGrey);
    Timer12->stop();
    // A blink may have left the caption disabled; the grey caption should read plainly.
    Label8->setEnabled(true);
    Label8->setText(tr(kNotConnectedCaption));
    setTextColor(Label8, kTextGrey);
}

void ConnectionBar::Command2_Click()
{
    connection_.port().close();
    showNotConnectedState();
}

void ConnectionBar::setLossToldElsewhere(std::function<bool()> toldElsewhere)
{
    lossToldElsewhere_ = std::move(toldElsewhere);
}

void ConnectionBar::Comm1_Lost()
{
    // The port is already closed; show it and say so once.
    if (Command2->isHidden())
        return;
    showNotConnectedState();
    // A modal box would hold everything that follows the loss (the reconnect) until OK.
    if (lossToldElsewhere_ && lossToldElsewhere_())
        return;
    dialogs_.hint(&form_, tr(kPortLost), hintTitle());
}

void ConnectionBar::Timer12_Timer()
{
    if (Label8->isEnabled()) {
        Label8->setEnabled(false);
        Label8->setText(QString());
    } else {
        Label8->setEnabled(true);
        setTextColor(Label8, kTextGreen);
        Label8->setText(tr(kConnectedCaption));
    }
}

bool ConnectionBar::Text1_KeyPress(QKeyEvent* event)
{
    const bool digit = event->text().size() == 1 && event->text()[0] >= u'0' && event->text()[0] <= u'9';
    const bool editing = event->key() == Qt::Key_Backspace || isEnter(event);
    if (!digit && !editing)
        return typesCharacter(event) || event->key() == Qt::Key_Delete;  // caret keys pass
    // Editing the number always leaves the port closed.
    if (connection_.port().isOpen())
        Command2_Click();
    return false;
}

}  // namespace tessa

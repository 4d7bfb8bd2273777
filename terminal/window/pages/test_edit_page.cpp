#include "window/pages/test_edit_page.h"

#include "frames/command_history.h"
#include "frames/frame_text.h"
#include "panels/motion_buttons.h"
#include "receive/receive_display.h"
#include "serial/serial_port.h"
#include "window/control_names.h"
#include "window/event_hook.h"
#include "window/key_kinds.h"
#include "window/pages/device_commands.h"
#include "window/send_guard.h"
#include "window/twips.h"
#include "window/tooltips.h"

#include <QCheckBox>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QThread>
#include <QTimer>

#include <optional>

using namespace Qt::StringLiterals;

namespace tessa {

TestEditPage::TestEditPage(const PageServices& services)
    : services_(services)
{
    setObjectName(u"SSTab1Page1"_s);
    createControls();
    wireEvents();
}

void TestEditPage::createControls()
{
    Text7 = named(new QLineEdit(this), u"Text7"_s);
    setGeometryTwips(Text7, 120, 120, 5000, 345);
    Check4 = named(new QCheckBox(u"0xD+0xA"_s, this), u"Check4"_s);
    setGeometryTwips(Check4, 5280, 120, 1400, 345);
    Check4->setChecked(true);
    List2 = named(new QListWidget(this), u"List2"_s);
    List2->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    setGeometryTwips(List2, 120, 540, 5000, 2700);
    for (int row = 0; row < kHistoryRows; ++row)
        List2->addItem(QString());

    const auto button = [this](const char* name, const QString& caption, int left, int top, int width,
                               void (TestEditPage::*handler)()) {
        auto* b = named(new QPushButton(caption, this), QString::fromLatin1(name));
        setGeometryTwips(b, left, top, width, 405);
        connect(b, &QPushButton::clicked, this, handler);
        return b;
    };
    button("Command18", tr("Home"), 5280, 600, 1400, &TestEditPage::Command18_Click);
    button("Command19", tr("Start"), 5280, 1050, 1400, &TestEditPage::Command19_Click);
    button("Command20", tr("Stop"), 5280, 1500, 1400, &TestEditPage::Command20_Click);
    Command24 = button("Command24", tr("Jog+"), 5280, 1950, 1400, &TestEditPage::Command24_Click);
    Command25 = button("Command25", tr("Jog-"), 5280, 2400, 1400, &TestEditPage::Command25_Click);
    button("Command21", tr("儲存程式/參數"), 120, 3400, 2000, &TestEditPage::Command21_Click);
    button("Command17", tr("傳送程式"), 2300, 3400, 1500, &TestEditPage::Command17_Click);
    setToolTips(*this,
                {{"Check4", tr("命令後加上 CR LF")},
                 {"Command18", tr("送出回原點命令")},
                 {"Command19", tr("送出啟動命令")},
                 {"Command20", tr("送出停止命令")},
                 {"Command24", tr("點一下走一步; 按住則正向寸動到放開為止")},
                 {"Command25", tr("點一下走一步; 按住則反向寸動到放開為止")},
                 {"Command21", tr("要求裝置儲存它的程式與參數")},
                 {"Command17", tr("選擇程式檔並下載到裝置")}});

    Timer11 = named(new QTimer(this), u"Timer11"_s);
    Timer11->setInterval(kJogHoldMs);
    // The hold frame must not go out before 200 ms; a coarse timer may fire 5 % early.
    Timer11->setTimerType(Qt::PreciseTimer);
}

void TestEditPage::wireEvents()
{
    connect(List2, &QListWidget::itemDoubleClicked, this, &TestEditPage::List2_DblClick);
    connect(Timer11, &QTimer::timeout, this, &TestEditPage::Timer11_Timer);
    onEvents(Text7, [this](QEvent* e) {
        if (e->type() == QEvent::KeyPress)
            return Text7_KeyPress(static_cast<QKeyEvent*>(e));
        // A click into the line while not connected says so instead.
        if (e->type() == QEvent::MouseButtonPress)
            return !services_.guard.connectButtonHidden();
        return false;
    });
    // Closing the port while a jog is held stops the axis first.
    connect(&services_.port, &SerialPort::aboutToClose, this, &TestEditPage::endJog);
    connect(&services_.port, &SerialPort::lost, this, &TestEditPage::endJog);
    for (QPushButton* jog : {Command24, Command25}) {
        const std::uint8_t direction = jog == Command24 ? kJogPlus : kJogMinus;
        onEvents(jog, [this, direction](QEvent* e) {
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
}

// ---- command line ----

bool TestEditPage::Text7_KeyPress(QKeyEvent* event)
{
    if (!typesCharacter(event))
        return false;
    if (!isEnter(event)) {
        services_.receive.showCharacterView();
        services_.receive.logs().appendHexLineBreak();
        return false;
    }
    const QString line = Text7->text();
    if (line.isEmpty())
        return true;
    // A line typed while the port is closed stays in the box instead of going into the
    // history as if it had been sent.
    if (!services_.guard.portOpen())
        return true;
    services_.port.write(characterFrame(line, Check4->isChecked()));

    QStringList rows;
    for (int row = 0; row < List2->count(); ++row)
        rows << List2->item(row)->text();
    pushHistory(rows, line);
    for (int row = 0; row < List2->count() && row < rows.size(); ++row)
        List2->item(row)->setText(rows[row]);

    Text7->clear();
    services_.receive.showCharacterView();
    services_.receive.logs().appendHexLineBreak();
    return true;
}

void TestEditPage::List2_DblClick(QListWidgetItem* item)
{
    if (!item || item->text().isEmpty())
        return;
    if (!services_.guard.portOpen())
        return;
    services_.port.write(characterFrame(item->text(), Check4->isChecked()));
}

// ---- motion buttons and downloads ----

void TestEditPage::sendAndShowCharacters(const char* command)
{
    if (!services_.guard.connectButtonHidden())
        return;
    services_.port.write(motionCommand(command));
    services_.receive.showCharacterView();
}

void TestEditPage::Command20_Click()
{
    if (!services_.guard.connectButtonHidden())
        return;
    services_.port.write(motionCommand("c45"));
    setJogEnabled(true);
    services_.receive.showCharacterView();
}

void TestEditPage::Command21_Click()
{
    sendMotionCommand(services_, "c77");
}

void TestEditPage::Command17_Click()
{
    runDownload(services_, DownloadKind::Program, [this](bool enabled) { setJogEnabled(enabled); });
}

void TestEditPage::setJogEnabled(bool enabled)
{
    Command24->setEnabled(enabled);
    Command25->setEnabled(enabled);
}

// ---- jog ----

void TestEditPage::jogMouseDown(std::uint8_t direction)
{
    jogHold_.press(direction, JogHold::Clock::now());
    Timer11->start(kJogHoldMs);
}

void TestEditPage::Timer11_Timer()
{
    // The hold frame never leaves before the press has lasted 200 ms: a tick that comes early
    // waits out the rest.
    const std::optional<int> wait = jogHold_.msUntilHold(JogHold::Clock::now());
    if (wait && *wait > 0) {
        Timer11->start(*wait);
        return;
    }
    Timer11->stop();
    Timer11->setInterval(kJogHoldMs);
    const std::optional<QByteArray> frame = jogHold_.takeHoldFrame(JogHold::Clock::now());
    // A press with no connection has nothing to write to.
    if (frame && services_.port.isOpen())
        services_.port.write(*frame);
}

void TestEditPage::endJog()
{
    Timer11->stop();
    Timer11->setInterval(kJogHoldMs);
    if (!jogHold_.release() || !services_.port.isOpen())
        return;
    services_.port.write(jogReleaseFrame());
    // Blocks the event thread on purpose: nothing, not even the hold tick, comes between.
    QThread::msleep(kJogReleaseGapMs);
    services_.port.write(jogReleaseFrame());
}

void TestEditPage::jogClick(std::uint8_t direction)
{
    Timer11->stop();
    if (!services_.guard.portOpen())
        return;
    services_.port.write(jogStepFrame(direction));
    services_.receive.showCharacterView();
}

void TestEditPage::Command24_Click()
{
    jogClick(kJogPlus);
}

void TestEditPage::Command25_Click()
{
    jogClick(kJogMinus);
}

}  // namespace tessa

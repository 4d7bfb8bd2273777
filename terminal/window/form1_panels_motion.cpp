// Motion command buttons, the press-and-hold jog and the program and parameter download.
#include "window/form1.h"

#include "panels/download.h"
#include "panels/motion_buttons.h"
#include "serial/serial_port.h"
#include "window/common_dialog.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QThread>
#include <QTimer>

#include <optional>

using namespace Qt::StringLiterals;

void Form1::sendMotionCommand(const char* command)
{
    if (!connectButtonGuard())
        return;
    Comm1->write(tessa::motionCommand(command));
}

void Form1::Command30_Click()
{
    sendMotionCommand("c57");
    if (Command1->isHidden())
        Command14_Click();
}

void Form1::Command26_Click()
{
    sendMotionCommand("c53");
}

void Form1::Command23_Click()
{
    sendMotionCommand("c52");
}

void Form1::Command22_Click()
{
    sendMotionCommand("c56");
    if (Command1->isHidden())
        Command14_Click();
}

void Form1::Command21_Click()
{
    sendMotionCommand("c77");
}

void Form1::Command18_Click()
{
    if (!connectButtonGuard())
        return;
    Comm1->write(tessa::motionCommand("c44"));
    showCharacterView();
}

void Form1::Command19_Click()
{
    if (!connectButtonGuard())
        return;
    Comm1->write(tessa::motionCommand("c43"));
    showCharacterView();
}

void Form1::Command20_Click()
{
    if (!connectButtonGuard())
        return;
    Comm1->write(tessa::motionCommand("c45"));
    Command24->setEnabled(true);
    Command25->setEnabled(true);
    showCharacterView();
}

// ---- jog ----

void Form1::jogMouseDown(std::uint8_t direction)
{
    jogHold_.press(direction, tessa::JogHold::Clock::now());
    Timer11->start(tessa::kJogHoldMs);
}

void Form1::Timer11_Timer()
{
    // The hold frame never leaves before the press has lasted 200 ms: a tick that comes early
    // waits out the rest.
    const std::optional<int> wait = jogHold_.msUntilHold(tessa::JogHold::Clock::now());
    if (wait && *wait > 0) {
        Timer11->start(*wait);
        return;
    }
    Timer11->stop();
    Timer11->setInterval(tessa::kJogHoldMs);
    const std::optional<QByteArray> frame = jogHold_.takeHoldFrame(tessa::JogHold::Clock::now());
    // A press with no connection has nothing to write to.
    if (frame && Comm1->isOpen())
        Comm1->write(*frame);
}

void Form1::endJog()
{
    Timer11->stop();
    Timer11->setInterval(tessa::kJogHoldMs);
    if (!jogHold_.release() || !Comm1->isOpen())
        return;
    Comm1->write(tessa::jogReleaseFrame());
    // Blocks the event thread on purpose: nothing, not even the hold tick, comes between.
    QThread::msleep(tessa::kJogReleaseGapMs);
    Comm1->write(tessa::jogReleaseFrame());
}

void Form1::jogClick(std::uint8_t direction)
{
    Timer11->stop();
    if (!portOpenGuard())
        return;
    Comm1->write(tessa::jogStepFrame(direction));
    showCharacterView();
}

void Form1::Command24_Click()
{
    jogClick(tessa::kJogPlus);
}

void Form1::Command25_Click()
{
    jogClick(tessa::kJogMinus);
}

// ---- download ----

void Form1::download(bool program)
{
    if (!connectButtonGuard())
        return;
    if (program) {
        Command24->setEnabled(false);
        Command25->setEnabled(false);
    }
    const QByteArray announcement = program ? tessa::programAnnouncement() : tessa::parameterAnnouncement();
    Comm1->write(announcement);
    CommonDialog1->setFileName(QString());
    CommonDialog1->setFilter(u"Txt file | *.txt"_s);
    CommonDialog1->showOpen(this);
    const QString name = CommonDialog1->fileName();
    if (name.isEmpty())
        return;
    const tessa::DownloadFile file = tessa::readDownloadFile(name);
    if (file.status == tessa::DownloadFile::Status::Unreadable) {
        showMessage(u"Cannot read \"%1\": %2. Only the announcement %3 was sent, no file data."_s
                        .arg(name, file.error, QString::fromLatin1(announcement.trimmed())),
                    QApplication::applicationName());
        return;
    }
    if (file.status == tessa::DownloadFile::Status::TooLarge) {
        QMessageBox box(QMessageBox::NoIcon, QApplication::applicationName(), tessa::downloadTooLargeMessage(),
                        QMessageBox::Ok, this);
        box.exec();
        return;
    }
    // An empty file is a completed download of nothing: no write, the jog buttons come back.
    if (!file.bytes.isEmpty())
        Comm1->write(file.bytes);
    if (program) {
        Command24->setEnabled(true);
        Command25->setEnabled(true);
    }
    Command14_Click();
}

void Form1::Command17_Click()
{
    download(true);
}

void Form1::Command56_Click()
{
    download(false);
}

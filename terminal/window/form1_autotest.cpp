// The port auto test: Command4 (hidden) and the Port menu start it, Timer4 runs it, the status
// bar shows its progress and offers to stop it.
#include "window/form1.h"

#include "autotest/auto_test.h"
#include "receive/receive_view.h"
#include "serial/serial_port.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTimer>

using namespace Qt::StringLiterals;

// The auto test's view of the window: the buttons' own connect, disconnect and send.
class Form1AutoTestWindow : public tessa::AutoTestWindow {
public:
    explicit Form1AutoTestWindow(Form1& form)
        : form_(form)
    {
    }
    bool connected() const override { return !form_.Command2->isHidden(); }
    void disconnect() override { form_.Command2_Click(); }
    void connectTo(int portNumber) override
    {
        form_.Text1->setText(QString::number(portNumber));
        form_.Command1_Click();
    }
    int portInText1() const override { return tessa::parsePortNumber(form_.Text1->text()); }
    bool connectSucceeded() const override { return form_.connectSucceeded() == 1; }
    int deviceRow() const override { return form_.Combo2->currentIndex(); }
    QString deviceTypeText() const override { return form_.Combo2->currentText(); }
    void writeString(const QString& text) override { form_.Comm1->write(QStringView(text)); }
    void sendChecksumFrame() override { form_.Command3_Click(); }
    QString hexViewText() const override { return form_.Text4->toPlainText(); }
    QString takeWaitingText() override
    {
        return form_.Comm1->isOpen() ? QString::fromLatin1(form_.Comm1->readAll()) : QString();
    }
    void clearHexView() override { form_.Text4->clear(); }
    void clearReceiveDisplay() override { form_.Command14_Click(); }
    std::int16_t availability(int portNumber) const override { return form_.portAvailability(portNumber); }

private:
    Form1& form_;
};

void Form1::Command4_Click()
{
    if (!autoTest_) {
        autoTestWindow_ = std::make_unique<Form1AutoTestWindow>(*this);
        autoTest_ = std::make_unique<tessa::AutoTest>(*autoTestWindow_);
    }
    autoTest_->start();
    Timer4->start();
    mnu_autotest_stop->setEnabled(true);
    showAutoTestProgress(u"Auto test: starting at COM1"_s);
}

void Form1::Timer4_Timer()
{
    if (!autoTest_ || !autoTest_->running()) {
        Timer4->stop();
        return;
    }
    const int probing = autoTest_->scanPort();
    const bool finished = autoTest_->tick();
    QStringList found;
    for (int port = 1; port <= tessa::kAutoTestLastPort; ++port)
        if (autoTest_->answered()[static_cast<std::size_t>(port)] == 1)
            found << u"COM%1"_s.arg(port);
    const QString foundText = found.isEmpty() ? u"none yet"_s : found.join(u", "_s);
    if (!finished) {
        showAutoTestProgress(u"Auto test: probing COM%1 of %2 - found: %3"_s.arg(autoTest_->scanPort())
                                 .arg(tessa::kAutoTestLastPort)
                                 .arg(foundText));
        return;
    }
    Timer4->stop();
    mnu_autotest_stop->setEnabled(false);
    showAutoTestProgress(u"Auto test finished after COM%1 - found: %2"_s.arg(probing).arg(
        found.isEmpty() ? u"none"_s : found.join(u", "_s)));
    autoTestStop_->setEnabled(false);
    showMessage(autoTest_->summary(), QString());
}

void Form1::mnu_autotest_stop_Click()
{
    if (!autoTest_ || !autoTest_->running())
        return;
    Timer4->stop();
    autoTest_->stop();
    mnu_autotest_stop->setEnabled(false);
    autoTestStop_->setEnabled(false);
    showAutoTestProgress(u"Auto test stopped."_s);
}

void Form1::showAutoTestProgress(const QString& text)
{
    // Made on first use, so the window keeps its design size until a test is run.
    if (!autoTestProgress_) {
        autoTestProgress_ = new QLabel(this);
        autoTestProgress_->setObjectName(u"AutoTestProgress"_s);
        autoTestStop_ = new QPushButton(u"Stop"_s, this);
        autoTestStop_->setObjectName(u"AutoTestStop"_s);
        statusBar()->addWidget(autoTestProgress_, 1);
        statusBar()->addPermanentWidget(autoTestStop_);
        shownStatusBar();
        connect(autoTestStop_, &QPushButton::clicked, this, &Form1::mnu_autotest_stop_Click);
    }
    autoTestStop_->setEnabled(Timer4->isActive());
    autoTestProgress_->setText(text);
}

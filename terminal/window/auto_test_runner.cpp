#include "window/auto_test_runner.h"

#include "autotest/auto_test.h"
#include "window/control_names.h"
#include "window/dialogs.h"

#include <QAction>
#include <QLabel>
#include <QPushButton>
#include <QStatusBar>
#include <QStringList>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace tessa {

AutoTestRunner::AutoTestRunner(AutoTestWindow& window, QWidget& messageParent, Dialogs& dialogs,
                               std::function<QStatusBar*()> statusBar, QAction& stopAction)
    : QObject(&messageParent)
    , autoTest_(std::make_unique<AutoTest>(window))
    , messageParent_(messageParent)
    , dialogs_(dialogs)
    , statusBar_(std::move(statusBar))
    , stopAction_(stopAction)
{
    Timer4 = named(new QTimer(this), u"Timer4"_s);
    Timer4->setInterval(300);
    connect(Timer4, &QTimer::timeout, this, &AutoTestRunner::Timer4_Timer);
    connect(&stopAction_, &QAction::triggered, this, &AutoTestRunner::mnu_autotest_stop_Click);
    stopAction_.setEnabled(false);
}

AutoTestRunner::~AutoTestRunner() = default;

bool AutoTestRunner::running() const
{
    return Timer4->isActive();
}

void AutoTestRunner::received(QByteArrayView bytes)
{
    autoTest_->received(bytes);
}

void AutoTestRunner::Command4_Click()
{
    autoTest_->start();
    Timer4->start();
    stopAction_.setEnabled(true);
    showProgress(tr("Auto test: starting at COM1"));
}

void AutoTestRunner::Timer4_Timer()
{
    if (!autoTest_->running()) {
        Timer4->stop();
        return;
    }
    const int probing = autoTest_->scanPort();
    const bool finished = autoTest_->tick();
    QStringList found;
    for (int port = 1; port <= kAutoTestLastPort; ++port)
        if (autoTest_->answered()[static_cast<std::size_t>(port)] == 1)
            found << u"COM%1"_s.arg(port);
    if (!finished) {
        showProgress(tr("Auto test: probing COM%1 of %2 - found: %3")
                         .arg(autoTest_->scanPort())
                         .arg(kAutoTestLastPort)
                         .arg(found.isEmpty() ? tr("none yet") : found.join(u", "_s)));
        return;
    }
    Timer4->stop();
    stopAction_.setEnabled(false);
    showProgress(tr("Auto test finished after COM%1 - found: %2")
                     .arg(probing)
                     .arg(found.isEmpty() ? tr("none") : found.join(u", "_s)));
    dialogs_.hint(&messageParent_, autoTest_->summary(), QString());
}

void AutoTestRunner::mnu_autotest_stop_Click()
{
    if (!autoTest_->running())
        return;
    Timer4->stop();
    autoTest_->stop();
    stopAction_.setEnabled(false);
    showProgress(tr("Auto test stopped."));
}

void AutoTestRunner::showProgress(const QString& text)
{
    // Made on first use, so the window keeps its design size until a test is run.
    if (!progress_) {
        QStatusBar* bar = statusBar_();
        progress_ = named(new QLabel(bar), u"AutoTestProgress"_s);
        stopButton_ = named(new QPushButton(tr("Stop"), bar), u"AutoTestStop"_s);
        bar->addWidget(progress_, 1);
        bar->addPermanentWidget(stopButton_);
        statusBar_();  // measured again with its widgets
        connect(stopButton_, &QPushButton::clicked, this, &AutoTestRunner::mnu_autotest_stop_Click);
    }
    stopButton_->setEnabled(Timer4->isActive());
    progress_->setText(text);
}

}  // namespace tessa

#pragma once

#include <QByteArrayView>
#include <QObject>
#include <functional>
#include <memory>

class QAction;
class QLabel;
class QPushButton;
class QStatusBar;
class QTimer;
class QWidget;

namespace tessa {

class AutoTest;
class AutoTestWindow;
class Dialogs;

// Runs the port auto test from the window: Command4 (hidden) and the Port menu start it, Timer4
// steps it, the status bar shows its progress and offers to stop it; the summary ends it.
class AutoTestRunner : public QObject {
    Q_OBJECT
public:
    // window carries out the test's connects and sends; stopAction is the menu's stop item.
    AutoTestRunner(AutoTestWindow& window, QWidget& messageParent, Dialogs& dialogs,
                   std::function<QStatusBar*()> statusBar, QAction& stopAction);
    ~AutoTestRunner() override;

    bool running() const;
    const AutoTest& autoTest() const { return *autoTest_; }
    // Every chunk the port received (the probe's reply is judged from them).
    void received(QByteArrayView bytes);

    void Command4_Click();
    void Timer4_Timer();
    void mnu_autotest_stop_Click();

private:
    void showProgress(const QString& text);

    std::unique_ptr<AutoTest> autoTest_;
    QWidget& messageParent_;
    Dialogs& dialogs_;
    std::function<QStatusBar*()> statusBar_;
    QAction& stopAction_;
    QTimer* Timer4 = nullptr;
    QLabel* progress_ = nullptr;
    QPushButton* stopButton_ = nullptr;
};

}  // namespace tessa

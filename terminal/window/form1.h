#pragma once

#include "receive/receive_history.h"
#include "settings/settings_store.h"
#include "window/dialogs.h"

#include <QList>
#include <QMainWindow>
#include <QPair>
#include <QString>
#include <cstdint>
#include <memory>

class QAction;
class QComboBox;
class QFrame;
class QLabel;
class QMenu;
class QPushButton;
class QStatusBar;
class QTabWidget;
class QTimer;

namespace tessa {
class AutoSendPage;
class AutoTest;
class AutoTestRunner;
class ChecksumFrameBox;
class CommonDialog;
class Connection;
class ConnectionBar;
class ModbusPage;
class MotionCommandBar;
class OtherTestsPage;
class PortMenu;
class ProgramModel;
class ReceiveDisplay;
class ReceiveLogs;
class ReceiveView;
class SendGuard;
class SerialPort;
class SessionMenu;
class TestEditPage;
class ToolsMenu;
struct Session;
struct PageServices;
struct SizeMode;
}  // namespace tessa

// The terminal's one window, a shell: it builds the controls through the units that own them
// (the connection bar, the receive display, one widget per tab page, the device button row,
// the auto test), wires the window-level controls and menus, and runs start-up, the size modes
// and shutdown.
//
// Controls are found by their names: findChild<QPushButton*>("Command1"). Members of a control
// array share the name and carry their number in the property "index" (Option1, Text2,
// ComPortShape, Label2), and findChildren() returns them in index order.
class Form1 : public QMainWindow {
    Q_OBJECT
public:
    // Every message box and dialog goes through dialogs (the real ones when none is given).
    explicit Form1(std::unique_ptr<tessa::Dialogs> dialogs = nullptr, QWidget* parent = nullptr);
    ~Form1() override;

    // Window-level state other parts of the program and the tests use.
    tessa::SerialPort& comm1();
    tessa::ReceiveLogs& receiveLogs();
    // Every byte received in the session (the last 64 MiB at least), beside the views' logs.
    const tessa::ReceiveHistory& receiveHistory() const { return receiveHistory_; }
    std::int16_t portAvailability(int portNumber) const;
    std::int16_t connectSucceeded() const;
    // Panel values read at start (only when "REL1" asked for a restore).
    const QList<QPair<QString, QString>>& restoredPanelValues() const { return restoredPanelValues_; }
    const tessa::ProgramModel& programModel() const;
    const tessa::AutoTest& autoTest() const;

    // Opens a session file (File > Open session...); false, after a message saying why, when it
    // is refused, and then nothing has changed.
    bool openSession(const QString& path);
    // Saves the bench set-up to a session file (File > Save session...).
    bool saveSession(const QString& path);

    // Start-up, run once by the constructor.
    void Form_Load();
    // Shutdown, run when the window is closed.
    void Form_QueryUnload();

    void Command13_Click();
    void Command14_Click();
    void Command15_Click();
    void Command16_Click();
    void Combo2_Click();
    void Timer1_Timer();
    void mu_screen_w_Click();
    void mnu_screen_narrow_Click();
    void mnu_port_map_Click();

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    class AutoTestView;

    void createControls();
    void createMenus();
    void wireEvents();
    void restorePanelValues(const QList<QPair<QString, QString>>& values);
    tessa::Session currentSession() const;
    void applySession(const tessa::Session& session);
    void applySizeMode(const tessa::SizeMode& mode);
    // The status bar, made on first use; the window grows by its height, so that no control
    // goes under it.
    QStatusBar* shownStatusBar();

    std::unique_ptr<tessa::Dialogs> dialogs_;
    tessa::SettingsStore settings_;
    QList<QPair<QString, QString>> restoredPanelValues_;
    int statusBarAllowance_ = 0;
    const tessa::SizeMode* sizeMode_ = nullptr;  // the one applied last (wide at start)

    // Units, each owning its controls.
    tessa::Connection* connection_ = nullptr;
    tessa::ConnectionBar* connectionBar_ = nullptr;
    std::unique_ptr<tessa::ReceiveDisplay> receive_;
    tessa::ReceiveHistory receiveHistory_;
    std::unique_ptr<tessa::SendGuard> guard_;
    std::unique_ptr<tessa::PageServices> services_;
    tessa::ChecksumFrameBox* Frame3 = nullptr;
    tessa::CommonDialog* CommonDialog1 = nullptr;
    tessa::AutoSendPage* autoSendPage_ = nullptr;
    tessa::TestEditPage* testEditPage_ = nullptr;
    tessa::OtherTestsPage* otherTestsPage_ = nullptr;
    tessa::ModbusPage* modbusPage_ = nullptr;
    tessa::MotionCommandBar* motionCommandBar_ = nullptr;
    std::unique_ptr<AutoTestView> autoTestView_;
    tessa::AutoTestRunner* autoTestRunner_ = nullptr;
    tessa::PortMenu* portMenu_ = nullptr;
    tessa::ToolsMenu* toolsMenu_ = nullptr;
    tessa::SessionMenu* sessionMenu_ = nullptr;

    // Window-level controls.
    QPushButton* Command4 = nullptr;
    QComboBox* Combo2 = nullptr;
    QPushButton* Command15 = nullptr;
    QPushButton* Command13 = nullptr;
    QTabWidget* SSTab1 = nullptr;
    QLabel* Label3 = nullptr;
    QPushButton* Command16 = nullptr;
    QPushButton* Command14 = nullptr;
    tessa::ReceiveView* Text6 = nullptr;
    tessa::ReceiveView* Text4 = nullptr;
    QFrame* Line1 = nullptr;
    QTimer* Timer1 = nullptr;

    // Menus.
    QMenu* mnu_file = nullptr;
    QAction* mnu_new_file = nullptr;
    QAction* mnu_open = nullptr;
    QAction* mnu_save = nullptr;
    QAction* mu_screen_w = nullptr;
    QAction* mnu_screen_narrow = nullptr;
    QMenu* mnu_port = nullptr;
    QAction* mnu_port_map = nullptr;
    QAction* mnu_autotest = nullptr;
    QAction* mnu_autotest_stop = nullptr;
};

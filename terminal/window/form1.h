#pragma once

#include "frames/crc16.h"
#include "panels/jog_hold.h"
#include "receive/receive_display.h"
#include "settings/settings_store.h"
#include "settings/startup_settings.h"
#include "serial/port_number.h"

#include <QList>
#include <QMainWindow>
#include <QPair>
#include <QString>
#include <array>
#include <cstdint>
#include <memory>
#include <optional>

class QAction;
class QCheckBox;
class QComboBox;
class QFrame;
class QGroupBox;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QMenu;
class QPushButton;
class QRadioButton;
class QStatusBar;
class QTabWidget;
class QTimer;
class QButtonGroup;

namespace tessa {
class CommonDialog;
class ReceiveView;
class Connection;
class FilledShape;
class SerialPort;
struct SizeMode;
class AutoTest;
class AutoTestWindow;
class ProgramModel;
class TerminalExtras;
}  // namespace tessa

// The terminal's one window. It owns every control, timer and piece of state; the handlers
// carry the names of their control and event and only wire controls to the plain units
// (frames, receive logs, serial port, settings store).
//
// Controls are found by their names: findChild<QPushButton*>("Command1"). Members of a control
// array share the name and carry their number in the property "index" (Option1, Text2,
// ComPortShape, Label2), and findChildren() returns them in index order.
class Form1 : public QMainWindow {
    Q_OBJECT
public:
    explicit Form1(QWidget* parent = nullptr);
    ~Form1() override;

    // Window-level state other parts of the program use.
    tessa::SerialPort& comm1() { return *Comm1; }
    tessa::ReceiveLogs& receiveLogs() { return receive_->logs(); }
    tessa::SettingsStore& settingsStore() { return settings_; }
    tessa::TerminalExtras& extras() { return *extras_; }
    const tessa::LastCrcText& lastCrcText() const { return lastCrc_; }
    std::int16_t portAvailability(int portNumber) const;
    std::int16_t connectSucceeded() const;
    // Panel values read at start (only when "REL1" asked for a restore), for the device panels.
    const QList<QPair<QString, QString>>& restoredPanelValues() const { return restoredPanelValues_; }

    // CRC-16/MODBUS of data into the last-CRC text pair.
    void ModBusCRC16(QByteArrayView data);

    // Receive display operations for the senders.
    void showCharacterView();
    void showHexView();
    void appendHexLineBreak();

    // The two guards of the senders: each answers a refusal with the "not connected" message,
    // moves the focus to Command1 and returns false.
    bool portOpenGuard();
    bool connectButtonGuard();

public slots:
    // Start-up, run once by the constructor.
    void Form_Load();
    // Shutdown, run when the window is closed.
    void Form_QueryUnload();

    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
    void Command13_Click();
    void Command14_Click();
    void Command15_Click();
    void Command16_Click();
    void Combo1_Click(int index);
    void Combo2_Click();
    void List2_DblClick(QListWidgetItem* item);
    void Timer1_Timer();
    void Timer12_Timer();
    void mu_screen_w_Click();
    void mnu_screen_narrow_Click();
    void mnu_port_map_Click();
    // The open port's device went away.
    void Comm1_Lost();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    // Key and mouse handlers: true discards the event.
    bool Text1_KeyPress(QKeyEvent* event);
    void Text1_KeyUp();
    bool Combo1_KeyPress(QKeyEvent* event);
    bool Text7_KeyPress(QKeyEvent* event);
    bool Text7_MouseDown();

    void createControls();
    void createMenus();
    void createTimers();
    void wireEvents();
    void applySizeMode(const tessa::SizeMode& mode);
    void showConnectedState();
    void showNotConnectedState();
    void connectFailed(bool numberInTables);
    void showMessage(const QString& text, const QString& title);
    // The status bar, made on first use; the window grows by its height, so that no control
    // goes under it.
    QStatusBar* shownStatusBar();
    int statusBarAllowance_ = 0;
    void showNotConnectedMessage();

    // Window-level state.
    tessa::SettingsStore settings_;
    std::unique_ptr<tessa::ReceiveDisplay> receive_;
    tessa::LastCrcText lastCrc_;
    tessa::Connection* connection_ = nullptr;
    tessa::TerminalExtras* extras_ = nullptr;  // owned as a child of the window
    QList<QPair<QString, QString>> restoredPanelValues_;

    // Controls outside the tab control.
    QLabel* Label1 = nullptr;
    QLineEdit* Text1 = nullptr;
    QLabel* Label5 = nullptr;
    QComboBox* Combo1 = nullptr;
    std::array<QRadioButton*, 2> Option1{};
    QPushButton* Command1 = nullptr;
    QPushButton* Command2 = nullptr;
    QLabel* Label8 = nullptr;
    tessa::FilledShape* ComPortShape = nullptr;
    QPushButton* Command4 = nullptr;
    QComboBox* Combo2 = nullptr;
    QLabel* Label3 = nullptr;
    tessa::ReceiveView* Text6 = nullptr;
    tessa::ReceiveView* Text4 = nullptr;
    QPushButton* Command16 = nullptr;
    QPushButton* Command14 = nullptr;
    QPushButton* Command13 = nullptr;
    QFrame* Line1 = nullptr;
    QTabWidget* SSTab1 = nullptr;
    QGroupBox* Frame3 = nullptr;
    QPushButton* Command3 = nullptr;
    std::array<QLineEdit*, 10> Text2{};
    QLabel* Label2 = nullptr;
    QCheckBox* Check1 = nullptr;
    QPushButton* Command15 = nullptr;
    tessa::SerialPort* Comm1 = nullptr;
    tessa::CommonDialog* CommonDialog1 = nullptr;

    // ---- device test panels (form1_panels_*.cpp) ----
public:
    void Command31_Click();
    void Command33_Click();
    void Command35_Click();
    void Command37_Click();
    void Command52_Click();
    void Command57_Click();
    void Text26_Change(int index);
    void commandRow_Click(int row);  // Command27, 32, 34, 36, 45, 47, 49, 51 (rows 1..8)
    void Command29_Click();
    void Command55_Click();
    void Command40_Click();
    void Command28_Click();
    void Command42_Click();
    void Command43_Click();
    void Command39_Click();
    void Command44_Click();
    void Command38_Click();
    void Command41_Click();
    void Command53_Click();
    void Command54_Click();
    void Command30_Click();
    void Command26_Click();
    void Command23_Click();
    void Command22_Click();
    void Command21_Click();
    void Command18_Click();
    void Command19_Click();
    void Command20_Click();
    void Command24_Click();
    void Command25_Click();
    void Timer11_Timer();
    void Command17_Click();
    void Command56_Click();

private:
    void createPanelControls();
    void wirePanelEvents();
    void restorePanelValues();
    void writeModbusPanel(int panel);
    void readModbusPanel(int readPanel);
    void sendFixedModbusFrame(bool asciiMode);
    std::array<QString, 45> modbusTexts() const;
    void limitKeyUp(QLineEdit* box, double lowest, double highest);
    void sendValueLine(const QByteArray& prefix, QLineEdit* box, const QString& key);
    void sendQueryWord(const char* word);
    void sendOutputPattern(const QByteArray& prefix);
    void sendMotionCommand(const char* command);
    void jogMouseDown(std::uint8_t direction);
    // Whatever ends a jog press: the mouse released anywhere, focus or window lost, the port
    // closing. Sends the release frames once per press.
    void endJog();
    void jogClick(std::uint8_t direction);
    void download(bool program);

    std::array<QLineEdit*, 45> Text26{};
    std::array<tessa::FilledShape*, 8> Shape1{};
    tessa::JogHold jogHold_;
    QPushButton* Command24 = nullptr;
    QPushButton* Command25 = nullptr;
    QLineEdit* Text16 = nullptr;
    QLineEdit* Text25 = nullptr;
    std::array<QCheckBox*, 4> outputChecks_{};  // Check5..Check8: Out 0..Out 3

    // Tab "測試編輯": the command line.
    QLineEdit* Text7 = nullptr;
    QListWidget* List2 = nullptr;
    QCheckBox* Check4 = nullptr;

    // Menus.
    QMenu* mnu_file = nullptr;
    QAction* mnu_new_file = nullptr;
    QAction* mnu_open = nullptr;
    QAction* mnu_save = nullptr;
    QMenu* mnu_screen = nullptr;
    QAction* mu_screen_w = nullptr;
    QAction* mnu_screen_narrow = nullptr;
    QMenu* mnu_port = nullptr;
    QAction* mnu_port_map = nullptr;

    // Timers.
    QTimer* Timer1 = nullptr;
    QTimer* Timer4 = nullptr;
    QTimer* Timer9 = nullptr;
    QTimer* Timer10 = nullptr;
    QTimer* Timer11 = nullptr;
    QTimer* Timer12 = nullptr;
    QTimer* Timer13 = nullptr;
    QTimer* Timer14 = nullptr;

    // ---- Tab "自動傳送": the program list (form1_program.cpp) and the port auto test
    // (form1_autotest.cpp). ----
public:
    void Command5_Click();
    void Command6_Click();
    void Command7_Click();
    void Command8_Click();
    void Command10_Click();
    void Command11_Click();
    void mnu_new_file_Click();
    void mnu_open_Click();
    void mnu_save_Click();
    void Option2_Click(int index);
    void Timer9_Timer();
    void Timer10_Timer();
    void Timer13_Timer();
    void Timer14_Timer();
    void Command4_Click();
    void Timer4_Timer();
    void mnu_autotest_stop_Click();
    static bool FileExists(const QString& name);
    const tessa::ProgramModel& programModel() const { return *program_; }
    const tessa::AutoTest& autoTest() const { return *autoTest_; }

private:
    friend class Form1AutoTestWindow;
    void createProgramControls();
    void wireProgramEvents();
    void List1_MouseDown();
    bool Text3_KeyPress(QKeyEvent* event);
    void Text3_KeyUp(QKeyEvent* event);
    void loadEditor(const QString& rec);
    std::optional<QString> editorRecord(int lineNumber);
    void showProgramInList1();
    void showLastRecordInEditor();
    void programMessage(const QString& text, const QString& title);
    void showAutoTestProgress(const QString& text);

    tessa::ProgramModel* program_ = nullptr;  // owned as a child of the window
    int replayPosition_ = 0;
    std::int16_t loading_ = 0;
    std::int16_t modeChangeIndex_ = 0;
    std::unique_ptr<tessa::AutoTestWindow> autoTestWindow_;
    std::unique_ptr<tessa::AutoTest> autoTest_;
    QGroupBox* Frame1 = nullptr;
    std::array<QRadioButton*, 2> Option3{};
    std::array<QRadioButton*, 2> Option2{};
    QButtonGroup* option2Group_ = nullptr;
    QLineEdit* Text3 = nullptr;
    QLineEdit* Text5 = nullptr;
    QLabel* Label6 = nullptr;
    QCheckBox* Check2 = nullptr;
    QCheckBox* Check3 = nullptr;
    QListWidget* List1 = nullptr;
    QPushButton* Command5 = nullptr;
    QPushButton* Command6 = nullptr;
    QPushButton* Command7 = nullptr;
    QPushButton* Command8 = nullptr;
    QPushButton* Command9 = nullptr;
    QPushButton* Command10 = nullptr;
    QPushButton* Command11 = nullptr;
    QPushButton* Command12 = nullptr;
    QAction* mnu_autotest = nullptr;
    QAction* mnu_autotest_stop = nullptr;
    QLabel* autoTestProgress_ = nullptr;
    QPushButton* autoTestStop_ = nullptr;
};

#pragma once

#include "window/pages/page_services.h"

#include <QString>
#include <QWidget>
#include <array>
#include <cstdint>
#include <optional>

class QButtonGroup;
class QCheckBox;
class QGroupBox;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class QTimer;

namespace tessa {

class ProgramModel;

// The page "自動傳送": the numbered send/delay program. List1 shows the program model; the
// editor "編輯" (Frame1) builds a record (data as hex or characters, CR LF, or a delay);
// add/insert/delete/replace (Command5, 8, 7, 10), replay once or in a loop (Command6, Check3,
// Timer13/Timer14), stop (Command11), save/load (Command9, Command12 and the File menu).
// Switching data mode with data typed is refused (Timer9, Timer10).
class AutoSendPage : public QWidget {
    Q_OBJECT
public:
    explicit AutoSendPage(const PageServices& services);

    const ProgramModel& programModel() const { return *program_; }

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
    static bool FileExists(const QString& name);

private:
    void createControls();
    void wireEvents();
    void List1_MouseDown();
    bool Text3_KeyPress(QKeyEvent* event);
    void Text3_KeyUp(QKeyEvent* event);
    void loadEditor(const QString& rec);
    std::optional<QString> editorRecord(int lineNumber);
    void showProgramInList1();
    void showLastRecordInEditor();
    void showMessage(const QString& text, const QString& title);
    // The port went away (lost) or was closed during a replay: the replay stops for good at
    // the line due next, said in the status bar.
    void stopReplayWithPort(bool lost);

    PageServices services_;
    ProgramModel* program_ = nullptr;  // owned as a child of the page
    int replayPosition_ = 0;
    std::int16_t loading_ = 0;
    std::int16_t modeChangeIndex_ = 0;
    QListWidget* List1 = nullptr;
    QGroupBox* Frame1 = nullptr;
    std::array<QRadioButton*, 2> Option3 {};
    std::array<QRadioButton*, 2> Option2 {};
    QButtonGroup* option2Group_ = nullptr;
    QLineEdit* Text3 = nullptr;
    QLineEdit* Text5 = nullptr;
    QLabel* Label6 = nullptr;
    QCheckBox* Check2 = nullptr;
    QCheckBox* Check3 = nullptr;
    QPushButton* Command5 = nullptr;
    QPushButton* Command6 = nullptr;
    QPushButton* Command7 = nullptr;
    QPushButton* Command8 = nullptr;
    QPushButton* Command9 = nullptr;
    QPushButton* Command10 = nullptr;
    QPushButton* Command11 = nullptr;
    QPushButton* Command12 = nullptr;
    QTimer* Timer9 = nullptr;
    QTimer* Timer10 = nullptr;
    QTimer* Timer13 = nullptr;
    QTimer* Timer14 = nullptr;
};

}  // namespace tessa

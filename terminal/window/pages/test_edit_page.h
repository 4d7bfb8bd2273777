#pragma once

#include "panels/jog_hold.h"
#include "window/pages/page_services.h"

#include <QWidget>
#include <cstdint>

class QCheckBox;
class QKeyEvent;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPushButton;
class QTimer;

namespace tessa {

// The page "測試編輯": the command line (Text7, CR LF with Check4) and its history (List2), the
// motion buttons Home/Start/Stop (Command18..20), the jog buttons (Command24 "Jog+",
// Command25 "Jog-": a click steps, a press held 200 ms jogs until released, Timer11), "儲存程式/
// 參數" (Command21) and the program download "傳送程式" (Command17).
class TestEditPage : public QWidget {
    Q_OBJECT
public:
    explicit TestEditPage(const PageServices& services);

    void Command17_Click();
    void Command18_Click() { sendAndShowCharacters("c44"); }
    void Command19_Click() { sendAndShowCharacters("c43"); }
    void Command20_Click();
    void Command21_Click();
    void Command24_Click();
    void Command25_Click();
    void List2_DblClick(QListWidgetItem* item);
    void Timer11_Timer();

    // Enables or disables both jog buttons (a program download holds them off).
    void setJogEnabled(bool enabled);

private:
    void createControls();
    void wireEvents();
    bool Text7_KeyPress(QKeyEvent* event);
    void sendAndShowCharacters(const char* command);
    void jogMouseDown(std::uint8_t direction);
    // Whatever ends a jog press: the mouse released anywhere, focus or window lost, the port
    // closing. Sends the release frames once per press.
    void endJog();
    void jogClick(std::uint8_t direction);

    PageServices services_;
    JogHold jogHold_;
    QLineEdit* Text7 = nullptr;
    QCheckBox* Check4 = nullptr;
    QListWidget* List2 = nullptr;
    QPushButton* Command24 = nullptr;
    QPushButton* Command25 = nullptr;
    QTimer* Timer11 = nullptr;
};

}  // namespace tessa

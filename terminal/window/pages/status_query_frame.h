#pragma once

#include "window/pages/page_services.h"

#include <QGroupBox>

namespace tessa {

// The frame "狀態查詢" (Frame5) on the page "其他測試": the status queries "Special I/O"
// (Command42), "Output" (Command43), "Input" (Command39), "Busy" (Command44), "Sensor"
// (Command38) and "Version" (Command41).
class StatusQueryFrame : public QGroupBox {
    Q_OBJECT
public:
    StatusQueryFrame(const PageServices& services, QWidget* page);

    void Command42_Click() { sendQueryWord(services_, "rse"); }
    void Command43_Click() { sendQueryWord(services_, "rout"); }
    void Command44_Click() { sendQueryWord(services_, "rby"); }
    void Command41_Click() { sendQueryWord(services_, "ver"); }
    void Command39_Click();
    void Command38_Click();

    // A query word and CR LF, when the port is open.
    static void sendQueryWord(const PageServices& services, const char* word);

private:
    PageServices services_;
};

}  // namespace tessa

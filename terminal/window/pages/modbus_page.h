#pragma once

#include "frames/crc16.h"
#include "modbus/modbus_exchange.h"
#include "window/pages/page_services.h"

#include <QHash>
#include <QWidget>
#include <array>

class QLineEdit;

namespace tessa {

class ModbusReplyArea;
struct ModbusBuild;

// The page "ModBus測試": five Modbus RTU panels over the boxes Text26(0) to Text26(44): two
// write panels (Command31, Command33), two read panels (Command35, Command37) and the fixed
// "ASCII Mode"/"SAVE" frames (Command52, Command57). A send fills the panel's CRC boxes and
// stores the panel's boxes; the decoded reply to it shows in the page's reply area.
class ModbusPage : public QWidget {
    Q_OBJECT
public:
    explicit ModbusPage(const PageServices& services);

    // The boxes whose values are stored, by settings key.
    QHash<QString, QLineEdit*> storedBoxes() const;

    void Command31_Click() { writePanel(0); }
    void Command33_Click() { writePanel(1); }
    void Command35_Click() { readPanel(0); }
    void Command37_Click() { readPanel(1); }
    void Command52_Click() { sendFixedFrame(true); }
    void Command57_Click() { sendFixedFrame(false); }

    // Keeps each write panel's byte count and shown data boxes in step with its register count.
    void Text26_Change();
    // The page is extra pixels larger than designed (a larger window): the reply area takes
    // them, from its designed place and size; the panels stay where they are.
    void setGrowth(QSize extra);

private:
    void createControls();
    void wireEvents();
    // The reply to each request is decoded into the reply area within the stored reply window;
    // requests take turns on the line.
    void watchReplies();
    // The frame on the line, with a line break in the hex log before its reply; the bytes
    // that had arrived before it left, nullopt when the port is closed.
    std::optional<qint64> writeRequest(const QByteArray& frame);
    std::array<QString, 45> texts() const;
    void writePanel(int panel);
    void readPanel(int readPanel);
    void sendFixedFrame(bool asciiMode);
    // The common tail of every panel: a refusal naming the bad box, or the CRC into the
    // panel's boxes, frame and CRC out, the view the reply is read in, the panel's boxes stored.
    void sendBuilt(const ModbusBuild& build, int crcLowBox, int crcHighBox, int panel, bool characterView);

    PageServices services_;
    LastCrcText lastCrc_;
    std::array<QLineEdit*, 45> Text26 {};
    ModbusExchange exchange_;
    ModbusReplyArea* replyArea_ = nullptr;
};

}  // namespace tessa

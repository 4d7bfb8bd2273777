#pragma once

#include "frames/crc16.h"
#include "window/pages/page_services.h"

#include <QHash>
#include <QWidget>
#include <array>

class QLineEdit;

namespace tessa {

// The page "ModBus測試": five Modbus RTU panels over the boxes Text26(0) to Text26(44): two
// write panels (Command31, Command33), two read panels (Command35, Command37) and the fixed
// "ASCII Mode"/"SAVE" frames (Command52, Command57). A send fills the panel's CRC boxes and
// stores the panel's boxes.
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

private:
    void createControls();
    void wireEvents();
    std::array<QString, 45> texts() const;
    void writePanel(int panel);
    void readPanel(int readPanel);
    void sendFixedFrame(bool asciiMode);
    // A refused panel names the bad box and sends nothing at all.
    void refuse(int badBox, const QString& message);
    // The common tail of every panel: the CRC into its boxes, frame and CRC out.
    void send(const QByteArray& frame, int crcLowBox, int crcHighBox);
    void storePanel(int panel);

    PageServices services_;
    LastCrcText lastCrc_;
    std::array<QLineEdit*, 45> Text26{};
};

}  // namespace tessa

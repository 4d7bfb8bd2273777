// The Modbus register panels on the page "ModBus測試".
#include "window/form1.h"

#include "frames/frame_text.h"
#include "panels/modbus_panels.h"
#include "serial/serial_port.h"
#include "window/extras/terminal_extras.h"

#include <QLineEdit>

using namespace Qt::StringLiterals;

namespace {

// A CRC box read back as a byte; the program filled it, so it always holds one.
char crcBoxByte(const QLineEdit* box)
{
    return static_cast<char>(tessa::parseHexByte(box->text()).value_or(0));
}

}  // namespace

std::array<QString, 45> Form1::modbusTexts() const
{
    std::array<QString, 45> texts;
    for (int e = 0; e < tessa::kModbusBoxCount; ++e)
        texts[e] = Text26[e]->text();
    return texts;
}

void Form1::Command31_Click()
{
    writeModbusPanel(0);
}

void Form1::Command33_Click()
{
    writeModbusPanel(1);
}

void Form1::Command35_Click()
{
    readModbusPanel(0);
}

void Form1::Command37_Click()
{
    readModbusPanel(1);
}

void Form1::Command52_Click()
{
    sendFixedModbusFrame(true);
}

void Form1::Command57_Click()
{
    sendFixedModbusFrame(false);
}

namespace {

struct CrcBoxes {
    int low;
    int high;
};

}  // namespace

// The common tail of every panel: CRC into its boxes, frame and CRC out, view and settings.
static void sendModbus(Form1& form, std::array<QLineEdit*, 45>& boxes, const QByteArray& frame, CrcBoxes crc)
{
    form.ModBusCRC16(frame);
    boxes[crc.low]->setText(form.lastCrcText().low);
    boxes[crc.high]->setText(form.lastCrcText().high);
    QByteArray crcBytes;
    crcBytes.append(crcBoxByte(boxes[crc.low]));
    crcBytes.append(crcBoxByte(boxes[crc.high]));
    form.comm1().write(frame);
    form.comm1().write(crcBytes);
    form.extras().modbusRequestSent(frame + crcBytes);
}

void Form1::writeModbusPanel(int panel)
{
    if (!portOpenGuard())
        return;
    const tessa::ModbusBuild build = tessa::buildWriteFrame(modbusTexts(), panel);
    if (build.problem != tessa::ModbusBuild::Problem::None) {
        // A refused panel sends nothing at all, not even a CRC left from an earlier send.
        showMessage(tessa::modbusRefusal(build, Text26[build.badElement]->text()), u"提示"_s);
        Text26[build.badElement]->setFocus();
        return;
    }
    const int f = tessa::kWritePanelFirst[panel];
    sendModbus(*this, Text26, build.frame, {f + tessa::kWriteCrcLow, f + tessa::kWriteCrcHigh});
    showHexView();
    appendHexLineBreak();
    for (const auto& [key, e] : tessa::modbusKeysOfPanel(panel))
        settings_.write(key, Text26[e]->text());
}

void Form1::readModbusPanel(int readPanel)
{
    if (!portOpenGuard())
        return;
    const tessa::ModbusBuild build = tessa::buildReadFrame(modbusTexts(), readPanel);
    if (build.problem != tessa::ModbusBuild::Problem::None) {
        showMessage(tessa::modbusRefusal(build, Text26[build.badElement]->text()), u"提示"_s);
        Text26[build.badElement]->setFocus();
        return;
    }
    const int f = tessa::kReadPanelFirst[readPanel];
    sendModbus(*this, Text26, build.frame, {f + tessa::kReadCrcLow, f + tessa::kReadCrcHigh});
    showHexView();
    appendHexLineBreak();
    for (const auto& [key, e] : tessa::modbusKeysOfPanel(readPanel + 2))
        settings_.write(key, Text26[e]->text());
}

void Form1::sendFixedModbusFrame(bool asciiMode)
{
    if (!portOpenGuard())
        return;
    const tessa::ModbusBuild build = tessa::buildFixedFrame(
        Text26[tessa::kFixedIdBox]->text(), asciiMode ? tessa::FixedFrame::AsciiMode : tessa::FixedFrame::Save);
    if (build.problem != tessa::ModbusBuild::Problem::None) {
        showMessage(tessa::modbusRefusal(build, Text26[build.badElement]->text()), u"提示"_s);
        Text26[build.badElement]->setFocus();
        return;
    }
    sendModbus(*this, Text26, build.frame, {tessa::kFixedCrcLowBox, tessa::kFixedCrcHighBox});
    if (asciiMode)
        showCharacterView();
    else
        showHexView();
    appendHexLineBreak();
    for (const auto& [key, e] : tessa::modbusKeysOfPanel(4))
        settings_.write(key, Text26[e]->text());
}

void Form1::Text26_Change(int /*index*/)
{
    // Runs again for the changes it makes itself; each pass only sets texts that differ.
    for (int panel = 0; panel < 2; ++panel) {
        const int f = tessa::kWritePanelFirst[panel];
        QLineEdit* registerCount = Text26[f + tessa::kWriteRegisterCountLow];
        const tessa::CouplingStep step = tessa::registerCountCoupling(registerCount->text());
        if (step.byteCount && Text26[f + tessa::kWriteByteCount]->text() != *step.byteCount)
            Text26[f + tessa::kWriteByteCount]->setText(*step.byteCount);
        if (step.firstDataVisible) {
            Text26[f + tessa::kWriteFirstData]->setVisible(*step.firstDataVisible);
            Text26[f + tessa::kWriteFirstData + 1]->setVisible(*step.firstDataVisible);
        }
        if (step.registerCount && registerCount->text() != *step.registerCount)
            registerCount->setText(*step.registerCount);
    }
}

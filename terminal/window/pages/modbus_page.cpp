#include "window/pages/modbus_page.h"

#include "frames/frame_text.h"
#include "panels/modbus_panels.h"
#include "receive/receive_display.h"
#include "serial/serial_port.h"
#include "settings/settings_keys.h"
#include "settings/settings_store.h"
#include "window/control_names.h"
#include "window/dialogs.h"
#include "window/pages/modbus_reply_area.h"
#include "window/send_guard.h"
#include "window/twips.h"
#include "window/tooltips.h"

#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>

using namespace Qt::StringLiterals;

namespace tessa {
namespace {

// Frame control arrays, by field caption: Frame6 "ID" ... Frame12 "CRC".
QString frameName(const char* caption)
{
    static const QHash<QString, QString> names {
        {u"ID"_s, u"Frame6"_s},       {u"Write"_s, u"Frame7"_s}, {u"Read"_s, u"Frame7"_s},  {u"Address"_s, u"Frame8"_s},
        {u"Register"_s, u"Frame9"_s}, {u"Len"_s, u"Frame10"_s},  {u"Data"_s, u"Frame11"_s}, {u"CRC"_s, u"Frame12"_s}};
    return names.value(QString::fromLatin1(caption));
}

// A CRC box read back as a byte; the program filled it, so it always holds one.
char crcBoxByte(const QLineEdit* box)
{
    return static_cast<char>(parseHexByte(box->text()).value_or(0));
}

constexpr int kBoxWidth = 450;
constexpr int kBoxGap = 40;
constexpr int kFrameHeight = 700;

}  // namespace

ModbusPage::ModbusPage(const PageServices& services)
    : services_(services)
    , exchange_([this](const QByteArray& frame) { return writeRequest(frame); })
{
    setObjectName(u"SSTab1Page3"_s);
    createControls();
    wireEvents();
}

void ModbusPage::createControls()
{
    const std::array<QString, kModbusBoxCount>& design = modbusDesignTexts();
    const int panelTop[5] = {120, 1380, 2640, 3440, 4300};
    QHash<QString, int> frameIndex;
    for (int panel = 0; panel < 5; ++panel) {
        int left = 120;
        for (const ModbusField& field : modbusPanelFields(panel)) {
            const QString name = frameName(field.caption);
            const int boxes = panel == 4 ? 1 : field.last - field.first + 1;
            const int width = boxes * (kBoxWidth + kBoxGap) + 160;
            auto* frame = element(new QGroupBox(QString::fromLatin1(field.caption), this), name, frameIndex[name]++);
            setGeometryTwips(frame, left, panelTop[panel], width, kFrameHeight);
            for (int e = field.first; e <= field.last; ++e) {
                // Panel 4's CRC boxes lie under its ID box: they only hold the CRC.
                const int slot = panel == 4 ? 0 : e - field.first;
                Text26[e] = element(new QLineEdit(design[e], frame), u"Text26"_s, e);
                setGeometryTwips(Text26[e], 100 + slot * (kBoxWidth + kBoxGap), 260, kBoxWidth, 345);
            }
            if (panel == 4)
                Text26[kFixedIdBox]->raise();
            left += width + 80;
        }
    }
    const struct {
        const char* name;
        QString caption;
        int left, top, width;
        void (ModbusPage::*handler)();
    } buttons[] = {
        {"Command31", tr("↑  Send ModBus Data  ↑"), 120, 860, 3000, &ModbusPage::Command31_Click},
        {"Command33", tr("↑  Send ModBus Data  ↑"), 120, 2120, 3000, &ModbusPage::Command33_Click},
        {"Command35", tr("← Send ModBus Data"), 5300, 2790, 2400, &ModbusPage::Command35_Click},
        {"Command37", tr("← Send ModBus Data"), 5300, 3590, 2400, &ModbusPage::Command37_Click},
        {"Command52", tr("ASCII Mode"), 1200, 4450, 1600, &ModbusPage::Command52_Click},
        {"Command57", tr("SAVE"), 2900, 4450, 1200, &ModbusPage::Command57_Click},
    };
    for (const auto& design : buttons) {
        auto* b = named(new QPushButton(design.caption, this), QString::fromLatin1(design.name));
        setGeometryTwips(b, design.left, design.top, design.width, 405);
        connect(b, &QPushButton::clicked, this, design.handler);
    }
    setToolTips(*this,
                {{"Command31", tr("傳送這個面板的 Modbus RTU 寫入請求 (CRC 自動計算)")},
                 {"Command33", tr("傳送這個面板的 Modbus RTU 寫入請求 (CRC 自動計算)")},
                 {"Command35", tr("傳送左邊面板的 Modbus RTU 讀取請求 (CRC 自動計算)")},
                 {"Command37", tr("傳送左邊面板的 Modbus RTU 讀取請求 (CRC 自動計算)")},
                 {"Command52", tr("傳送切換到 ASCII 模式的固定請求給左邊的 ID")},
                 {"Command57", tr("傳送儲存設定的固定請求給左邊的 ID")}});
    const QHash<QString, QString> frameTips {
        {u"Frame6"_s, tr("從站位址 (16進制)")},        {u"Frame7"_s, tr("功能碼 (16進制)")},
        {u"Frame8"_s, tr("起始暫存器位址 (16進制)")},  {u"Frame9"_s, tr("暫存器數量 (16進制)")},
        {u"Frame10"_s, tr("資料的位元組數 (16進制)")}, {u"Frame11"_s, tr("寫入的資料 (16進制)")},
        {u"Frame12"_s, tr("CRC, 傳送時自動計算")}};
    for (QGroupBox* frame : findChildren<QGroupBox*>())
        frame->setToolTip(frameTips.value(frame->objectName()));
    // Right of the ASCII Mode and SAVE buttons, down to the page's foot: no panel is there.
    replyArea_ = new ModbusReplyArea(this);
    setGrowth(QSize());
}

void ModbusPage::setGrowth(QSize extra)
{
    setGeometryTwips(replyArea_, 4250, 4300, 4300, 1200);
    replyArea_->resize(replyArea_->size() + extra);
}

void ModbusPage::wireEvents()
{
    for (QLineEdit* box : Text26)
        connect(box, &QLineEdit::textChanged, this, &ModbusPage::Text26_Change);
    // The data boxes shown follow the register count from the start, not only after an edit.
    Text26_Change();
    watchReplies();
}

void ModbusPage::watchReplies()
{
    bool ok = false;
    const int stored = services_.settings.read(kReplyWindowMsKey, QString()).toInt(&ok);
    exchange_.setReplyWindowMs(ok && stored > 0 ? stored : ModbusReplyWatch::kDefaultReplyWindowMs);
    QSpinBox& windowBox = replyArea_->replyWindow();
    windowBox.setValue(exchange_.replyWindowMs());
    connect(&windowBox, &QSpinBox::valueChanged, this, [this](int ms) {
        exchange_.setReplyWindowMs(ms);
        services_.settings.write(kReplyWindowMsKey, QString::number(ms));
    });
    connect(&services_.port, &SerialPort::received, &exchange_,
            [this](const ReceivedChunk& chunk) { exchange_.bytesReceived(chunk); });
    connect(&services_.port, &SerialPort::lost, &exchange_, &ModbusExchange::dropQueued);
    connect(&services_.port, &SerialPort::aboutToClose, &exchange_, &ModbusExchange::dropQueued);
    connect(&exchange_, &ModbusExchange::replyDecoded, replyArea_, &ModbusReplyArea::showReply);
    // A reply is judged as soon as it is complete: its chunks are delivered as they come until then.
    connect(&exchange_, &ModbusExchange::stateChanged, this, [this] {
        services_.port.deliverOnArrival(&exchange_, exchange_.isWaiting());
        replyArea_->showQueue(exchange_.queued());
    });
    replyArea_->setHistory(&exchange_.history(), services_.dialogs);
}

std::optional<qint64> ModbusPage::writeRequest(const QByteArray& frame)
{
    if (!services_.port.write(frame))
        return std::nullopt;
    const qint64 arrivedBefore = services_.port.arrivedBeforeLastWrite();
    services_.receive.logs().appendHexLineBreak();
    return arrivedBefore;
}

QHash<QString, QLineEdit*> ModbusPage::storedBoxes() const
{
    QHash<QString, QLineEdit*> boxes;
    for (const auto& [key, e] : modbusSettingKeys())
        boxes.insert(key, Text26[e]);
    return boxes;
}

std::array<QString, 45> ModbusPage::texts() const
{
    std::array<QString, 45> texts;
    for (int e = 0; e < kModbusBoxCount; ++e)
        texts[e] = Text26[e]->text();
    return texts;
}

void ModbusPage::writePanel(int panel)
{
    if (!services_.guard.portOpen())
        return;
    const int f = kWritePanelFirst[panel];
    sendBuilt(buildWriteFrame(texts(), panel), f + kWriteCrcLow, f + kWriteCrcHigh, panel, false);
}

void ModbusPage::readPanel(int readPanel)
{
    if (!services_.guard.portOpen())
        return;
    const int f = kReadPanelFirst[readPanel];
    sendBuilt(buildReadFrame(texts(), readPanel), f + kReadCrcLow, f + kReadCrcHigh, readPanel + 2, false);
}

void ModbusPage::sendFixedFrame(bool asciiMode)
{
    if (!services_.guard.portOpen())
        return;
    const ModbusBuild build =
        buildFixedFrame(Text26[kFixedIdBox]->text(), asciiMode ? FixedFrame::AsciiMode : FixedFrame::Save);
    sendBuilt(build, kFixedCrcLowBox, kFixedCrcHighBox, 4, asciiMode);
}

void ModbusPage::sendBuilt(const ModbusBuild& build, int crcLowBox, int crcHighBox, int panel, bool characterView)
{
    if (build.problem != ModbusBuild::Problem::None) {
        // A refused panel sends nothing at all, not even a CRC left from an earlier send.
        services_.dialogs.hint(&services_.window, modbusRefusal(build, Text26[build.badElement]->text()), hintTitle());
        Text26[build.badElement]->setFocus();
        return;
    }
    ModBusCRC16(build.frame, lastCrc_);
    Text26[crcLowBox]->setText(lastCrc_.low);
    Text26[crcHighBox]->setText(lastCrc_.high);
    QByteArray crcBytes;
    crcBytes.append(crcBoxByte(Text26[crcLowBox]));
    crcBytes.append(crcBoxByte(Text26[crcHighBox]));
    if (exchange_.submit(build.frame + crcBytes) == ModbusExchange::Outcome::Refused)
        replyArea_->showRefusal(ModbusExchange::kMaxQueued);
    if (characterView)
        services_.receive.showCharacterView();
    else
        services_.receive.showHexView();
    for (const auto& [key, e] : modbusKeysOfPanel(panel))
        services_.settings.write(key, Text26[e]->text());
}

void ModbusPage::Text26_Change()
{
    // Runs again for the changes it makes itself; each pass only sets texts that differ.
    for (int panel = 0; panel < 2; ++panel) {
        const int f = kWritePanelFirst[panel];
        QLineEdit* registerCount = Text26[f + kWriteRegisterCountLow];
        const CouplingStep step = registerCountCoupling(registerCount->text());
        if (step.byteCount && Text26[f + kWriteByteCount]->text() != *step.byteCount)
            Text26[f + kWriteByteCount]->setText(*step.byteCount);
        if (step.firstDataVisible) {
            Text26[f + kWriteFirstData]->setVisible(*step.firstDataVisible);
            Text26[f + kWriteFirstData + 1]->setVisible(*step.firstDataVisible);
        }
        if (step.registerCount && registerCount->text() != *step.registerCount)
            registerCount->setText(*step.registerCount);
    }
}

}  // namespace tessa

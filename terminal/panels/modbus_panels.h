#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>
#include <optional>

namespace tessa {

// The Modbus register panels: Text26 elements 0..44 in five panels. Frames are built from the
// box texts here; the window only moves texts in and bytes out.

inline constexpr int kModbusBoxCount = 45;

// Where each panel's boxes start in Text26.
inline constexpr int kWritePanelFirst[2] = {0, 13};
inline constexpr int kReadPanelFirst[2] = {26, 34};
inline constexpr int kFixedIdBox = 42;
inline constexpr int kFixedCrcLowBox = 43;
inline constexpr int kFixedCrcHighBox = 44;

// Offsets inside a write panel (add kWritePanelFirst).
inline constexpr int kWriteRegisterCountLow = 5;
inline constexpr int kWriteByteCount = 6;
inline constexpr int kWriteFirstData = 7;  // 7..10
inline constexpr int kWriteCrcLow = 11;
inline constexpr int kWriteCrcHigh = 12;
// Offsets inside a read panel (add kReadPanelFirst).
inline constexpr int kReadCrcLow = 6;
inline constexpr int kReadCrcHigh = 7;

// Design texts of Text26(0) to Text26(44).
const std::array<QString, kModbusBoxCount>& modbusDesignTexts();

// Caption of each frame of a panel, left to right, with the first and last element it holds.
struct ModbusField {
    const char* caption;
    int first;
    int last;
};
QList<ModbusField> modbusPanelFields(int panel);

// A whole decimal number (spaces around allowed), as the count boxes hold; nothing otherwise.
std::optional<long long> parseDecimalCount(QStringView text);

// Result of building a frame from box texts: the frame, or the element that stopped it.
struct ModbusBuild {
    enum class Problem { None, NotAHexByte, ByteCountNotTwoOrFour, RegisterCountNotANumber };
    QByteArray frame;
    Problem problem = Problem::None;
    int badElement = -1;
};

// Write panel 0 or 1 from all 45 texts: 9 bytes for byte count 2 (the third and fourth data
// boxes), 11 bytes for byte count 4. Every box the frame takes must hold a hexadecimal byte
// (empty reads as 00), the register count must be a decimal number and the byte count the
// decimal number 2 or 4.
ModbusBuild buildWriteFrame(const std::array<QString, kModbusBoxCount>& texts, int panel);
// Read panel 0 or 1 (panels 2 and 3 of the page): its six boxes in order.
ModbusBuild buildReadFrame(const std::array<QString, kModbusBoxCount>& texts, int readPanel);

// The two fixed one-register writes of panel 4.
enum class FixedFrame { AsciiMode, Save };
ModbusBuild buildFixedFrame(const QString& idText, FixedFrame which);

// The message naming the box that stopped a send as the user sees it (its frame's caption,
// which box in it, which panel), never by its internal name.
QString modbusRefusal(const ModbusBuild& build, const QString& boxText);
QString modbusBoxName(int element);

// What the register-count coupling does to one write panel for its register-count text.
struct CouplingStep {
    std::optional<QString> registerCount;  // new text of the register-count low box
    std::optional<QString> byteCount;  // new text of the byte-count box
    std::optional<bool> firstDataVisible;  // show or hide the first two data boxes
};
// An empty or non-numeric register count changes nothing (the operator is still typing; the
// send refuses it if it stays so).
CouplingStep registerCountCoupling(const QString& registerCountText);

// Settings keys and the element each restores into, in the order of the panels.
const QList<std::pair<QString, int>>& modbusSettingKeys();
// The keys a send of the given panel (0..4) saves.
QList<std::pair<QString, int>> modbusKeysOfPanel(int panel);

}  // namespace tessa

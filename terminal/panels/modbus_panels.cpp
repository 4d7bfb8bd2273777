#include "panels/modbus_panels.h"

#include "frames/frame_text.h"
#include "settings/settings_keys.h"

using namespace Qt::StringLiterals;

namespace tessa {

const std::array<QString, kModbusBoxCount>& modbusDesignTexts()
{
    static const std::array<QString, kModbusBoxCount> texts {
        // panel 0
        u"01"_s, u"10"_s, u"01"_s, u"04"_s, u"00"_s, u"02"_s, u"04"_s, u"00"_s, u"00"_s, u"06"_s, u"40"_s, u"00"_s,
        u"00"_s,
        // panel 1
        u"01"_s, u"10"_s, u"01"_s, u"06"_s, u"00"_s, u"01"_s, u"02"_s, u"00"_s, u"00"_s, u"00"_s, u"00"_s, u"00"_s,
        u"00"_s,
        // panel 2
        u"01"_s, u"03"_s, u"02"_s, u"00"_s, u"00"_s, u"01"_s, u"00"_s, u"00"_s,
        // panel 3
        u"01"_s, u"03"_s, u"02"_s, u"01"_s, u"00"_s, u"02"_s, u"00"_s, u"00"_s,
        // panel 4
        u"01"_s, u"00"_s, u"00"_s};
    return texts;
}

QList<ModbusField> modbusPanelFields(int panel)
{
    if (panel == 0 || panel == 1) {
        const int f = kWritePanelFirst[panel];
        return {{"ID", f, f},          {"Write", f + 1, f + 1}, {"Address", f + 2, f + 3}, {"Register", f + 4, f + 5},
                {"Len", f + 6, f + 6}, {"Data", f + 7, f + 10}, {"CRC", f + 11, f + 12}};
    }
    if (panel == 2 || panel == 3) {
        const int f = kReadPanelFirst[panel - 2];
        return {{"ID", f, f},
                {"Read", f + 1, f + 1},
                {"Address", f + 2, f + 3},
                {"Register", f + 4, f + 5},
                {"CRC", f + 6, f + 7}};
    }
    return {{"ID", kFixedIdBox, kFixedCrcHighBox}};
}

std::optional<long long> parseDecimalCount(QStringView text)
{
    const QStringView t = text.trimmed();
    if (t.isEmpty())
        return std::nullopt;
    bool ok = false;
    const long long value = t.toLongLong(&ok, 10);
    if (!ok)
        return std::nullopt;
    return value;
}

namespace {

// Appends the byte of each element; stops at the first box that holds no byte.
bool appendBytes(ModbusBuild& build, const std::array<QString, kModbusBoxCount>& texts,
                 std::initializer_list<int> elements)
{
    for (int e : elements) {
        const std::optional<std::uint8_t> value = parseHexByte(texts[e]);
        if (!value) {
            build.problem = ModbusBuild::Problem::NotAHexByte;
            build.badElement = e;
            build.frame.clear();
            return false;
        }
        build.frame.append(static_cast<char>(*value));
    }
    return true;
}

}  // namespace

ModbusBuild buildWriteFrame(const std::array<QString, kModbusBoxCount>& texts, int panel)
{
    const int f = kWritePanelFirst[panel];
    ModbusBuild build;
    const std::optional<long long> count = parseDecimalCount(texts[f + kWriteByteCount]);
    if (!count || (*count != 2 && *count != 4)) {
        build.problem = ModbusBuild::Problem::ByteCountNotTwoOrFour;
        build.badElement = f + kWriteByteCount;
        return build;
    }
    if (!parseDecimalCount(texts[f + kWriteRegisterCountLow])) {
        build.problem = ModbusBuild::Problem::RegisterCountNotANumber;
        build.badElement = f + kWriteRegisterCountLow;
        return build;
    }
    if (!appendBytes(build, texts, {f, f + 1, f + 2, f + 3, f + 4, f + 5, f + 6}))
        return build;
    if (*count == 2)
        appendBytes(build, texts, {f + 9, f + 10});
    else
        appendBytes(build, texts, {f + 7, f + 8, f + 9, f + 10});
    return build;
}

ModbusBuild buildReadFrame(const std::array<QString, kModbusBoxCount>& texts, int readPanel)
{
    const int f = kReadPanelFirst[readPanel];
    ModbusBuild build;
    appendBytes(build, texts, {f, f + 1, f + 2, f + 3, f + 4, f + 5});
    return build;
}

ModbusBuild buildFixedFrame(const QString& idText, FixedFrame which)
{
    ModbusBuild build;
    const std::optional<std::uint8_t> id = parseHexByte(idText);
    if (!id) {
        build.problem = ModbusBuild::Problem::NotAHexByte;
        build.badElement = kFixedIdBox;
        return build;
    }
    build.frame.append(static_cast<char>(*id));
    build.frame.append(which == FixedFrame::AsciiMode ? QByteArray::fromHex("10003A0001020000")
                                                      : QByteArray::fromHex("1003030001020000"));
    return build;
}

QString modbusBoxName(int element)
{
    for (int panel = 0; panel < 5; ++panel) {
        for (const ModbusField& field : modbusPanelFields(panel)) {
            if (element < field.first || element > field.last)
                continue;
            const QString caption = QString::fromLatin1(field.caption);
            // Panel 4's CRC boxes lie under its ID box: only the ID box is seen there.
            const bool one = field.first == field.last || panel == 4;
            return (one ? u"The \"%1\" box"_s.arg(caption)
                        : u"The \"%1\" box %2"_s.arg(caption).arg(element - field.first + 1))
                + u" of panel %1 (from the top)"_s.arg(panel + 1);
        }
    }
    return u"A box"_s;
}

QString modbusRefusal(const ModbusBuild& build, const QString& boxText)
{
    const QString box = modbusBoxName(build.badElement);
    if (build.problem == ModbusBuild::Problem::ByteCountNotTwoOrFour)
        return u"%1 holds \"%2\": the byte count must be 2 or 4. Nothing was sent."_s.arg(box, boxText);
    if (build.problem == ModbusBuild::Problem::RegisterCountNotANumber)
        return u"%1 holds \"%2\": the register count must be 1 or 2. Nothing was sent."_s.arg(box, boxText);
    return u"%1 holds \"%2\", which is not a hexadecimal byte (00 to FF). Nothing was sent."_s.arg(box, boxText);
}

CouplingStep registerCountCoupling(const QString& registerCountText)
{
    CouplingStep step;
    const std::optional<long long> r = parseDecimalCount(registerCountText);
    if (!r)
        return step;
    if (*r == 1) {
        step.byteCount = u"02"_s;
        step.firstDataVisible = false;
    }
    if (*r == 2) {
        step.byteCount = u"04"_s;
        step.firstDataVisible = true;
    }
    if (*r > 2)
        step.registerCount = u"02"_s;
    if (*r < 1)
        step.registerCount = u"01"_s;
    return step;
}

QList<std::pair<QString, int>> modbusKeysOfPanel(int panel)
{
    QList<std::pair<QString, int>> keys;
    if (panel == 0 || panel == 1) {
        const int f = kWritePanelFirst[panel];
        const int n = panel + 1;
        keys.append({modbusBoxKey(n, 1), f});
        keys.append({modbusBoxKey(n, 3), f + 2});
        keys.append({modbusBoxKey(n, 4), f + 3});
        keys.append({modbusBoxKey(n, 5), f + 6});
        for (int k = 0; k < 4; ++k)
            keys.append({modbusBoxKey(n, 6 + k), f + 7 + k});
    } else if (panel == 2 || panel == 3) {
        const int f = kReadPanelFirst[panel - 2];
        const int n = panel + 1;
        keys.append({modbusBoxKey(n, 1), f});
        for (int k = 0; k < 4; ++k)
            keys.append({modbusBoxKey(n, 2 + k), f + 2 + k});
    } else {
        keys.append({kModbusFixedIdKey, kFixedIdBox});
    }
    return keys;
}

const QList<std::pair<QString, int>>& modbusSettingKeys()
{
    static const QList<std::pair<QString, int>> keys = [] {
        QList<std::pair<QString, int>> all;
        for (int panel = 0; panel < 5; ++panel)
            all += modbusKeysOfPanel(panel);
        return all;
    }();
    return keys;
}

}  // namespace tessa

#include "settings/settings_store.h"
#include "settings/startup_settings.h"

#include <gtest/gtest.h>

#include <QSettings>
#include <QTemporaryDir>

using namespace tessa;

namespace {

// Each test gets its own settings file.
class StartupSettingsTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString file = dir.path() + QStringLiteral("/settings.ini");
    SettingsStore store {file};
};

}  // namespace

TEST_F(StartupSettingsTest, WidthTypeZeroIsNarrowAnythingElseWide)
{
    const struct {
        const char* stored;
        bool narrow;
    } cases[] = {{"0", true},   {" 0 ", true},  {"00", true}, {"1", false},  {"2", false},
                 {"-1", false}, {"abc", false}, {"", false},  {"0x", false}, {"99999", false}};
    for (const auto& c : cases) {
        store.write(QStringLiteral("Width_type"), QString::fromLatin1(c.stored));
        EXPECT_EQ(readStartupSettings(store).narrow, c.narrow) << c.stored;
    }
}

TEST_F(StartupSettingsTest, BadBaudIndexTakesTheDefault)
{
    store.write(QStringLiteral("REL1"), QStringLiteral("x"));
    for (const char* stored : {"8", "-1", "nine", "", "3.5", "70000"}) {
        store.write(QStringLiteral("BAUD RATE"), QString::fromLatin1(stored));
        EXPECT_EQ(readStartupSettings(store).baudIndex, kDefaultBaudIndex) << stored;
    }
    store.write(QStringLiteral("BAUD RATE"), QStringLiteral("7"));
    EXPECT_EQ(readStartupSettings(store).baudIndex, 7);
    store.write(QStringLiteral("BAUD RATE"), QStringLiteral("0"));
    EXPECT_EQ(readStartupSettings(store).baudIndex, 0);
}

TEST(PanelSettingKeys, ListsTheFortySevenPanelKeys)
{
    QStringList keys = panelSettingKeys();
    EXPECT_EQ(keys.size(), 8 + 8 + 2 + 8 + 8 + 5 + 5 + 1);
    EXPECT_EQ(keys.removeDuplicates(), 0);
    for (const char* key : {"REL1", "REL8", "RELID1", "RELID8", "Renc", "sabs", "Modbus1_1", "Modbus1_3", "Modbus1_9",
                            "Modbus2_1", "Modbus2_9", "Modbus3_1", "Modbus3_5", "Modbus4_5", "Modbus5"})
        EXPECT_TRUE(keys.contains(QString::fromLatin1(key))) << key;
    EXPECT_FALSE(keys.contains(QStringLiteral("Modbus1_2")));
    EXPECT_FALSE(keys.contains(QStringLiteral("Modbus2_2")));
}

TEST(SettingsStore, WritesAtOnceIntoGroupRecord)
{
    QTemporaryDir dir;
    const QString file = dir.path() + QStringLiteral("/s.ini");
    SettingsStore store(file);
    store.write(QStringLiteral("COM PORT"), QStringLiteral("7"));
    // Another reader sees the value before the store is destroyed: nothing is held back.
    QSettings reader(file, QSettings::IniFormat);
    EXPECT_EQ(reader.value(QStringLiteral("Record/COM PORT")).toString(), "7");
    EXPECT_TRUE(store.contains(QStringLiteral("COM PORT")));
    EXPECT_EQ(store.read(QStringLiteral("missing"), QStringLiteral("dflt")), "dflt");

    store.setPortPath(3, QStringLiteral("/dev/ttyUSB0"));
    QSettings reader2(file, QSettings::IniFormat);
    EXPECT_EQ(reader2.value(QStringLiteral("Ports/COM3")).toString(), "/dev/ttyUSB0");
    store.setPortPath(3, QString());
    EXPECT_TRUE(store.portPath(3).isEmpty());
}

TEST(ParseInt16, WholeNumbersOnly)
{
    EXPECT_EQ(parseInt16(u"12"), 12);
    EXPECT_EQ(parseInt16(u" -3 "), -3);
    EXPECT_EQ(parseInt16(u"32767"), 32767);
    EXPECT_FALSE(parseInt16(u"32768").has_value());
    EXPECT_FALSE(parseInt16(u"1a").has_value());
    EXPECT_FALSE(parseInt16(u"").has_value());
}

// The program model without a widget: records as values, edits, replay, files.
#include "program/program_model.h"

#include "support/bytes_of.h"

#include <QBuffer>

#include <gtest/gtest.h>
#include <tuple>

using namespace tessa;

namespace {

using tessa::testing::bytesOf;

QStringList shownLines(const ProgramModel& program)
{
    QStringList lines;
    for (int row = 0; row < program.rowCount(); ++row)
        lines << program.data(program.index(row)).toString();
    return lines;
}

}  // namespace

TEST(ProgramRecordValue, TextFormRoundTripsEveryShape)
{
    struct Case {
        QString text;
        ProgramRecord record;
    };
    const QList<Case> cases = {
        {"(H)DA01 03 ", {.kind = ProgramRecord::Kind::Data, .hex = true, .crLf = true, .data = "01 03 ", .delayMs = 0}},
        {"(C)  ver", {.kind = ProgramRecord::Kind::Data, .hex = false, .crLf = false, .data = "ver", .delayMs = 0}},
        {"SYSTEM DELAY 250",
         {.kind = ProgramRecord::Kind::Delay, .hex = false, .crLf = true, .data = {}, .delayMs = 250}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ProgramRecord::fromText(c.text), c.record) << c.text.toStdString();
        EXPECT_EQ(c.record.text(), c.text);
    }
}

TEST(ProgramModelEdits, InsertRemoveReplaceRenumberTheShownLines)
{
    ProgramModel program;
    ASSERT_TRUE(program.append("(C)  a"));
    ASSERT_TRUE(program.append("SYSTEM DELAY 5"));
    int changedFrom = -1;
    int changedTo = -1;
    QObject::connect(&program, &QAbstractItemModel::dataChanged, [&](const QModelIndex& from, const QModelIndex& to) {
        changedFrom = from.row();
        changedTo = to.row();
    });

    ASSERT_TRUE(program.insert(0, "(H)DA0D "));
    EXPECT_EQ(shownLines(program), QStringList({"001 0D  +CrLf", "002 a", "003 SYSTEM DELAY 5"}));
    EXPECT_EQ(std::pair(changedFrom, changedTo), std::pair(1, 2));

    ASSERT_TRUE(program.remove(1));
    EXPECT_EQ(program.records(), QStringList({"(H)DA0D ", "SYSTEM DELAY 5"}));
    EXPECT_EQ(shownLines(program), QStringList({"001 0D  +CrLf", "002 SYSTEM DELAY 5"}));

    ASSERT_TRUE(program.replace(1, "(C)DAz"));
    EXPECT_EQ(program.entry(1), "(C)DAz");
    EXPECT_EQ(std::pair(changedFrom, changedTo), std::pair(1, 1));
    EXPECT_EQ(program.entry(2), QString());

    EXPECT_FALSE(program.remove(2));
    EXPECT_FALSE(program.replace(-1, "(C)  x"));
    EXPECT_FALSE(program.insert(3, "(C)  x"));
    EXPECT_EQ(program.size(), 2);
    program.clear();
    EXPECT_EQ(program.rowCount(), 0);
}

TEST(ProgramModelEdits, AFullProgramTakesNoMoreLines)
{
    ProgramModel program;
    program.setRecords(QStringList(kProgramMaxLines + 5, "(C)  a"));
    EXPECT_EQ(program.size(), kProgramMaxLines);
    EXPECT_TRUE(program.isFull());
    EXPECT_FALSE(program.append("(C)  b"));
    EXPECT_FALSE(program.insert(0, "(C)  b"));
    EXPECT_EQ(program.size(), kProgramMaxLines);
}

TEST(Replay, LinesUpToADelayLeaveInOneTickThenThePauseHolds)
{
    ProgramModel program;
    program.setRecords({"(C)  a", "(H)DA01 03 ", "SYSTEM DELAY 500", "(C)  b"});
    int position = 0;
    ReplayTick tick = replayTick(program, position, false);
    EXPECT_EQ(tick.writes, QList<QByteArray>({"a", bytesOf({1, 3, 13, 10})}));
    EXPECT_EQ(tick.pauseMs, 500);
    EXPECT_FALSE(tick.stop);
    EXPECT_EQ(position, 3);
    tick = replayTick(program, position, false);
    EXPECT_EQ(tick.writes, QList<QByteArray>({"b"}));
    EXPECT_TRUE(tick.stop);
    EXPECT_EQ(position, 4);
    // A finished pass without loop sends nothing more when continued.
    tick = replayTick(program, position, false);
    EXPECT_TRUE(tick.writes.isEmpty());
    EXPECT_TRUE(tick.stop);
}

TEST(Replay, LoopStartsAgainAtLineOne)
{
    ProgramModel program;
    program.setRecords({"(C)  a", "(C)  b"});
    int position = 0;
    ReplayTick tick = replayTick(program, position, true);
    EXPECT_EQ(tick.writes, QList<QByteArray>({"a", "b"}));
    EXPECT_FALSE(tick.stop);
    EXPECT_EQ(position, 0);
    tick = replayTick(program, position, true);
    EXPECT_EQ(tick.writes, QList<QByteArray>({"a", "b"}));
}

TEST(Replay, ZeroNegativeAndNonNumericDelaysNeverStallAndLongOnesAreCapped)
{
    ProgramModel program;
    program.setRecords({"SYSTEM DELAY 0", "(C)  a", "SYSTEM DELAY x", "SYSTEM DELAY -3", "(C)  b"});
    int position = 0;
    const ReplayTick tick = replayTick(program, position, false);
    EXPECT_EQ(std::tuple(tick.writes, tick.pauseMs), std::tuple(QList<QByteArray>({"a", "b"}), 0));
    EXPECT_TRUE(tick.stop);

    program.setRecords({"SYSTEM DELAY 99999"});
    position = 0;
    EXPECT_EQ(replayTick(program, position, false).pauseMs, kMaxDelayMs);
}

TEST(Replay, UnsendableHexIsPassedOverNotSentAsGarbage)
{
    ProgramModel program;
    program.setRecords({"(H)  0G ", "(C)  ok"});
    int position = 0;
    const ReplayTick tick = replayTick(program, position, false);
    EXPECT_EQ(std::tuple(tick.writes, position), std::tuple(QList<QByteArray>({"ok"}), 2));
}

TEST(ProgramModelFiles, SavedBytesLoadBackIntoTheSameProgramWithoutRefusedRecords)
{
    ProgramModel program;
    program.setRecords({"(C)DAver", "SYSTEM DELAY 500", QStringLiteral("(C)  \u00e9\u4e2d")});
    const QByteArray bytes = program.fileBytes();
    EXPECT_EQ(bytes, QByteArray("\"(C)DAver\"\r\n\"SYSTEM DELAY 500\"\r\n\"(C)  \xe9?\"\r\n"));
    EXPECT_EQ(program.charactersBeyondLatin1(), 1);

    ProgramModel loaded;
    loaded.append("(C)  old");
    QByteArray copy = bytes + "\"(H)DA0G \"\r\n";  // a record it refuses, leaves out and says
    QBuffer file(&copy);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const ProgramFileLoad load = loaded.load(file);
    EXPECT_EQ(load.messages().size(), 1);
    EXPECT_EQ(loaded.records(), QStringList({"(C)DAver", "SYSTEM DELAY 500", QStringLiteral("(C)  \u00e9?")}));
}

#include "answers/answer_engine.h"
#include "answers/answer_store.h"
#include "answers/byte_pattern.h"
#include "settings/settings_store.h"

#include "support/bytes_of.h"

#include <gtest/gtest.h>

#include <QRandomGenerator>
#include <QTemporaryDir>

#include <tuple>

using namespace tessa;
using tessa::testing::bytesOf;

namespace {

AnswerRule rule(const QString& pattern, BytePattern::Form form = BytePattern::Form::Text,
                AnswerRule::Action action = AnswerRule::Action::Count)
{
    AnswerRule r;
    r.pattern = pattern;
    r.form = form;
    r.action = action;
    return r;
}

// Every match of pattern in stream, fed as one chunk.
QList<QByteArray> matchesOf(const QString& pattern, const QByteArray& stream,
                            BytePattern::Form form = BytePattern::Form::Text)
{
    StreamMatcher matcher(*BytePattern::parse(pattern, form));
    QList<QByteArray> found;
    QByteArrayView rest(stream);
    while (const auto used = matcher.feed(rest)) {
        found.append(matcher.lastMatch());
        rest = rest.sliced(*used);
    }
    return found;
}

}  // namespace

TEST(BytePattern, WildcardsEscapesAndHex)
{
    using L = QList<QByteArray>;
    // "*" ends a match as soon as it can, from its leftmost start; matches do not overlap.
    EXPECT_EQ(matchesOf("a*b", "xaaybzb"), (L {"aayb"}));
    EXPECT_EQ(matchesOf("a?c", "abcaXcac"), (L {"abc", "aXc"}));
    EXPECT_EQ(matchesOf("aa", "aaaaa"), (L {"aa", "aa"}));
    EXPECT_EQ(matchesOf("*OK*", "..OK..OK"), (L {"OK", "OK"}));
    EXPECT_EQ(matchesOf("\\?\\*\\\\", "a?*\\b"), (L {"?*\\"}));
    EXPECT_EQ(matchesOf("\\r\\n\\x41\\t", "x\r\nA\ty"), (L {"\r\nA\t"}));
    EXPECT_EQ(
        matchesOf("01 03 ?? * FF", bytesOf({0x01, 0x03, 0x01, 0x03, 0x07, 0x09, 0xFF, 0xFF}), BytePattern::Form::Hex),
        (L {bytesOf({0x01, 0x03, 0x01, 0x03, 0x07, 0x09, 0xFF})}));
    EXPECT_EQ(matchesOf("\\xe9t\\xE9", "\xe9t\xe9"), (L {"\xe9t\xe9"}));
    EXPECT_EQ(matchesOf(QString::fromUtf8("été"), "\xe9t\xe9"), (L {"\xe9t\xe9"}));

    // A match longer than the kept window is not found; one just inside it is.
    const QByteArray inside = "<" + QByteArray(StreamMatcher::kMaxMatchBytes - 2, '.') + ">";
    EXPECT_EQ(matchesOf("<*>", inside), (L {inside}));
    EXPECT_TRUE(matchesOf("<*>", "<" + QByteArray(StreamMatcher::kMaxMatchBytes, '.') + ">").isEmpty());

    const std::tuple<QString, BytePattern::Form> refused[] = {{"", BytePattern::Form::Text},
                                                              {"**", BytePattern::Form::Text},
                                                              {"ab\\", BytePattern::Form::Text},
                                                              {"\\x4", BytePattern::Form::Text},
                                                              {QString::fromUtf8("ok\u4e2d"), BytePattern::Form::Text},
                                                              {"01 0G", BytePattern::Form::Hex},
                                                              {"013", BytePattern::Form::Hex},
                                                              {"?", BytePattern::Form::Hex}};
    for (const auto& [text, form] : refused) {
        QString error;
        EXPECT_FALSE(BytePattern::parse(text, form, &error)) << text.toStdString();
        EXPECT_FALSE(error.isEmpty()) << text.toStdString();
    }
}

// One stream, split at random places (seeded, so a failure can be replayed): every split finds
// the same matches, in the same order, as the stream in one piece, and the arrival time of a
// match is that of the chunk holding its last byte.
TEST(AnswerEngine, MatchesAcrossRandomChunkSplits)
{
    const QByteArray stream = QByteArray("boot\r\nlogin: ") + bytesOf({0x01, 0x03, 0x02, 0x12, 0x34, 0xB5, 0x33})
        + "OK 17\r\nnoise login:OK\r\n" + bytesOf({0x01, 0x03, 0x00, 0x01, 0x03, 0x02, 0xAA, 0xBB, 0x00, 0x00})
        + "login:";
    const QList<AnswerRule> rules = {rule("login:"), rule("OK*\r\n"), rule("01 03 02 ?? ??", BytePattern::Form::Hex)};
    using Found = std::tuple<int, QByteArray>;
    const std::vector<Found> expected = {
        {0, "login:"}, {2, bytesOf({0x01, 0x03, 0x02, 0x12, 0x34})}, {1, "OK 17\r\n"}, {0, "login:"},
        {1, "OK\r\n"}, {2, bytesOf({0x01, 0x03, 0x02, 0xAA, 0xBB})}, {0, "login:"}};

    // Where each expected match ends in the stream.
    std::vector<qsizetype> ends;
    ends.reserve(expected.size());
    for (const auto& [r, match] : expected)
        ends.push_back(stream.indexOf(match, ends.empty() ? 0 : ends.back()) + match.size());

    for (quint32 seed = 1; seed <= 200; ++seed) {
        QRandomGenerator random(seed);
        AnswerEngine engine;
        engine.setRules(rules);
        std::vector<Found> found;
        qsizetype at = 0;
        std::int64_t time = 0;
        while (at < stream.size()) {
            const qsizetype length = std::min<qsizetype>(random.bounded(1, 9), stream.size() - at);
            const QByteArray chunk = stream.mid(at, length);
            time += 10;
            for (const auto& firing : engine.feed(chunk, time)) {
                // The match's last byte is in this chunk, which gives its time.
                const qsizetype end = ends.at(std::min(found.size(), ends.size() - 1));
                EXPECT_TRUE(end > at && end <= at + length) << "seed " << seed;
                EXPECT_EQ(firing.arrivalMs, time);
                found.emplace_back(firing.rule, firing.match);
            }
            at += length;
        }
        ASSERT_EQ(found, expected) << "seed " << seed;
        EXPECT_EQ(std::tuple(engine.matchCount(0), engine.matchCount(1), engine.matchCount(2)), std::tuple(3, 2, 2));
    }
}

TEST(AnswerEngine, ActionsSendNoteAndStop)
{
    QList<QByteArray> sent;
    QStringList notes;
    int stops = 0;
    AnswerEngine engine({.send = [&](const QByteArray& b) { sent.append(b); },
                         .note = [&](const QString& n) { notes.append(n); },
                         .stopRun = [&] { ++stops; }});
    auto send = rule("ID?", BytePattern::Form::Text, AnswerRule::Action::Send);
    send.frame = {.hex = true, .data = "01 03 00 00 00 01", .crc = true};
    auto line = rule("PING", BytePattern::Form::Text, AnswerRule::Action::Send);
    line.frame = {.data = "PONG", .crLf = true, .checksum = true};
    auto note = rule("WARN", BytePattern::Form::Text, AnswerRule::Action::Note);
    note.note = "device warned";
    auto disabled = rule("PING");
    disabled.enabled = false;
    engine.setRules({send, line, note, rule("FAIL", BytePattern::Form::Text, AnswerRule::Action::StopRun), disabled});

    engine.feed("ID? PING WARN FAIL", 0);
    const unsigned pongSum = ('P' + 'O' + 'N' + 'G' + '\r' + '\n') & 0xFF;
    EXPECT_EQ(sent,
              (QList<QByteArray> {bytesOf({0x01, 0x03, 0x00, 0x00, 0x00, 0x01, 0x84, 0x0A}),
                                  QByteArray("PONG\r\n") + char(pongSum)}));
    EXPECT_EQ(notes, QStringList {"device warned"});
    EXPECT_EQ(stops, 1);
    EXPECT_EQ(engine.matchCount(4), 0);

    EXPECT_TRUE(answerRuleProblem(rule("ok")).isEmpty());
    auto badFrame = send;
    badFrame.frame.data = "01 0X";
    EXPECT_TRUE(answerRuleProblem(badFrame).contains("frame"));
    EXPECT_TRUE(answerRuleProblem(rule("a\\")).contains("pattern"));
}

// A rule whose answer contains its own pattern, on a line that echoes: without the limit every
// answer would be answered again for ever; with it the chain ends once the second is used up.
TEST(AnswerEngine, RateLimitEndsAnEchoStorm)
{
    QList<QByteArray> line {"HELLO"};
    int sends = 0;
    AnswerEngine engine({.send =
                             [&](const QByteArray& b) {
                                 ++sends;
                                 line.append(b);
                             },
                         .note = {},
                         .stopRun = {}});
    auto storm = rule("HELLO", BytePattern::Form::Text, AnswerRule::Action::Send);
    storm.frame.data = "HELLO";
    engine.setRules({storm});
    engine.setActionsPerSecond(5);
    std::int64_t clock = 0;
    while (!line.isEmpty() && clock < 10000)
        engine.feed(line.takeFirst(), clock += 1);  // each echo 1 ms after its answer
    EXPECT_EQ(sends, 5);
    EXPECT_EQ(engine.suppressedCount(), 1);
    EXPECT_EQ(engine.matchCount(0), 6);

    // A second later the limit allows actions again.
    engine.feed("HELLO", clock + 1000);
    EXPECT_EQ(sends, 6);
}

TEST(AnswerStore, RulesRoundTripThroughTheSettingsAndBadTextIsRefused)
{
    QTemporaryDir dir;
    SettingsStore store(dir.filePath("s.ini"));
    EXPECT_TRUE(loadAnswerRules(store).isEmpty());
    EXPECT_EQ(loadAnswerRate(store), AnswerEngine::kDefaultActionsPerSecond);

    auto a = rule("01 ?? 02", BytePattern::Form::Hex, AnswerRule::Action::Send);
    a.name = "reply";
    a.frame = {.hex = true, .data = "0A 0B", .checksum = true, .crc = true};
    auto b = rule(QString::fromUtf8("prompt> é"), BytePattern::Form::Text, AnswerRule::Action::Note);
    b.note = QString::fromUtf8("註記");
    b.enabled = false;
    saveAnswerRules(store, {a, b, rule("x", BytePattern::Form::Text, AnswerRule::Action::StopRun)});
    saveAnswerRate(store, 7);
    SettingsStore again(dir.filePath("s.ini"));
    EXPECT_EQ(loadAnswerRules(again),
              (QList<AnswerRule> {a, b, rule("x", BytePattern::Form::Text, AnswerRule::Action::StopRun)}));
    EXPECT_EQ(loadAnswerRate(again), 7);

    for (const char* bad : {"{", "{}", "[1]", R"([{"action":"explode"}])", R"([{"form":"octal"}])"}) {
        QString error;
        EXPECT_FALSE(answerRulesFromJson(bad, &error)) << bad;
        EXPECT_FALSE(error.isEmpty()) << bad;
    }
}

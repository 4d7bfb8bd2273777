#include "session/session_file.h"

#include "settings/startup_settings.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

using namespace tessa;
using namespace Qt::StringLiterals;

namespace {

Session benchSession()
{
    Session s;
    s.portNumber = 7;
    s.line = {.baudRate = 115200,
              .parity = LineSettings::Parity::Even,
              .dataBits = 7,
              .stopBits = LineSettings::kOneAndHalfStopBits,
              .flowControl = LineSettings::FlowControl::RtsCts};
    AnswerRule send;
    send.name = u"login"_s;
    send.pattern = u"login:*"_s;
    send.action = AnswerRule::Action::Send;
    send.frame = {.hex = true, .data = u"01 03 00 00 00 01"_s, .crc = true};
    AnswerRule note;
    note.form = BytePattern::Form::Hex;
    note.pattern = u"55 ?? AA"_s;
    note.action = AnswerRule::Action::Note;
    note.note = u"同步 seen"_s;
    note.enabled = false;
    s.answerRules = {send, note};
    s.answerActionsPerSecond = 55;
    s.lastScript = u"/bench/檢查.lua"_s;
    s.panelValues = {{panelSettingKeys().first(), u"12"_s}, {panelSettingKeys().last(), u"-3"_s}};
    s.poll = {.request = u"2,4,0x100,2"_s,
              .periodMs = 0,
              .count = 5000,
              .expect = u"0xFFFF 7"_s,
              .format = u"float32"_s,
              .wordOrder = u"low-first"_s,
              .csv = u"/bench/poll.csv"_s};
    return s;
}

QByteArray withField(const QByteArray& json, const QString& section, const QString& key, const QJsonValue& value)
{
    QJsonObject root = QJsonDocument::fromJson(json).object();
    if (section.isEmpty()) {
        root.insert(key, value);
    } else {
        QJsonObject inner = root.value(section).toObject();
        inner.insert(key, value);
        root.insert(section, inner);
    }
    return QJsonDocument(root).toJson();
}

}  // namespace

// Everything the session holds comes back from a real file as it went in.
TEST(SessionFile, RoundTripThroughAFile)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(u"bench.tessa"_s);
    QString error;
    ASSERT_TRUE(writeSessionFile(path, benchSession(), &error)) << error.toStdString();
    const auto back = readSessionFile(path, &error);
    ASSERT_TRUE(back) << error.toStdString();
    const Session want = benchSession();
    EXPECT_EQ(back->portNumber, want.portNumber);
    EXPECT_EQ(back->line, want.line);
    EXPECT_EQ(back->answerRules, want.answerRules);
    EXPECT_EQ(back->answerActionsPerSecond, want.answerActionsPerSecond);
    EXPECT_EQ(back->lastScript, want.lastScript);
    EXPECT_EQ(back->panelValues, want.panelValues);
    EXPECT_EQ(back->poll, want.poll);
}

// Keys a later version (or a person) added, at the top and inside known sections, are written
// back; known keys take the new values.
TEST(SessionFile, UnknownKeysAreKept)
{
    QByteArray json = sessionJson(benchSession());
    json = withField(json, {}, u"pollPanel"_s, QJsonObject {{u"period"_s, 50}});
    json = withField(json, u"line"_s, u"rs485"_s, true);
    json = withField(json, u"panels"_s, u"FUTURE_BOX"_s, u"x"_s);
    QString error;
    auto session = parseSession(json, &error);
    ASSERT_TRUE(session) << error.toStdString();
    session->portNumber = 9;
    const QJsonObject root = QJsonDocument::fromJson(sessionJson(*session)).object();
    EXPECT_EQ(root[u"pollPanel"_s].toObject()[u"period"_s].toInt(), 50);
    EXPECT_TRUE(root[u"line"_s].toObject()[u"rs485"_s].toBool());
    EXPECT_EQ(root[u"line"_s].toObject()[u"parity"_s].toString(), u"even"_s);
    EXPECT_EQ(root[u"panels"_s].toObject()[u"FUTURE_BOX"_s].toString(), u"x"_s);
    EXPECT_EQ(root[u"port"_s].toInt(), 9);
}

// A minimal file takes the defaults for what it leaves out.
TEST(SessionFile, MissingKeysTakeTheirDefaults)
{
    QString error;
    const auto session = parseSession(R"({"format": "tessa-session", "version": 1})", &error);
    ASSERT_TRUE(session) << error.toStdString();
    EXPECT_EQ(session->portNumber, 1);
    EXPECT_EQ(session->line, LineSettings {});
    EXPECT_TRUE(session->answerRules.isEmpty());
    EXPECT_TRUE(session->panelValues.isEmpty());
}

// Each kind of damage is refused, naming what is wrong.
TEST(SessionFile, DamagedFilesAreRefusedWithTheReason)
{
    const QByteArray good = sessionJson(benchSession());
    QJsonObject badRule = QJsonDocument::fromJson(good).object()[u"answers"_s].toObject();
    badRule[u"rules"_s] = QJsonArray {QJsonObject {{u"form"_s, u"hex"_s}, {u"pattern"_s, u"5G"_s}}};
    const std::pair<QByteArray, const char*> cases[] = {
        {good.left(good.size() / 2), "not JSON"},
        {"[1, 2]", "not a JSON object"},
        {withField(good, {}, u"format"_s, u"other"_s), "format"},
        {withField(good, {}, u"version"_s, 2), "version 2 is newer"},
        {withField(good, {}, u"version"_s, u"1"_s), "version"},
        {withField(good, {}, u"port"_s, 0), "port"},
        {withField(good, {}, u"port"_s, 99), "port"},
        {withField(good, {}, u"port"_s, 2.5), "port"},
        {withField(good, {}, u"line"_s, u"9600,n,8,1"_s), "line: not an object"},
        {withField(good, u"line"_s, u"baud"_s, 12345), "line.baud"},
        {withField(good, u"line"_s, u"parity"_s, u"sometimes"_s), "line.parity"},
        {withField(good, u"line"_s, u"dataBits"_s, 9), "line.dataBits"},
        {withField(good, u"line"_s, u"stopBits"_s, 1), "line.stopBits"},
        {withField(good, u"line"_s, u"flow"_s, u"dtr"_s), "line.flow"},
        {withField(good, u"answers"_s, u"actionsPerSecond"_s, 0), "answers.actionsPerSecond"},
        {withField(good, u"answers"_s, u"rules"_s, u"none"_s), "answers.rules: not a list"},
        {withField(good, {}, u"answers"_s, badRule), "answers.rules: rule 1"},
        {withField(good, {}, u"script"_s, 3), "script"},
        {withField(good, u"panels"_s, panelSettingKeys()[2], 5), "panels."},
        {withField(good, u"poll"_s, u"count"_s, -1), "poll.count"},
        {withField(good, u"poll"_s, u"format"_s, u"bcd"_s), "poll.format"},
        {withField(good, u"poll"_s, u"wordOrder"_s, u"middle"_s), "poll.wordOrder"},
    };
    for (const auto& [json, reason] : cases) {
        QString error;
        EXPECT_FALSE(parseSession(json, &error)) << reason;
        EXPECT_TRUE(error.contains(QLatin1StringView(reason))) << reason << " -> " << error.toStdString();
    }
}

// A file that cannot be read or written says why, and a failed write leaves the old file whole.
TEST(SessionFile, FileErrorsAreReported)
{
    QTemporaryDir dir;
    QString error;
    EXPECT_FALSE(readSessionFile(dir.filePath(u"absent.tessa"_s), &error));
    EXPECT_FALSE(error.isEmpty());
    error.clear();
    EXPECT_FALSE(writeSessionFile(dir.filePath(u"no/such/folder/s.tessa"_s), benchSession(), &error));
    EXPECT_FALSE(error.isEmpty());

    const QString big = dir.filePath(u"big.tessa"_s);
    QFile file(big);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_TRUE(file.resize(17 * 1024 * 1024));
    file.close();
    EXPECT_FALSE(readSessionFile(big, &error));
    EXPECT_TRUE(error.contains(u"MiB"_s)) << error.toStdString();
}

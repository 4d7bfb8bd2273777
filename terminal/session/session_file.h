#pragma once

#include "answers/answer_rule.h"
#include "line/line_settings.h"

#include <QByteArray>
#include <QJsonObject>
#include <QList>
#include <QPair>
#include <QString>

#include <optional>

namespace tessa {

// A bench set-up in one file, so that it travels to the next bench: the port number and line
// settings, the answer rules, the last script, the device panels' boxes and the Modbus polling
// panel's boxes. The file is JSON:
//
//   {
//     "format": "tessa-session", "version": 1,
//     "port": 3,
//     "line": {"baud": 115200, "parity": "none", "dataBits": 8, "stopBits": "1", "flow": "none"},
//     "answers": {"actionsPerSecond": 20, "rules": [ ...as answer_store.h stores them... ]},
//     "script": "/home/bench/check.lua",
//     "panels": {"Modbus1_1": "1", ...},
//     "poll": {"request": "1,3,0x0200,2", "periodMs": 100, "count": 100, "expect": "",
//              "format": "uint16", "wordOrder": "high-first", "csv": ""}
//   }
//
// parity: none/even/odd/mark/space; stopBits: "1", "1.5" or "2"; flow: none/rts-cts/xon-xoff;
// baud: one of the window's rates (baudRateTexts()); port 1..kHighestPortNumber; panels: keys
// of panelSettingKeys(); poll: the Modbus polling panel's boxes as typed (periodMs 0..3600000,
// count 0..100000000, format and wordOrder as register_format.h names them). Keys this version
// does not know, at the top or inside "line", "answers", "panels" and "poll", are kept and
// written back unchanged.
struct PollPanelState {
    QString request = QStringLiteral("1,3,0x0000,2");
    int periodMs = 100;
    qint64 count = 100;
    QString expect;
    QString format = QStringLiteral("uint16");
    QString wordOrder = QStringLiteral("high-first");
    QString csv;

    bool operator==(const PollPanelState&) const = default;
};

struct Session {
    int portNumber = 1;
    LineSettings line;
    QList<AnswerRule> answerRules;
    int answerActionsPerSecond = 20;  // 1..1000
    QString lastScript;  // a path; empty: none
    QList<QPair<QString, QString>> panelValues;  // key, text
    PollPanelState poll;
    // The object the session was read from (empty for a new one): what is not known above.
    QJsonObject kept;
};

// The session in json. Everything is checked before anything is returned, so a caller that
// applies only what it gets never applies half a file. nullopt, with the reason in error, for
// text that is not JSON, not a tessa session, a later version, or any known key with a value
// of the wrong type or out of range (the reason names the key, e.g. "line.baud: 12345 is not
// one of 1200, 2400, ...").
std::optional<Session> parseSession(const QByteArray& json, QString* error);
// The session as JSON text (indented), its kept keys included.
QByteArray sessionJson(const Session& session);

// Reads and parses path (at most 16 MiB); nullopt with the reason (the file's error or the
// parse's) in error.
std::optional<Session> readSessionFile(const QString& path, QString* error);
// Writes the session to path whole or not at all (a QSaveFile); false with the reason in error.
bool writeSessionFile(const QString& path, const Session& session, QString* error);

}  // namespace tessa

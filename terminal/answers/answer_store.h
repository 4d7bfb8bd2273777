#pragma once

#include "answers/answer_rule.h"

#include <QLatin1StringView>
#include <QList>
#include <QString>

#include <optional>

namespace tessa {

class SettingsStore;

// The answer rules in the settings (group "Record"): a JSON array of rules, each
// {"name", "enabled", "form": "text"|"hex", "pattern", "action": "send"|"note"|"count"|"stop",
//  "frame": {"hex", "data", "crlf", "checksum", "crc"}, "note"}.
inline constexpr QLatin1StringView kAnswerRulesKey {"ANSWER RULES"};
// The actions allowed per second, a number 1..1000.
inline constexpr QLatin1StringView kAnswerRateKey {"ANSWER ACTIONS PER SECOND"};

// The rules as the stored JSON text, and back. Reading refuses (nullopt, the reason in error)
// text that is not such an array or a rule with an unknown form or action; missing fields take
// their defaults.
QString answerRulesJson(const QList<AnswerRule>& rules);
std::optional<QList<AnswerRule>> answerRulesFromJson(const QString& json, QString* error = nullptr);

// The store's rules (none when absent or unreadable) and rate limit (the engine's default when
// absent or unreadable).
QList<AnswerRule> loadAnswerRules(const SettingsStore& store);
void saveAnswerRules(SettingsStore& store, const QList<AnswerRule>& rules);
int loadAnswerRate(const SettingsStore& store);
void saveAnswerRate(SettingsStore& store, int actionsPerSecond);

}  // namespace tessa

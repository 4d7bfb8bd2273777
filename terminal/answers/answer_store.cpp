#include "answers/answer_store.h"

#include "answers/answer_engine.h"
#include "settings/settings_store.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace tessa {

QString answerRulesJson(const QList<AnswerRule>& rules)
{
    QJsonArray array;
    for (const auto& rule : rules) {
        const QJsonObject frame {{"hex", rule.frame.hex},
                                 {"data", rule.frame.data},
                                 {"crlf", rule.frame.crLf},
                                 {"checksum", rule.frame.checksum},
                                 {"crc", rule.frame.crc}};
        array.append(QJsonObject {{"name", rule.name},
                                  {"enabled", rule.enabled},
                                  {"form", rule.form == BytePattern::Form::Hex ? "hex" : "text"},
                                  {"pattern", rule.pattern},
                                  {"action", answerActionName(rule.action)},
                                  {"frame", frame},
                                  {"note", rule.note}});
    }
    return QString::fromUtf8(QJsonDocument(array).toJson(QJsonDocument::Compact));
}

std::optional<QList<AnswerRule>> answerRulesFromJson(const QString& json, QString* error)
{
    auto fail = [&](const QString& reason) -> std::optional<QList<AnswerRule>> {
        if (error)
            *error = reason;
        return std::nullopt;
    };
    QJsonParseError parseError;
    const auto document = QJsonDocument::fromJson(json.toUtf8(), &parseError);
    if (parseError.error != QJsonParseError::NoError)
        return fail(QStringLiteral("not JSON: %1 at %2").arg(parseError.errorString()).arg(parseError.offset));
    if (!document.isArray())
        return fail(QStringLiteral("not a list of rules"));
    QList<AnswerRule> rules;
    for (const auto& value : document.array()) {
        if (!value.isObject())
            return fail(QStringLiteral("rule %1 is not an object").arg(rules.size() + 1));
        const auto object = value.toObject();
        AnswerRule rule;
        rule.name = object["name"].toString();
        rule.enabled = object["enabled"].toBool(true);
        const QString form = object["form"].toString(QStringLiteral("text"));
        if (form != u"text" && form != u"hex")
            return fail(QStringLiteral("rule %1: unknown form \"%2\"").arg(rules.size() + 1).arg(form));
        rule.form = form == u"hex" ? BytePattern::Form::Hex : BytePattern::Form::Text;
        rule.pattern = object["pattern"].toString();
        const auto action = answerActionFromName(object["action"].toString(QStringLiteral("count")));
        if (!action)
            return fail(QStringLiteral("rule %1: unknown action \"%2\"")
                            .arg(rules.size() + 1)
                            .arg(object["action"].toString()));
        rule.action = *action;
        const auto frame = object["frame"].toObject();
        rule.frame.hex = frame["hex"].toBool();
        rule.frame.data = frame["data"].toString();
        rule.frame.crLf = frame["crlf"].toBool();
        rule.frame.checksum = frame["checksum"].toBool();
        rule.frame.crc = frame["crc"].toBool();
        rule.note = object["note"].toString();
        rules.append(rule);
    }
    return rules;
}

QList<AnswerRule> loadAnswerRules(const SettingsStore& store)
{
    return answerRulesFromJson(store.read(kAnswerRulesKey, QStringLiteral("[]"))).value_or(QList<AnswerRule>());
}

void saveAnswerRules(SettingsStore& store, const QList<AnswerRule>& rules)
{
    store.write(kAnswerRulesKey, answerRulesJson(rules));
}

int loadAnswerRate(const SettingsStore& store)
{
    bool ok = false;
    const int rate = store.read(kAnswerRateKey, QString()).toInt(&ok);
    return ok && rate >= 1 && rate <= 1000 ? rate : AnswerEngine::kDefaultActionsPerSecond;
}

void saveAnswerRate(SettingsStore& store, int actionsPerSecond)
{
    store.write(kAnswerRateKey, QString::number(actionsPerSecond));
}

}  // namespace tessa

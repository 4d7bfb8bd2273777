#pragma once

#include "answers/answer_rule.h"
#include "answers/byte_pattern.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>

#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <vector>

namespace tessa {

// Runs answer rules over the received stream: each rule's pattern is matched across chunk
// boundaries, and each match (once; matches of a rule never overlap) counts and triggers the
// rule's action. A global rate limit bounds the actions taken, so that rules answering each
// other (or a device echoing an answer) cannot make a storm: beyond kDefaultActionsPerSecond in
// any one second of arrival time, matches are still counted but their actions are suppressed.
//
// The engine only decides; what an action does is left to its Effects. Example:
//   AnswerEngine engine({.send = [&](const QByteArray& b) { port.write(b); }});
//   engine.setRules({rule});
//   connect(&port, &SerialPort::received, [&](const ReceivedChunk& c) { engine.feed(c.bytes, c.steadyUs / 1000); });
class AnswerEngine {
public:
    static constexpr int kDefaultActionsPerSecond = 20;

    struct Effects {
        std::function<void(const QByteArray& bytes)> send;
        std::function<void(const QString& note)> note;
        std::function<void()> stopRun;
    };

    // What one match did.
    struct Firing {
        int rule = -1;  // index in rules()
        QByteArray match;
        std::int64_t arrivalMs = 0;  // arrival time of the chunk that completed the match
        bool suppressed = false;  // the rate limit held the action back
    };

    explicit AnswerEngine(Effects effects = {});

    // Replaces the rules; counts start at 0 and partial matches are forgotten. Rules that
    // cannot be used (answerRuleProblem) and disabled rules never match.
    void setRules(const QList<AnswerRule>& rules);
    const QList<AnswerRule>& rules() const { return rules_; }

    // Actions allowed in any one second (1..1000).
    void setActionsPerSecond(int limit);
    int actionsPerSecond() const { return limit_; }

    // A received chunk and its arrival time (milliseconds on any clock that does not go back).
    // Returns the matches it completed, in stream order.
    std::vector<Firing> feed(QByteArrayView chunk, std::int64_t arrivalMs);

    // Matches of rule index so far (suppressed ones included).
    std::int64_t matchCount(int rule) const;
    // Actions held back by the rate limit so far.
    std::int64_t suppressedCount() const { return suppressed_; }
    // Counts to 0, partial matches forgotten (rules kept).
    void reset();

private:
    bool admit(std::int64_t arrivalMs);
    void act(const AnswerRule& rule, const QByteArray& frame);

    Effects effects_;
    QList<AnswerRule> rules_;
    std::vector<std::optional<StreamMatcher>> matchers_;
    std::vector<QByteArray> frames_;
    std::vector<std::int64_t> counts_;
    std::deque<std::int64_t> recentActions_;
    std::int64_t suppressed_ = 0;
    int limit_ = kDefaultActionsPerSecond;
};

}  // namespace tessa

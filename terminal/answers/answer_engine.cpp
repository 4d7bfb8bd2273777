#include "answers/answer_engine.h"

#include <algorithm>

namespace tessa {

AnswerEngine::AnswerEngine(Effects effects)
    : effects_(std::move(effects))
{
}

void AnswerEngine::setRules(const QList<AnswerRule>& rules)
{
    rules_ = rules;
    matchers_.clear();
    frames_.clear();
    for (const auto& rule : rules_) {
        auto pattern = rule.enabled && answerRuleProblem(rule).isEmpty() ? BytePattern::parse(rule.pattern, rule.form)
                                                                         : std::nullopt;
        if (pattern)
            matchers_.emplace_back(StreamMatcher(std::move(*pattern)));
        else
            matchers_.emplace_back(std::nullopt);
        frames_.push_back(rule.action == AnswerRule::Action::Send ? frameBytes(rule.frame).value_or(QByteArray())
                                                                  : QByteArray());
    }
    counts_.assign(rules_.size(), 0);
    recentActions_.clear();
    suppressed_ = 0;
}

void AnswerEngine::setActionsPerSecond(int limit)
{
    limit_ = std::clamp(limit, 1, 1000);
}

void AnswerEngine::reset()
{
    for (auto& matcher : matchers_) {
        if (matcher)
            matcher->reset();
    }
    std::fill(counts_.begin(), counts_.end(), 0);
    recentActions_.clear();
    suppressed_ = 0;
}

std::int64_t AnswerEngine::matchCount(int rule) const
{
    return rule >= 0 && rule < static_cast<int>(counts_.size()) ? counts_[rule] : 0;
}

bool AnswerEngine::admit(std::int64_t arrivalMs)
{
    while (!recentActions_.empty() && recentActions_.front() <= arrivalMs - 1000)
        recentActions_.pop_front();
    if (static_cast<int>(recentActions_.size()) >= limit_)
        return false;
    recentActions_.push_back(arrivalMs);
    return true;
}

std::vector<AnswerEngine::Firing> AnswerEngine::feed(QByteArrayView chunk, std::int64_t arrivalMs)
{
    // Each rule's matches in this chunk, with where in the chunk they ended, merged in stream
    // order so that actions follow the order the matches arrived in.
    struct Found {
        qsizetype end;
        int rule;
        QByteArray match;
    };
    std::vector<Found> found;
    for (size_t r = 0; r < matchers_.size(); ++r) {
        auto& matcher = matchers_[r];
        if (!matcher)
            continue;
        qsizetype done = 0;
        while (done < chunk.size()) {
            const auto used = matcher->feed(chunk.sliced(done));
            if (!used)
                break;
            done += *used;
            found.push_back({done, static_cast<int>(r), matcher->lastMatch()});
        }
    }
    std::stable_sort(found.begin(), found.end(), [](const Found& a, const Found& b) { return a.end < b.end; });
    std::vector<Firing> firings;
    for (auto& f : found) {
        ++counts_[f.rule];
        const bool allowed = admit(arrivalMs);
        if (allowed)
            act(rules_[f.rule], frames_[f.rule]);
        else
            ++suppressed_;
        firings.push_back({f.rule, std::move(f.match), arrivalMs, !allowed});
    }
    return firings;
}

void AnswerEngine::act(const AnswerRule& rule, const QByteArray& frame)
{
    switch (rule.action) {
    case AnswerRule::Action::Send:
        if (effects_.send)
            effects_.send(frame);
        break;
    case AnswerRule::Action::Note:
        if (effects_.note)
            effects_.note(rule.note);
        break;
    case AnswerRule::Action::StopRun:
        if (effects_.stopRun)
            effects_.stopRun();
        break;
    case AnswerRule::Action::Count:
        break;
    }
}

}  // namespace tessa

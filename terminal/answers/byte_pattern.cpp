#include "answers/byte_pattern.h"

#include <QList>

#include <algorithm>

namespace tessa {

namespace {

int hexDigit(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= '0' && u <= '9')
        return u - '0';
    if (u >= 'a' && u <= 'f')
        return u - 'a' + 10;
    if (u >= 'A' && u <= 'F')
        return u - 'A' + 10;
    return -1;
}

bool parseText(QStringView text, std::vector<BytePattern::Token>& tokens, QString& error)
{
    using Kind = BytePattern::TokenKind;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u'?') {
            tokens.push_back({Kind::AnyByte, 0});
            continue;
        }
        if (c == u'*') {
            tokens.push_back({Kind::AnyRun, 0});
            continue;
        }
        char16_t value = c.unicode();
        if (c == u'\\') {
            if (++i >= text.size()) {
                error = QStringLiteral("a backslash ends the pattern");
                return false;
            }
            const char16_t e = text[i].unicode();
            if (e == 'r')
                value = '\r';
            else if (e == 'n')
                value = '\n';
            else if (e == 't')
                value = '\t';
            else if (e == 'x') {
                const int high = i + 1 < text.size() ? hexDigit(text[i + 1]) : -1;
                const int low = i + 2 < text.size() ? hexDigit(text[i + 2]) : -1;
                if (high < 0 || low < 0) {
                    error = QStringLiteral("\\x needs two hexadecimal digits");
                    return false;
                }
                value = static_cast<char16_t>(high * 16 + low);
                i += 2;
            } else
                value = e;
        }
        if (value > 0xFF) {
            error = QStringLiteral("character %1 is not a single byte").arg(QString(QChar(value)));
            return false;
        }
        tokens.push_back({Kind::Byte, static_cast<std::uint8_t>(value)});
    }
    return true;
}

bool parseHex(QStringView text, std::vector<BytePattern::Token>& tokens, QString& error)
{
    using Kind = BytePattern::TokenKind;
    for (const auto part : text.split(u' ', Qt::SkipEmptyParts)) {
        if (part == u"??")
            tokens.push_back({Kind::AnyByte, 0});
        else if (part == u"*")
            tokens.push_back({Kind::AnyRun, 0});
        else if (part.size() == 2 && hexDigit(part[0]) >= 0 && hexDigit(part[1]) >= 0)
            tokens.push_back({Kind::Byte, static_cast<std::uint8_t>(hexDigit(part[0]) * 16 + hexDigit(part[1]))});
        else {
            error = QStringLiteral("\"%1\" is not a hexadecimal byte, ?? or *").arg(part.toString());
            return false;
        }
    }
    return true;
}

}  // namespace

std::optional<BytePattern> BytePattern::parse(QStringView text, Form form, QString* error)
{
    BytePattern pattern;
    QString reason;
    const bool ok =
        form == Form::Text ? parseText(text, pattern.tokens_, reason) : parseHex(text, pattern.tokens_, reason);
    auto& tokens = pattern.tokens_;
    // Runs of "*" are one "*"; at either end one says nothing.
    tokens.erase(std::unique(tokens.begin(), tokens.end(),
                             [](const Token& a, const Token& b) {
                                 return a.kind == TokenKind::AnyRun && b.kind == TokenKind::AnyRun;
                             }),
                 tokens.end());
    while (!tokens.empty() && tokens.front().kind == TokenKind::AnyRun)
        tokens.erase(tokens.begin());
    while (!tokens.empty() && tokens.back().kind == TokenKind::AnyRun)
        tokens.pop_back();
    if (ok && tokens.empty())
        reason = QStringLiteral("the pattern matches no byte");
    if (!ok || tokens.empty()) {
        if (error)
            *error = reason;
        return std::nullopt;
    }
    pattern.source_ = text.toString();
    return pattern;
}

StreamMatcher::StreamMatcher(BytePattern pattern)
    : starts_(pattern.tokens().size() + 1, -1)
    , next_(pattern.tokens().size() + 1, -1)
    , pattern_(std::move(pattern))
{
}

void StreamMatcher::reset()
{
    std::fill(starts_.begin(), starts_.end(), -1);
    history_.clear();
}

void StreamMatcher::closeOver(std::vector<std::int64_t>& states) const
{
    const auto& tokens = pattern_.tokens();
    for (size_t i = 0; i < tokens.size(); ++i) {
        if (tokens[i].kind == BytePattern::TokenKind::AnyRun && states[i] >= 0
            && (states[i + 1] < 0 || states[i] < states[i + 1]))
            states[i + 1] = states[i];
    }
}

std::optional<qsizetype> StreamMatcher::feed(QByteArrayView data)
{
    const auto& tokens = pattern_.tokens();
    const size_t n = tokens.size();
    auto keep = [&](qsizetype count) {
        history_.append(data.first(count));
        if (history_.size() > kMaxMatchBytes)
            history_.remove(0, history_.size() - kMaxMatchBytes);
    };
    for (qsizetype k = 0; k < data.size(); ++k) {
        const auto byte = static_cast<std::uint8_t>(data[k]);
        const std::int64_t here = offset_++;
        if (starts_[0] < 0)
            starts_[0] = here;
        closeOver(starts_);
        std::fill(next_.begin(), next_.end(), -1);
        // A partial match older than the longest match kept cannot complete.
        const std::int64_t oldest = offset_ - kMaxMatchBytes;
        for (size_t i = 0; i < n; ++i) {
            const std::int64_t start = starts_[i];
            if (start < 0 || start < oldest)
                continue;
            const auto& token = tokens[i];
            const size_t to = token.kind == BytePattern::TokenKind::AnyRun ? i : i + 1;
            if (token.kind == BytePattern::TokenKind::Byte && token.byte != byte)
                continue;
            if (next_[to] < 0 || start < next_[to])
                next_[to] = start;
        }
        closeOver(next_);
        std::swap(starts_, next_);
        if (starts_[n] >= 0) {
            const auto length = static_cast<qsizetype>(offset_ - starts_[n]);
            keep(k + 1);
            lastMatch_ = history_.right(length);
            std::fill(starts_.begin(), starts_.end(), -1);
            return k + 1;
        }
    }
    keep(data.size());
    return std::nullopt;
}

}  // namespace tessa

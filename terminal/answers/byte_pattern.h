#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

#include <cstdint>
#include <optional>
#include <vector>

namespace tessa {

// A pattern of received bytes, for answers and script waits.
//
// Text form: each character is one byte (code points 0..255). "?" stands for any one byte, "*"
// for any run of bytes (shortest first, so a match ends as soon as it can). A backslash takes
// the next character literally ("\?", "\*", "\\") or names a byte: "\r", "\n", "\t", "\xHH".
// Hex form: bytes as hexadecimal pairs separated by spaces ("01 03 ?? 02"); "??" is any byte,
// "*" any run. Leading and trailing "*" say nothing in a stream and are dropped.
//
// Example: BytePattern::parse(u"OK*\\r\\n", BytePattern::Form::Text) matches "OK 12\r\n".
class BytePattern {
public:
    enum class Form { Text, Hex };
    enum class TokenKind { Byte, AnyByte, AnyRun };
    struct Token {
        TokenKind kind = TokenKind::Byte;
        std::uint8_t byte = 0;
    };

    // The pattern of text in the given form; nullopt with the reason in error when the text is
    // not a pattern (empty, a character beyond 255, a bad escape or hex pair).
    static std::optional<BytePattern> parse(QStringView text, Form form, QString* error = nullptr);

    const std::vector<Token>& tokens() const { return tokens_; }
    // The pattern as written, for messages.
    QString source() const { return source_; }

private:
    std::vector<Token> tokens_;
    QString source_;
};

// Finds a pattern in a stream that arrives in chunks: a match may span any number of chunks.
// Matches do not overlap: after one, matching starts afresh with the next byte. A match is the
// earliest-ending one, from its leftmost start. Matches longer than kMaxMatchBytes are not found
// (this bounds the memory a "*" can hold on to).
class StreamMatcher {
public:
    static constexpr qsizetype kMaxMatchBytes = 4096;

    explicit StreamMatcher(BytePattern pattern);

    // Feeds bytes; returns the number of bytes of data consumed up to and including the end of
    // the first match (the match in lastMatch()), or nullopt when data holds no match end (all
    // of it consumed). Call again with the rest of data to find further matches.
    std::optional<qsizetype> feed(QByteArrayView data);
    // The bytes of the last match found.
    const QByteArray& lastMatch() const { return lastMatch_; }
    // Forgets partial matches (a new stream).
    void reset();
    const BytePattern& pattern() const { return pattern_; }

private:
    // Per pattern position: the stream offset where the earliest partial match reaching it
    // began, or -1.
    std::vector<std::int64_t> starts_;
    std::vector<std::int64_t> next_;
    BytePattern pattern_;
    QByteArray history_;  // the last bytes fed, enough to hand back any match
    std::int64_t offset_ = 0;  // stream offset of the next byte
    QByteArray lastMatch_;
    void closeOver(std::vector<std::int64_t>& states) const;
};

}  // namespace tessa

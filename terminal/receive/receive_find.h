#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QStringView>

#include <optional>
#include <utility>
#include <vector>

namespace tessa {

// Where something was found in a receive log: [first, second) of the log's characters.
using FoundSpans = std::vector<std::pair<qsizetype, qsizetype>>;

// Every place the text occurs in the character log, left to right, not overlapping.
FoundSpans findText(QStringView log, QStringView text, Qt::CaseSensitivity sensitivity);

// A byte sequence typed as hex: digit pairs, spaces between bytes optional ("0D 0A", "0d0a").
// Nothing for an empty or malformed text (an odd digit, a character that is no hex digit).
std::optional<QByteArray> parseHexBytes(QStringView typed);

// Every place the bytes occur in the hex log ("41 42 \r\n43 "), across its line breaks too; a
// span covers the digits of the first byte to those of the last.
FoundSpans findBytes(QStringView hexLog, QByteArrayView bytes);

// Which found span to go to from the one starting at `from` (nothing: none was current):
// the next (or previous) one, wrapping round; nothing when there are none.
std::optional<std::size_t> stepFound(const FoundSpans& spans, std::optional<qsizetype> from, bool forward);

}  // namespace tessa

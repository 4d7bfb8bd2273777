#include "gcode/block_reader.h"

#include <cctype>
#include <cstdlib>
#include <string>

#include "gcode/program_error.h"

namespace ktr4path {
namespace {

constexpr std::string_view kSupportedLetters = "AFGIJKMNPRXYZ";

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r';
}

}  // namespace

Block readBlock(std::string_view text, int line)
{
    Block block;
    block.line = line;
    size_t i = 0;
    auto fail = [&](size_t at, const std::string& what) { throw ProgramError(line, static_cast<int>(at) + 1, what); };
    // "%" alone on a line marks the start or end of the program's tape.
    const auto first = text.find_first_not_of(" \t\r");
    if (first != std::string_view::npos && text[first] == '%') {
        if (text.find_first_not_of(" \t\r", first + 1) != std::string_view::npos)
            fail(first, "% must stand alone on its line");
        return block;
    }
    while (i < text.size()) {
        const char c = text[i];
        if (isBlank(c)) {
            ++i;
        } else if (c == ';') {
            break;
        } else if (c == '(') {
            const size_t close = text.find_first_of("()", i + 1);
            if (close == std::string_view::npos)
                fail(i, "comment not closed: ( without )");
            if (text[close] == '(')
                fail(close, "comment inside a comment");
            i = close + 1;
        } else if (c == ')') {
            fail(i, ") without (");
        } else if (std::isalpha(static_cast<unsigned char>(c))) {
            Word word;
            word.letter = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
            word.column = static_cast<int>(i) + 1;
            if (kSupportedLetters.find(word.letter) == std::string_view::npos)
                fail(i, std::string("unknown word ") + word.letter + " (supported: A F G I J K M N P R X Y Z)");
            ++i;
            while (i < text.size() && isBlank(text[i]))
                ++i;
            // A number: optional sign, digits with at most one point, at least one digit.
            const size_t start = i;
            if (i < text.size() && (text[i] == '+' || text[i] == '-'))
                ++i;
            size_t digits = 0, points = 0;
            while (i < text.size() && (std::isdigit(static_cast<unsigned char>(text[i])) || text[i] == '.')) {
                (text[i] == '.' ? points : digits)++;
                ++i;
            }
            if (digits == 0 || points > 1)
                fail(start, std::string(1, word.letter) + " needs a number");
            const std::string number(text.substr(start, i - start));
            word.value = std::strtod(number.c_str(), nullptr);
            block.words.push_back(word);
        } else {
            fail(i, std::string("unexpected character '") + c + "'");
        }
    }
    return block;
}

}  // namespace ktr4path

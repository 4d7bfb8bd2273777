// Splits one program line into its words (letter and number, with the column each starts at),
// dropping comments, so the interpreter sees only what the line asks.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace ktr4path {

struct Word {
    char letter = 0;  // upper case
    double value = 0;
    int column = 0;  // from 1
};

struct Block {
    int line = 0;
    std::vector<Word> words;
};

// Throws ProgramError for a character that is not a word, a word without its number, an open
// comment, or a letter outside the supported words.
Block readBlock(std::string_view text, int line);

}  // namespace ktr4path

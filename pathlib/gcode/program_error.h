// A part program that cannot run: the line and column (both from 1) of the first fault.
#pragma once

#include <stdexcept>
#include <string>

namespace ktr4path {

class ProgramError : public std::runtime_error {
public:
    ProgramError(int line, int column, const std::string& what)
        : std::runtime_error("line " + std::to_string(line) + ", column " + std::to_string(column) + ": " + what)
        , line_(line)
        , column_(column)
        , reason_(what)
    {
    }
    int line() const { return line_; }
    int column() const { return column_; }
    const std::string& reason() const { return reason_; }

private:
    int line_;
    int column_;
    std::string reason_;
};

}  // namespace ktr4path

// The dry run's two forms: text for a person, JSON for a program checking a part program.
#include <cstdio>
#include <string>

#include "gcode/canonical.h"
#include "machine/machine.h"

namespace ktr4path {
namespace {

std::string fixed(double value)
{
    char text[48];
    std::snprintf(text, sizeof text, "%.4f", value);
    // No "-0.0000": a coordinate that rounds to zero is zero.
    if (std::string(text) == "-0.0000")
        return "0.0000";
    return text;
}

std::string axesText(const Position& p)
{
    std::string out;
    for (int i = 0; i < kAxisCount; ++i)
        out += std::string(i ? " " : "") + kAxisLetters[i] + fixed(p[i]);
    return out;
}

std::string axesJson(const Position& p)
{
    std::string out = "{";
    for (int i = 0; i < kAxisCount; ++i)
        out += std::string(i ? ", " : "") + "\"" + kAxisLetters[i] + "\": " + fixed(p[i]);
    return out + "}";
}

std::string centreText(const CanonicalMove& move, const char* separator, bool json)
{
    const PlaneAxes axes = planeAxes(move.plane);
    std::string out;
    for (int k = 0; k < 2; ++k) {
        const char letter = kAxisLetters[k ? axes.second : axes.first];
        out += std::string(k ? separator : "") + (json ? "\"" : "") + letter + (json ? "\": " : "")
            + fixed(move.centre[k]);
    }
    return out;
}

}  // namespace

std::string formatText(const Program& program)
{
    std::string out;
    for (const CanonicalMove& move : program.moves) {
        out += "line " + std::to_string(move.line);
        if (move.n >= 0)
            out += " N" + std::to_string(move.n);
        out += std::string(": ") + moveKindName(move.kind);
        switch (move.kind) {
        case MoveKind::StraightTraverse:
            out += " " + axesText(move.end);
            break;
        case MoveKind::StraightFeed:
            out += " " + axesText(move.end) + " F" + fixed(move.feed);
            break;
        case MoveKind::ArcFeed:
            out += " " + axesText(move.end) + " centre " + centreText(move, " ", false) + " plane "
                + planeName(move.plane) + " turns " + std::to_string(move.turns) + " F" + fixed(move.feed);
            break;
        case MoveKind::Dwell:
            out += " " + fixed(move.seconds) + " s";
            break;
        case MoveKind::Output:
            out += " M" + std::to_string(move.mcode);
            break;
        case MoveKind::ProgramPause:
        case MoveKind::ProgramEnd:
            break;
        }
        out += "\n";
    }
    return out;
}

std::string formatJson(const Program& program)
{
    std::string out = "[";
    bool first = true;
    for (const CanonicalMove& move : program.moves) {
        out += first ? "\n" : ",\n";
        first = false;
        out += "  {\"line\": " + std::to_string(move.line);
        if (move.n >= 0)
            out += ", \"n\": " + std::to_string(move.n);
        out += std::string(", \"kind\": \"") + moveKindName(move.kind) + "\"";
        switch (move.kind) {
        case MoveKind::StraightTraverse:
            out += ", \"end\": " + axesJson(move.end);
            break;
        case MoveKind::StraightFeed:
            out += ", \"end\": " + axesJson(move.end) + ", \"feed\": " + fixed(move.feed);
            break;
        case MoveKind::ArcFeed:
            out += ", \"end\": " + axesJson(move.end) + ", \"centre\": {" + centreText(move, ", ", true)
                + "}, \"plane\": \"" + planeName(move.plane) + "\", \"turns\": " + std::to_string(move.turns)
                + ", \"feed\": " + fixed(move.feed);
            break;
        case MoveKind::Dwell:
            out += ", \"seconds\": " + fixed(move.seconds);
            break;
        case MoveKind::Output:
            out += ", \"mcode\": " + std::to_string(move.mcode);
            break;
        case MoveKind::ProgramPause:
        case MoveKind::ProgramEnd:
            break;
        }
        out += "}";
    }
    return out + (first ? "]\n" : "\n]\n");
}

}  // namespace ktr4path

#include "gcode/interpreter.h"

#include <cmath>
#include <map>
#include <sstream>

#include "gcode/block_reader.h"
#include "gcode/program_error.h"

namespace ktr4path {
namespace {

constexpr double kMmPerInch = 25.4;
// Two points closer than this (mm) are one point: an arc ending where it starts is a full circle.
constexpr double kSamePoint = 1e-6;

// G-codes and M-codes are kept as ten times their number, so G90.1 is 901.
int codeOf(const Word& word)
{
    return static_cast<int>(std::lround(word.value * 10.0));
}

std::string codeText(char letter, int code)
{
    std::ostringstream out;
    out << letter << code / 10;
    if (code % 10)
        out << '.' << code % 10;
    return out.str();
}

// RS274/NGC's modal groups of the supported codes; -1 for a code outside the subset.
int gGroup(int code)
{
    switch (code) {
    case 40:
        return 0;
    case 0:
    case 10:
    case 20:
    case 30:
        return 1;
    case 170:
    case 180:
    case 190:
        return 2;
    case 900:
    case 910:
        return 3;
    case 901:
    case 911:
        return 4;
    case 940:
        return 5;
    case 200:
    case 210:
        return 6;
    default:
        return -1;
    }
}

const char* gGroupName(int group)
{
    static const char* const names[] = {
        "non-modal (G4)", "motion", "plane selection", "distance mode", "arc distance mode", "feed rate mode", "units"};
    return names[group];
}

// M groups: 4 stopping, 7 spindle, 8 coolant, 10 user-defined.
int mGroup(int mcode)
{
    if (mcode == 0 || mcode == 2 || mcode == 30)
        return 4;
    if (mcode >= 3 && mcode <= 5)
        return 7;
    if (mcode >= 7 && mcode <= 9)
        return 8;
    return 10;
}

// The words of one line, sorted by what they mean.
struct LineWords {
    std::map<int, const Word*> gByGroup;  // group -> word
    std::map<int, const Word*> mByGroup;  // group -> word
    std::map<char, const Word*> other;  // one per letter
};

class Interpreter {
public:
    Interpreter(const Machine& machine, const Position& start)
        : machine_(machine)
        , position_(start)
    {
    }

    // Returns false once the program has ended (M2, M30).
    bool run(const Block& block)
    {
        if (block.words.empty())
            return true;
        block_ = &block;
        const LineWords words = sort(block);
        n_ = -1;
        if (const Word* n = find(words, 'N'))
            n_ = std::lround(n->value);
        // The order in which RS274/NGC acts on one line's words.
        if (const Word* f = find(words, 'F')) {
            if (f->value < 0)
                fail(*f, "F must not be negative");
            feedWord_ = f->value;
        }
        for (int group : {7, 8, 10})
            if (auto it = words.mByGroup.find(group); it != words.mByGroup.end())
                output(*it->second);
        const Word* p = find(words, 'P');
        if (auto g4 = words.gByGroup.find(0); g4 != words.gByGroup.end()) {
            if (!p)
                fail(*g4->second, "G4 needs P, the dwell in seconds");
            if (p->value < 0)
                fail(*p, "P (dwell seconds) must not be negative");
            CanonicalMove dwell = base(MoveKind::Dwell);
            dwell.seconds = p->value;
            moves_.push_back(dwell);
        } else if (p) {
            fail(*p, "P word with no G4 to use it");
        }
        if (auto g = words.gByGroup.find(2); g != words.gByGroup.end())
            plane_ = codeOf(*g->second) == 170 ? Plane::XY : codeOf(*g->second) == 180 ? Plane::ZX : Plane::YZ;
        if (auto g = words.gByGroup.find(6); g != words.gByGroup.end())
            inches_ = codeOf(*g->second) == 200;
        if (auto g = words.gByGroup.find(3); g != words.gByGroup.end())
            absolute_ = codeOf(*g->second) == 900;
        if (auto g = words.gByGroup.find(4); g != words.gByGroup.end())
            arcAbsolute_ = codeOf(*g->second) == 901;
        motion(words);
        if (auto m = words.mByGroup.find(4); m != words.mByGroup.end()) {
            const int code = codeOf(*m->second) / 10;
            moves_.push_back(base(code == 0 ? MoveKind::ProgramPause : MoveKind::ProgramEnd));
            if (code != 0)
                return false;
        }
        return true;
    }

    Program take() { return Program {std::move(moves_)}; }

private:
    [[noreturn]] void fail(const Word& word, const std::string& what) const
    {
        throw ProgramError(block_->line, word.column, what);
    }

    static const Word* find(const LineWords& words, char letter)
    {
        auto it = words.other.find(letter);
        return it == words.other.end() ? nullptr : it->second;
    }

    LineWords sort(const Block& block) const
    {
        LineWords words;
        for (size_t i = 0; i < block.words.size(); ++i) {
            const Word& word = block.words[i];
            if (word.letter == 'G') {
                const int code = codeOf(word);
                const int group = std::abs(word.value * 10.0 - code) < 1e-6 ? gGroup(code) : -1;
                if (group < 0)
                    fail(word, "G-code not supported: " + codeText('G', code));
                auto [it, fresh] = words.gByGroup.emplace(group, &word);
                if (!fresh)
                    fail(word,
                         codeText('G', code) + " and " + codeText('G', codeOf(*it->second))
                             + " are both in modal group " + std::to_string(group) + " (" + gGroupName(group)
                             + "); a line may hold one");
            } else if (word.letter == 'M') {
                const int code = codeOf(word);
                if (code % 10 != 0 || std::abs(word.value * 10.0 - code) > 1e-6)
                    fail(word, "M-code not supported: M" + std::to_string(word.value));
                const int mcode = code / 10;
                const int group = mGroup(mcode);
                if (group != 4 && !machine_.output(mcode))
                    fail(word,
                         "M" + std::to_string(mcode)
                             + " is not supported: the machine file maps no output to it (supported: M0, M2, "
                               "M30 and the machine file's [mcode] keys)");
                auto [it, fresh] = words.mByGroup.emplace(group, &word);
                if (!fresh)
                    fail(word,
                         "M" + std::to_string(mcode) + " and M" + std::to_string(codeOf(*it->second) / 10)
                             + " are both in modal group " + std::to_string(group) + "; a line may hold one");
            } else {
                if (word.letter == 'N' && i != 0)
                    fail(word, "N (the line number) must come first on the line");
                if (word.letter == 'N'
                    && (word.value < 0 || word.value > 99999 || word.value != std::floor(word.value)))
                    fail(word, "N must be a whole number 0..99999");
                auto [it, fresh] = words.other.emplace(word.letter, &word);
                if (!fresh)
                    fail(word, std::string("a second ") + word.letter + " word on one line");
            }
        }
        return words;
    }

    CanonicalMove base(MoveKind kind) const
    {
        CanonicalMove move;
        move.kind = kind;
        move.line = block_->line;
        move.n = n_;
        move.start = position_;
        move.end = position_;
        return move;
    }

    void output(const Word& word)
    {
        CanonicalMove move = base(MoveKind::Output);
        move.mcode = codeOf(word) / 10;
        moves_.push_back(move);
    }

    double toMm(double value) const { return inches_ ? value * kMmPerInch : value; }

    void motion(const LineWords& words)
    {
        if (auto g = words.gByGroup.find(1); g != words.gByGroup.end())
            motion_ = codeOf(*g->second);
        const Word* firstAxis = nullptr;
        Position target = position_;
        for (int axis = 0; axis < kAxisCount; ++axis) {
            const char letter = kAxisLetters[axis];
            const Word* word = find(words, letter);
            if (!word)
                continue;
            if (!machine_.axes[axis].present)
                fail(*word, std::string(1, letter) + " word, but the machine file has no [axis." + letter + "]");
            // The rotary axis is in degrees whatever the length units.
            const double value = axis == kA ? word->value : toMm(word->value);
            target[axis] = absolute_ ? value : position_[axis] + value;
            if (!firstAxis)
                firstAxis = word;
        }
        const bool arcMode = motion_ == 20 || motion_ == 30;
        const bool arcNow = arcMode && (firstAxis || words.gByGroup.count(1));
        for (char letter : {'I', 'J', 'K', 'R'})
            if (const Word* word = find(words, letter); word && !arcNow)
                fail(*word, std::string(1, letter) + " word with no G2 or G3 to use it");
        if (!firstAxis && !arcNow)
            return;
        if (motion_ < 0)
            fail(*firstAxis, "axis words with no motion mode (G0, G1, G2, G3) to use them");
        CanonicalMove move = base(motion_ == 0  ? MoveKind::StraightTraverse
                                      : arcMode ? MoveKind::ArcFeed
                                                : MoveKind::StraightFeed);
        move.end = target;
        if (motion_ != 0) {
            if (feedWord_ <= 0)
                fail(words.gByGroup.count(1) ? *words.gByGroup.at(1) : *firstAxis,
                     codeText('G', motion_) + " with no feed rate: give F greater than 0");
            move.feed = toMm(feedWord_);
        }
        const Word& motionWord = words.gByGroup.count(1) ? *words.gByGroup.at(1) : *firstAxis;
        if (arcMode)
            arc(words, motionWord, move);
        moves_.push_back(move);
        position_ = target;
    }

    // gWord: the line's motion word, or its first axis word when the arc mode is kept from before.
    void arc(const LineWords& words, const Word& gWord, CanonicalMove& move) const
    {
        const PlaneAxes axes = planeAxes(plane_);
        const char letters[] = {'X', 'Y', 'Z'};
        const char offsetLetters[] = {'I', 'J', 'K'};
        const char first = letters[axes.first], second = letters[axes.second];
        if (!find(words, first) && !find(words, second))
            fail(gWord,
                 codeText('G', motion_) + " needs " + first + " or " + second + " (the arc's end in the "
                     + planeName(plane_) + " plane)");
        for (int axis : {axes.first, axes.second})
            if (!machine_.axes[axis].present)
                fail(gWord,
                     std::string("an arc in the ") + planeName(plane_) + " plane, but the machine file has no [axis."
                         + letters[axis] + "]");
        move.plane = plane_;
        const bool clockwise = motion_ == 20;
        move.turns = clockwise ? -1 : 1;
        const double p0 = move.start[axes.first], q0 = move.start[axes.second];
        const double p1 = move.end[axes.first], q1 = move.end[axes.second];
        const Word* offP = find(words, offsetLetters[axes.first]);
        const Word* offQ = find(words, offsetLetters[axes.second]);
        const Word* offN = find(words, offsetLetters[axes.normal]);
        if (offN)
            fail(*offN,
                 std::string(1, offsetLetters[axes.normal]) + " word in the " + planeName(plane_) + " plane (it uses "
                     + offsetLetters[axes.first] + " and " + offsetLetters[axes.second] + ")");
        const Word* r = find(words, 'R');
        if (r) {
            if (offP || offQ)
                fail(*r, "R together with I, J or K: give the radius or the centre, not both");
            radiusForm(*r, clockwise, p0, q0, p1, q1, move);
            return;
        }
        if (!offP && !offQ)
            fail(gWord,
                 codeText('G', motion_) + " needs R or the centre (" + offsetLetters[axes.first] + ", "
                     + offsetLetters[axes.second] + ")");
        double cp, cq;
        if (arcAbsolute_) {
            if (!offP || !offQ)
                fail(gWord,
                     codeText('G', motion_) + " in absolute arc distance mode (G90.1) needs both "
                         + offsetLetters[axes.first] + " and " + offsetLetters[axes.second]);
            cp = toMm(offP->value);
            cq = toMm(offQ->value);
        } else {
            cp = p0 + (offP ? toMm(offP->value) : 0.0);
            cq = q0 + (offQ ? toMm(offQ->value) : 0.0);
        }
        const double r0 = std::hypot(p0 - cp, q0 - cq);
        const double r1 = std::hypot(p1 - cp, q1 - cq);
        const Word& at = offP ? *offP : *offQ;
        if (r0 < kSamePoint)
            fail(at, "arc centre is at its start: the radius is 0");
        if (r1 < kSamePoint)
            fail(at, "arc centre is at its end: the radius is 0");
        const double allowed = std::max(kArcRadiusTolerance, kArcRadiusRelativeTolerance * r0);
        if (std::abs(r1 - r0) > allowed) {
            std::ostringstream out;
            out.setf(std::ios::fixed);
            out.precision(4);
            out << "arc end is not on its circle: radius " << r0 << " mm at the start, " << r1
                << " mm at the end (they may differ by " << allowed << " mm)";
            fail(at, out.str());
        }
        move.centre = {cp, cq};
    }

    void radiusForm(const Word& r, bool clockwise, double p0, double q0, double p1, double q1,
                    CanonicalMove& move) const
    {
        const double radius = toMm(r.value);
        const double dp = p1 - p0, dq = q1 - q0;
        const double chord = std::hypot(dp, dq);
        if (chord < kSamePoint)
            fail(r, "an arc in R form cannot end where it starts: give a full circle by its centre (I, J, K)");
        const double half = chord / 2;
        double h2 = radius * radius - half * half;
        if (h2 < 0) {
            const double allowed = std::max(kArcRadiusTolerance, kArcRadiusRelativeTolerance * std::abs(radius));
            if (half - std::abs(radius) > allowed) {
                std::ostringstream out;
                out.setf(std::ios::fixed);
                out.precision(4);
                out << "R " << std::abs(radius) << " mm is less than half the distance to the end (" << half << " mm)";
                fail(r, out.str());
            }
            h2 = 0;
        }
        // The centre lies left of the chord for a counter-clockwise arc of at most half a turn
        // (R > 0), right of it for a clockwise one; R < 0 asks for the longer arc, on the other side.
        const double side = (clockwise ? -1.0 : 1.0) * (radius > 0 ? 1.0 : -1.0);
        const double h = std::sqrt(h2);
        move.centre = {p0 + dp / 2 - side * h * dq / chord, q0 + dq / 2 + side * h * dp / chord};
    }

    const Machine& machine_;
    const Block* block_ = nullptr;
    Position position_;
    long n_ = -1;
    int motion_ = -1;  // G-code x10 of the motion mode; none until a program names one
    Plane plane_ = Plane::XY;
    bool inches_ = false;
    bool absolute_ = true;
    bool arcAbsolute_ = false;
    double feedWord_ = 0;  // in the units in force when it moves
    std::vector<CanonicalMove> moves_;
};

}  // namespace

Program interpret(std::string_view text, const Machine& machine, const Position& start)
{
    Interpreter interpreter(machine, start);
    int line = 0;
    while (!text.empty()) {
        const size_t end = text.find('\n');
        const std::string_view lineText = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        if (!interpreter.run(readBlock(lineText, ++line)))
            break;
    }
    return interpreter.take();
}

}  // namespace ktr4path

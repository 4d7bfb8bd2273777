// Reads a machine description from TOML and checks every value, so that nothing the planner or
// the card would refuse (or misread) gets past loading.
#include <ktr4.h>

#include <toml++/toml.h>

#include <cmath>
#include <cstdlib>
#include <set>
#include <sstream>

#include "machine/machine.h"

namespace ktr4path {
namespace {

// Positions must stay within the card's 32-bit counters.
constexpr double kMaxCounter = 2147483647.0;
constexpr double kMaxPulsesPerUnit = 1.0e6;
constexpr double kMaxAccel = 1.0e6;

std::string number(double value)
{
    std::ostringstream out;
    out.precision(10);
    out << value;
    return out.str();
}

// Names a node by its dotted key and its place in the file.
class Reader {
public:
    explicit Reader(std::string source)
        : source_(std::move(source))
    {
    }

    [[noreturn]] void fail(const std::string& key, const toml::node* node, const std::string& what) const
    {
        const int line = node ? static_cast<int>(node->source().begin.line) : 0;
        const int column = node ? static_cast<int>(node->source().begin.column) : 0;
        std::ostringstream out;
        out << source_;
        if (line)
            out << ':' << line << ':' << column;
        out << ": " << key << ' ' << what;
        throw MachineError(out.str(), line, column);
    }

    static std::string shown(const toml::node& node)
    {
        std::ostringstream out;
        if (const auto* s = node.as_string())
            out << '"' << s->get() << '"';
        else if (node.is_table())
            out << "(a table)";
        else if (node.is_array())
            out << "(an array)";
        else
            node.visit([&](const auto& value) { out << value; });
        return out.str();
    }

    // Refuses keys the table may not hold: a misspelt key would otherwise be ignored silently.
    void onlyKeys(const toml::table& table, const std::string& prefix, const std::set<std::string>& known) const
    {
        for (const auto& [key, node] : table) {
            if (known.count(std::string(key.str())))
                continue;
            std::string list;
            for (const auto& k : known)
                list += (list.empty() ? "" : ", ") + k;
            fail(prefix + std::string(key.str()), &node, "is not a known key (known: " + list + ")");
        }
    }

    double real(const toml::table& table, const std::string& prefix, const char* key, std::optional<double> fallback,
                double low, bool lowIncluded, double high) const
    {
        const std::string name = prefix + key;
        const toml::node* node = table.get(key);
        const std::string range =
            std::string(lowIncluded ? "at least " : "greater than ") + number(low) + " and at most " + number(high);
        if (!node) {
            if (fallback)
                return *fallback;
            fail(name, nullptr, "is missing (a number " + range + ")");
        }
        std::optional<double> value = node->value<double>();
        if (!value || (!node->is_floating_point() && !node->is_integer()))
            fail(name, node, "= " + shown(*node) + ": must be a number " + range);
        if (!std::isfinite(*value) || (lowIncluded ? *value < low : *value <= low) || *value > high)
            fail(name, node, "= " + shown(*node) + ": must be " + range);
        return *value;
    }

    int integer(const toml::table& table, const std::string& prefix, const char* key, std::optional<int> fallback,
                int low, int high) const
    {
        const std::string name = prefix + key;
        const toml::node* node = table.get(key);
        const std::string range = number(low) + ".." + number(high);
        if (!node) {
            if (fallback)
                return *fallback;
            fail(name, nullptr, "is missing (an integer " + range + ")");
        }
        const auto* value = node->as_integer();
        if (!value || value->get() < low || value->get() > high)
            fail(name, node, "= " + shown(*node) + ": must be an integer " + range);
        return static_cast<int>(value->get());
    }

    // A name from a fixed list; the result is the index of the name in the list.
    int choice(const toml::table& table, const std::string& prefix, const char* key, int fallback,
               const std::vector<std::string>& names) const
    {
        const toml::node* node = table.get(key);
        if (!node)
            return fallback;
        std::string list;
        for (const auto& n : names)
            list += (list.empty() ? "\"" : ", \"") + n + "\"";
        const auto* value = node->as_string();
        if (value)
            for (size_t i = 0; i < names.size(); ++i)
                if (names[i] == value->get())
                    return static_cast<int>(i);
        fail(prefix + key, node, "= " + shown(*node) + ": must be one of " + list);
    }

    const toml::table& table(const toml::node& node, const std::string& name) const
    {
        if (!node.is_table())
            fail(name, &node, "= " + shown(node) + ": must be a table");
        return *node.as_table();
    }

private:
    std::string source_;
};

AxisConfig readAxis(const Reader& reader, const toml::table& table, const std::string& prefix)
{
    reader.onlyKeys(table, prefix,
                    {"card", "axis", "pulses_per_unit", "direction", "max_feed", "max_accel", "start_speed",
                     "soft_limit_min", "soft_limit_max", "home_order", "home_mode", "home_direction"});
    AxisConfig axis;
    axis.present = true;
    axis.card = reader.integer(table, prefix, "card", std::nullopt, 0, 15);
    axis.axis = reader.integer(table, prefix, "axis", std::nullopt, 0, 3);
    axis.pulsesPerUnit = reader.real(table, prefix, "pulses_per_unit", std::nullopt, 0, false, kMaxPulsesPerUnit);
    axis.direction = reader.choice(table, prefix, "direction", 0, {"normal", "reversed"}) == 0 ? 1 : -1;
    // The card's top pulse rate bounds the feed an axis can be given.
    const double feedCeiling = kCardMaxPulseRate * 60.0 / axis.pulsesPerUnit;
    axis.maxFeed = reader.real(table, prefix, "max_feed", std::nullopt, 0, false, feedCeiling);
    axis.maxAccel = reader.real(table, prefix, "max_accel", std::nullopt, 0, false, kMaxAccel);
    axis.startSpeed = reader.real(table, prefix, "start_speed", 0.0, 0, true, axis.maxFeed);
    const double travelCeiling = kMaxCounter / axis.pulsesPerUnit;
    axis.softMin = reader.real(table, prefix, "soft_limit_min", std::nullopt, -travelCeiling, true, travelCeiling);
    axis.softMax = reader.real(table, prefix, "soft_limit_max", std::nullopt, -travelCeiling, true, travelCeiling);
    if (axis.softMax <= axis.softMin)
        reader.fail(prefix + "soft_limit_max", table.get("soft_limit_max"),
                    "= " + number(axis.softMax) + ": must be greater than soft_limit_min (" + number(axis.softMin)
                        + ")");
    axis.homeOrder = reader.integer(table, prefix, "home_order", 0, 0, kAxisCount);
    if (const toml::node* mode = table.get("home_mode")) {
        const auto* name = mode->as_string();
        const auto code = name ? homeModeByName(name->get()) : std::nullopt;
        if (!code) {
            std::string list;
            for (const auto& n : homeModeNames())
                list += (list.empty() ? "" : ", ") + n;
            reader.fail(prefix + "home_mode", mode,
                        "= " + Reader::shown(*mode)
                            + ": must be a homing mode of the card, with or without the "
                              "KTR4_HOME_ prefix: "
                            + list);
        }
        axis.homeMode = *code;
    } else if (axis.homeOrder != 0) {
        reader.fail(prefix + "home_mode", nullptr, "is missing: the axis has a home_order, so it needs a homing mode");
    }
    axis.homeDirection = reader.choice(table, prefix, "home_direction", 1, {"plus", "minus"}) == 0
        ? KTR4_HOME_DIR_PLUS
        : KTR4_HOME_DIR_MINUS;
    return axis;
}

OutputMapping readOutput(const Reader& reader, const toml::node& node, const std::string& key,
                         const std::string& prefix)
{
    // Built-in stops are not outputs: their meaning is the program's, not the machine's.
    const std::set<int> reserved {0, 1, 2, 30, 60};
    OutputMapping mapping;
    char* end = nullptr;
    const long code = key.size() > 1 && (key[0] == 'M' || key[0] == 'm') ? std::strtol(key.c_str() + 1, &end, 10) : -1;
    if (!end || *end != '\0' || code < 3 || code > 199 || reserved.count(static_cast<int>(code)))
        reader.fail(prefix, &node,
                    "is not a user M-code: keys are M3..M199, except M30 and M60 (program stops and pallet changes)");
    mapping.mcode = static_cast<int>(code);
    const toml::table& table = reader.table(node, prefix);
    reader.onlyKeys(table, prefix + ".", {"card", "axis", "point", "on"});
    mapping.card = reader.integer(table, prefix + ".", "card", std::nullopt, 0, 15);
    mapping.axis = reader.integer(table, prefix + ".", "axis", std::nullopt, 0, 3);
    const toml::node* point = table.get("point");
    if (!point)
        reader.fail(prefix + ".point", nullptr, "is missing (0..11 or SVON, ARST, OUT2, ERC, TTL_0..TTL_7)");
    std::optional<int> pointCode;
    if (const auto* name = point->as_string())
        pointCode = outputPointByName(name->get());
    else if (const auto* value = point->as_integer(); value && value->get() >= 0 && value->get() <= 11)
        pointCode = static_cast<int>(value->get());
    if (!pointCode)
        reader.fail(prefix + ".point", point,
                    "= " + Reader::shown(*point) + ": must be 0..11 or one of SVON, ARST, OUT2, ERC, TTL_0..TTL_7");
    mapping.point = *pointCode;
    const toml::node* on = table.get("on");
    if (!on || !on->is_boolean())
        reader.fail(prefix + ".on", on,
                    on ? "= " + Reader::shown(*on) + ": must be true or false" : "is missing (true or false)");
    mapping.on = on->as_boolean()->get();
    return mapping;
}

void checkDistinct(const Reader& reader, const Machine& machine, const toml::table* axes)
{
    for (int i = 0; i < kAxisCount; ++i) {
        const AxisConfig& a = machine.axes[i];
        if (!a.present)
            continue;
        const std::string name(1, kAxisLetters[i]);
        for (int j = 0; j < i; ++j) {
            const AxisConfig& b = machine.axes[j];
            if (b.present && a.card == b.card && a.axis == b.axis)
                reader.fail("axis." + name, axes->get(name),
                            "drives card " + number(a.card) + " axis " + number(a.axis) + ", which axis "
                                + kAxisLetters[j] + " already drives");
            if (b.present && a.homeOrder != 0 && a.homeOrder == b.homeOrder)
                reader.fail("axis." + name + ".home_order", axes->get(name),
                            "= " + number(a.homeOrder) + ": axis " + kAxisLetters[j]
                                + " already homes at that place in the order");
        }
    }
}

Machine readMachine(const Reader& reader, const toml::table& root)
{
    reader.onlyKeys(root, "", {"path", "axis", "mcode"});
    Machine machine;
    if (const toml::node* pathNode = root.get("path")) {
        const toml::table& path = reader.table(*pathNode, "path");
        reader.onlyKeys(path, "path.", {"corner_tolerance", "chord_tolerance"});
        machine.cornerTolerance = reader.real(path, "path.", "corner_tolerance", 0.01, 0, false, 10.0);
        machine.chordTolerance = reader.real(path, "path.", "chord_tolerance", 0.002, 0, false, 1.0);
    }
    const toml::node* axesNode = root.get("axis");
    if (!axesNode)
        reader.fail("axis", nullptr, "is missing: at least one of [axis.X], [axis.Y], [axis.Z], [axis.A]");
    const toml::table& axes = reader.table(*axesNode, "axis");
    reader.onlyKeys(axes, "axis.", {"X", "Y", "Z", "A"});
    for (int i = 0; i < kAxisCount; ++i) {
        const std::string name(1, kAxisLetters[i]);
        if (const toml::node* node = axes.get(name))
            machine.axes[i] = readAxis(reader, reader.table(*node, "axis." + name), "axis." + name + ".");
    }
    if (axes.empty())
        reader.fail("axis", axesNode, "is empty: at least one of [axis.X], [axis.Y], [axis.Z], [axis.A]");
    checkDistinct(reader, machine, &axes);
    if (const toml::node* mcodesNode = root.get("mcode")) {
        const toml::table& mcodes = reader.table(*mcodesNode, "mcode");
        for (const auto& [key, node] : mcodes) {
            OutputMapping mapping = readOutput(reader, node, std::string(key.str()), "mcode." + std::string(key.str()));
            if (machine.output(mapping.mcode))
                reader.fail("mcode." + std::string(key.str()), &node, "maps an M-code that is already mapped");
            machine.outputs.push_back(mapping);
        }
    }
    return machine;
}

}  // namespace

int64_t AxisConfig::toPulses(double units) const
{
    return static_cast<int64_t>(std::llround(units * pulsesPerUnit * direction));
}

const OutputMapping* Machine::output(int mcode) const
{
    for (const auto& mapping : outputs)
        if (mapping.mcode == mcode)
            return &mapping;
    return nullptr;
}

namespace {

[[noreturn]] void notToml(const std::string& source, const toml::parse_error& error)
{
    const int line = static_cast<int>(error.source().begin.line);
    const int column = static_cast<int>(error.source().begin.column);
    std::ostringstream out;
    out << source;
    if (line)
        out << ':' << line << ':' << column;
    out << ": " << error.description();
    throw MachineError(out.str(), line, column);
}

}  // namespace

Machine parseMachine(const std::string& text, const std::string& sourceName)
{
    toml::table root;
    try {
        root = toml::parse(text, sourceName);
    } catch (const toml::parse_error& error) {
        notToml(sourceName, error);
    }
    return readMachine(Reader(sourceName), root);
}

Machine loadMachineFile(const std::string& path)
{
    toml::table root;
    try {
        root = toml::parse_file(path);
    } catch (const toml::parse_error& error) {
        notToml(path, error);
    }
    return readMachine(Reader(path), root);
}

}  // namespace ktr4path

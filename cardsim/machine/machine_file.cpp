#include "machine/machine_file.h"

#include <cmath>
#include <functional>
#include <limits>
#include <sstream>
#include <toml++/toml.h>

namespace ktr4sim {

namespace {

using motion::AxisMachine;

// A refusal: where (line, key) and why.
struct Refusal {
    uint32_t line;
    std::string key, why;
};

uint32_t line_of(const toml::source_region& region)
{
    return static_cast<uint32_t>(region.begin.line);
}

// A number in 0..limit from a table key ("3" in card.3).
std::optional<uint8_t> small_number(std::string_view text, unsigned limit)
{
    if (text.empty() || text.size() > 2)
        return std::nullopt;
    unsigned value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + static_cast<unsigned>(c - '0');
    }
    if (value > limit || (text.size() == 2 && text[0] == '0'))
        return std::nullopt;
    return static_cast<uint8_t>(value);
}

class AxisReader {
public:
    AxisReader(std::string prefix, AxisMachine& axis)
        : prefix_(std::move(prefix))
        , axis_(axis)
    {
    }

    void read(const toml::table& table)
    {
        for (auto&& [key, node] : table) {
            const std::string name(key.str());
            const auto found = setters().find(name);
            if (found == setters().end())
                throw Refusal {line_of(key.source()), prefix_ + name, "unknown key"};
            line_[name] = line_of(node.source());
            found->second(*this, node, name);
        }
        check_together();
    }

private:
    using Setter = std::function<void(AxisReader&, const toml::node&, const std::string&)>;

    [[noreturn]] void refuse(const std::string& name, const std::string& why) const
    {
        const auto at = line_.find(name);
        throw Refusal {at == line_.end() ? 0 : at->second, prefix_ + name, why};
    }

    int64_t position(const toml::node& node, const std::string& name) const
    {
        const auto* value = node.as_integer();
        if (value == nullptr)
            refuse(name, "must be a whole number of pulses");
        const int64_t v = value->get();
        if (v < std::numeric_limits<int32_t>::min() || v > std::numeric_limits<int32_t>::max())
            refuse(name, "must lie in -2147483648..2147483647");
        return v;
    }

    int64_t at_least_one(const toml::node& node, const std::string& name) const
    {
        const int64_t v = position(node, name);
        if (v < 1)
            refuse(name, "must be at least 1 (is " + std::to_string(v) + ")");
        return v;
    }

    double number(const toml::node& node, const std::string& name) const
    {
        if (const auto* f = node.as_floating_point())
            return f->get();
        if (const auto* i = node.as_integer())
            return static_cast<double>(i->get());
        refuse(name, "must be a number");
    }

    static const std::map<std::string, Setter>& setters()
    {
        static const std::map<std::string, Setter> table = {
            {"home_position",
             [](AxisReader& r, const toml::node& n, const std::string& k) { r.home_ = r.position(n, k); }},
            {"home_width",
             [](AxisReader& r, const toml::node& n, const std::string& k) { r.width_ = r.at_least_one(n, k); }},
            {"index_first",
             [](AxisReader& r, const toml::node& n, const std::string& k) { r.first_ = r.position(n, k); }},
            {"index_pitch",
             [](AxisReader& r, const toml::node& n, const std::string& k) { r.pitch_ = r.at_least_one(n, k); }},
            {"el_plus",
             [](AxisReader& r, const toml::node& n, const std::string& k) { r.axis_.el_plus = r.position(n, k); }},
            {"el_minus",
             [](AxisReader& r, const toml::node& n, const std::string& k) { r.axis_.el_minus = r.position(n, k); }},
            {"sd_plus",
             [](AxisReader& r, const toml::node& n, const std::string& k) { r.axis_.sd_plus = r.position(n, k); }},
            {"sd_minus",
             [](AxisReader& r, const toml::node& n, const std::string& k) { r.axis_.sd_minus = r.position(n, k); }},
            {"latch_at",
             [](AxisReader& r, const toml::node& n, const std::string& k) { r.axis_.latch_at = r.position(n, k); }},
            {"alarm",
             [](AxisReader& r, const toml::node& n, const std::string& k) {
                 const auto* b = n.as_boolean();
                 if (b == nullptr)
                     r.refuse(k, "must be true or false");
                 r.axis_.alarm = b->get();
             }},
            {"inp_settle_ms",
             [](AxisReader& r, const toml::node& n, const std::string& k) {
                 const double ms = r.number(n, k);
                 if (!(ms >= 0 && ms <= 60000))
                     r.refuse(k, "must lie in 0..60000 ms");
                 r.axis_.inp_settle = static_cast<motion::Tick>(std::llround(ms * motion::kReferenceHz / 1000.0));
             }},
            {"feedback_ratio",
             [](AxisReader& r, const toml::node& n, const std::string& k) {
                 const double ratio = r.number(n, k);
                 if (!(ratio > 0 && ratio <= 1000))
                     r.refuse(k, "must lie above 0 and at most 1000");
                 r.axis_.feedback_ratio = ratio;
             }},
        };
        return table;
    }

    // What only the keys together can contradict.
    void check_together()
    {
        if (width_ && !home_)
            refuse("home_width", "needs home_position");
        if (home_)
            axis_.home = motion::Zone {*home_, width_.value_or(1)};
        if (first_ && !pitch_)
            refuse("index_first", "needs index_pitch");
        if (pitch_)
            axis_.index = motion::IndexMark {first_.value_or(0), *pitch_};
        if (axis_.el_plus && axis_.el_minus && *axis_.el_minus >= *axis_.el_plus)
            refuse("el_minus",
                   "must lie below el_plus (" + std::to_string(*axis_.el_minus) + " is not below "
                       + std::to_string(*axis_.el_plus) + ")");
        if (axis_.sd_plus && axis_.sd_minus && *axis_.sd_minus >= *axis_.sd_plus)
            refuse("sd_minus",
                   "must lie below sd_plus (" + std::to_string(*axis_.sd_minus) + " is not below "
                       + std::to_string(*axis_.sd_plus) + ")");
    }

    std::string prefix_;
    AxisMachine& axis_;
    std::map<std::string, uint32_t> line_;
    std::optional<int64_t> home_, width_, first_, pitch_;
};

const toml::table& table_of(const toml::node& node, const std::string& key)
{
    const auto* table = node.as_table();
    if (table == nullptr)
        throw Refusal {line_of(node.source()), key, "must be a table"};
    return *table;
}

MachineDescription read_tables(const toml::table& root)
{
    MachineDescription machine;
    for (auto&& [key, node] : root) {
        if (key.str() != "card")
            throw Refusal {line_of(key.source()), std::string(key.str()), "unknown key (the file holds card tables)"};
        for (auto&& [number, card] : table_of(node, "card")) {
            const std::string card_key = "card." + std::string(number.str());
            const auto switch_setting = small_number(number.str(), 15);
            if (!switch_setting)
                throw Refusal {line_of(number.source()), card_key, "the card number must be 0..15"};
            auto& axes = machine.cards[*switch_setting];
            for (auto&& [name, axis_table] : table_of(card, card_key)) {
                const std::string axis_key = card_key + "." + std::string(name.str());
                if (name.str() != "axis")
                    throw Refusal {line_of(name.source()), axis_key, "unknown key (a card holds axis tables)"};
                for (auto&& [index, axis] : table_of(axis_table, axis_key)) {
                    const std::string key_of_axis = axis_key + "." + std::string(index.str());
                    const auto a = small_number(index.str(), 3);
                    if (!a)
                        throw Refusal {line_of(index.source()), key_of_axis, "the axis must be 0..3"};
                    AxisReader(key_of_axis + ".", axes[*a]).read(table_of(axis, key_of_axis));
                }
            }
        }
    }
    return machine;
}

}  // namespace

std::optional<MachineDescription> read_machine_file(const std::string& path, std::string* message)
{
    try {
        const toml::table root = toml::parse_file(path);
        return read_tables(root);
    } catch (const toml::parse_error& error) {
        std::ostringstream out;
        out << path;
        if (error.source().begin.line > 0)
            out << ":" << error.source().begin.line;
        out << ": " << error.description();
        *message = out.str();
    } catch (const Refusal& refusal) {
        *message = path + ":" + std::to_string(refusal.line) + ": " + refusal.key + ": " + refusal.why;
    }
    return std::nullopt;
}

}  // namespace ktr4sim

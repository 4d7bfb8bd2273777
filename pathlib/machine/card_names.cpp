// The card's homing modes and output points by their names in ktr4.h, so a machine file says
// "ORG_EZ" rather than a bare number.
#include <ktr4.h>

#include <array>
#include <string_view>
#include <utility>

#include "machine/machine.h"

namespace ktr4path {
namespace {

constexpr std::string_view kHomePrefix = "KTR4_HOME_";

constexpr std::array<std::pair<std::string_view, int>, 13> kHomeModes {{
    {"ORG", KTR4_HOME_ORG},
    {"ORG_DECEL", KTR4_HOME_ORG_DECEL},
    {"ORG_EZ", KTR4_HOME_ORG_EZ},
    {"ORG_BACK", KTR4_HOME_ORG_BACK},
    {"ORG_BACK_FWD", KTR4_HOME_ORG_BACK_FWD},
    {"ORG_BACK_EZ", KTR4_HOME_ORG_BACK_EZ},
    {"EL_BACK", KTR4_HOME_EL_BACK},
    {"EL_BACK_EZ", KTR4_HOME_EL_BACK_EZ},
    {"EZ", KTR4_HOME_EZ},
    {"ORG_BACK_FWD_EZ", KTR4_HOME_ORG_BACK_FWD_EZ},
    {"EL_BACK_ORG", KTR4_HOME_EL_BACK_ORG},
    {"EL_BACK_ORG_EZ", KTR4_HOME_EL_BACK_ORG_EZ},
    {"ORG_SLOW", KTR4_HOME_ORG_SLOW},
}};

std::string_view withoutPrefix(std::string_view name, std::string_view prefix)
{
    if (name.substr(0, prefix.size()) == prefix)
        name.remove_prefix(prefix.size());
    return name;
}

}  // namespace

std::optional<int> homeModeByName(const std::string& name)
{
    const std::string_view bare = withoutPrefix(name, kHomePrefix);
    for (const auto& [modeName, code] : kHomeModes)
        if (modeName == bare)
            return code;
    return std::nullopt;
}

const std::vector<std::string>& homeModeNames()
{
    static const std::vector<std::string> names = [] {
        std::vector<std::string> list;
        list.reserve(kHomeModes.size());
        for (const auto& entry : kHomeModes)
            list.emplace_back(entry.first);
        return list;
    }();
    return names;
}

std::optional<int> outputPointByName(const std::string& name)
{
    const std::string_view bare = withoutPrefix(name, "KTR4_OUT_");
    constexpr std::array<std::pair<std::string_view, int>, 4> kNamed {{
        {"SVON", KTR4_OUT_SVON},
        {"ARST", KTR4_OUT_ARST},
        {"OUT2", KTR4_OUT_OUT2},
        {"ERC", KTR4_OUT_ERC},
    }};
    for (const auto& [pointName, code] : kNamed)
        if (pointName == bare)
            return code;
    // TTL_0..TTL_7 are points 4..11.
    if (bare.size() == 5 && bare.substr(0, 4) == "TTL_" && bare[4] >= '0' && bare[4] <= '7')
        return KTR4_OUT_TTL_0 + (bare[4] - '0');
    return std::nullopt;
}

}  // namespace ktr4path

// What the randomised motion tests check on every case, whatever the arguments: the register
// ranges, the burst a call wrote, and the fixed cases they pin exact values with.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <cstdio>
#include <string>
#include <vector>

#include "sim_fixture.h"

#if defined(__SANITIZE_ADDRESS__)
#define KTR4_UNDER_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define KTR4_UNDER_SANITIZER 1
#endif
#endif

namespace ktr4test::model {

constexpr uint32_t kManualBit = 1u << 13, kShortenedBit = 1u << 26, kSCurveBit = 0x400, kQueueBit = 0x8000;

inline int64_t abs64(int32_t v)
{
    return v < 0 ? -static_cast<int64_t>(v) : v;
}
inline int32_t wrap(int64_t v)
{
    return static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(v)));
}

inline uint64_t env_or(const char* name, uint64_t fallback)
{
    const char* text = std::getenv(name);
    return text && *text ? std::strtoull(text, nullptr, 0) : fallback;
}

// The largest operating-speed register a speed may give: a shortened profile never runs
// faster than the move asked for.
inline uint32_t speed_ceiling(int32_t speed, uint32_t mg)
{
    const int64_t v = (int64_t {mg} + 1) * abs64(speed) / 300;
    return static_cast<uint32_t>(v < 1 ? 1 : v > 65535 ? 65535 : v);
}

// The register ranges as the register table states them.
inline bool in_range(uint32_t code, uint32_t value)
{
    switch (code & ~0x10u) {
    case 0x81:
    case 0x82:
    case 0x83:
    case 0x84:
        return value >= 1 && value <= 65535;
    case 0x85:
        return value >= 2 && value <= 4095;
    case 0x86:
        return value <= 0xFFFFFF;
    case 0x89:
    case 0x8A:
        return value <= 32767;
    case 0x8B:
        return value >= 1 && value <= 65535;  // 0x9B
    default:
        return true;
    }
}

// The value last written to a register of an axis, operating or pre-register alike.
inline uint32_t written(const std::vector<RegisterWrite>& writes, uint32_t axis, uint32_t code)
{
    uint32_t value = 0;
    for (const auto& w : writes)
        if (w.axis == axis && (w.code | 0x10u) == (code | 0x10u))
            value = w.value;
    return value;
}

inline std::vector<uint32_t> codes_of(const std::vector<RegisterWrite>& writes, uint32_t axis)
{
    std::vector<uint32_t> out;
    for (const auto& w : writes)
        if (w.axis == axis)
            out.push_back(w.code);
    return out;
}

// A burst as "axis:code=value ..." in hexadecimal, the form the fixed cases are written in.
inline std::string burst(const std::vector<RegisterWrite>& writes)
{
    std::string out;
    char item[40];
    for (const auto& w : writes) {
        std::snprintf(item, sizeof item, "%s%x:%x=%x", out.empty() ? "" : " ", w.axis, w.code, w.value);
        out += item;
    }
    return out;
}

// Reports the first few failed properties of a randomised run by case and seed.
struct Violations {
    uint64_t seed, count = 0;
    void operator()(uint64_t n, const std::string& what)
    {
        if (++count <= 5)
            ADD_FAILURE() << "case " << n << " (seed " << seed << "): " << what;
    }
};

}  // namespace ktr4test::model

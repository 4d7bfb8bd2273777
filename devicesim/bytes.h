#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tessa_device {

using Bytes = std::vector<std::uint8_t>;
// Milliseconds on a steady clock; the program passes real time, tests pass their own.
using Millis = std::int64_t;

inline Bytes bytesOf(std::string_view text)
{
    return Bytes(text.begin(), text.end());
}
inline std::string textOf(const Bytes& bytes)
{
    return std::string(bytes.begin(), bytes.end());
}

}  // namespace tessa_device

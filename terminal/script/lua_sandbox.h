#pragma once

#include <cstddef>

struct lua_State;

namespace tessa {

// A Lua 5.4 state for scripts that come from anywhere: only the base, string, table, math and
// utf8 libraries, without the functions that reach files or load code (dofile, loadfile, load,
// string.dump; no io, os, package, debug or coroutine library), and a memory cap: an allocation
// beyond it fails, which Lua reports to the script as "not enough memory".
//
// Example:
//   LuaSandbox sandbox(16 * 1024 * 1024);
//   luaL_dostring(sandbox.state(), "x = string.rep('a', 1 << 30)");  // fails: over the cap
// The Lua release the scripts run on, as its header names it: "Lua 5.4.6" (for the About box).
const char* luaRelease();

class LuaSandbox {
public:
    static constexpr std::size_t kDefaultMemoryLimit = 64 * 1024 * 1024;

    // memoryLimit: bytes the state may hold at once (at least 1 MB is sensible; Lua itself
    // needs about 30 KB).
    explicit LuaSandbox(std::size_t memoryLimit = kDefaultMemoryLimit);
    ~LuaSandbox();
    LuaSandbox(const LuaSandbox&) = delete;
    LuaSandbox& operator=(const LuaSandbox&) = delete;

    // Null only when even the bare state did not fit in the limit.
    lua_State* state() const { return state_; }
    std::size_t memoryInUse() const { return inUse_; }
    std::size_t memoryLimit() const { return limit_; }
    // Whether an allocation was refused for the cap.
    bool memoryRefused() const { return refused_; }

private:
    static void* allocate(void* self, void* block, std::size_t oldSize, std::size_t newSize);

    std::size_t limit_;
    std::size_t inUse_ = 0;
    bool refused_ = false;
    lua_State* state_ = nullptr;
};

}  // namespace tessa

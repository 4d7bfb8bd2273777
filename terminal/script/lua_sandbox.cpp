#include "script/lua_sandbox.h"

#include <lua.hpp>

#include <cstdlib>
#include <initializer_list>

namespace tessa {

const char* luaRelease()
{
    return LUA_RELEASE;
}

void* LuaSandbox::allocate(void* self, void* block, std::size_t oldSize, std::size_t newSize)
{
    auto* sandbox = static_cast<LuaSandbox*>(self);
    // Without a block, oldSize names the kind of object, not a size.
    const std::size_t held = block ? oldSize : 0;
    if (newSize == 0) {
        sandbox->inUse_ -= held;
        std::free(block);
        return nullptr;
    }
    if (newSize > held && sandbox->inUse_ - held + newSize > sandbox->limit_) {
        sandbox->refused_ = true;
        return nullptr;
    }
    void* grown = std::realloc(block, newSize);
    if (grown)
        sandbox->inUse_ = sandbox->inUse_ - held + newSize;
    return grown;
}

LuaSandbox::LuaSandbox(std::size_t memoryLimit)
    : limit_(memoryLimit)
{
    state_ = lua_newstate(&LuaSandbox::allocate, this);
    if (!state_)
        return;
    const luaL_Reg libraries[] = {{LUA_GNAME, luaopen_base},
                                  {LUA_TABLIBNAME, luaopen_table},
                                  {LUA_STRLIBNAME, luaopen_string},
                                  {LUA_MATHLIBNAME, luaopen_math},
                                  {LUA_UTF8LIBNAME, luaopen_utf8}};
    for (const auto& library : libraries) {
        luaL_requiref(state_, library.name, library.func, 1);
        lua_pop(state_, 1);
    }
    for (const char* name : {"dofile", "loadfile", "load", "require"}) {
        lua_pushnil(state_);
        lua_setglobal(state_, name);
    }
    // Bytecode could be loaded back by a loader; no function may be turned into it either.
    lua_getglobal(state_, LUA_STRLIBNAME);
    lua_pushnil(state_);
    lua_setfield(state_, -2, "dump");
    lua_pop(state_, 1);
}

LuaSandbox::~LuaSandbox()
{
    if (state_)
        lua_close(state_);
}

}  // namespace tessa

#include "driver_binding.h"

#include <cstdlib>
#include <cstring>
#include <string>

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace ktr4 {
namespace {

DriverOps g_ops {};
bool g_bound = false;
// Why the last attempt failed: "<file>: <the system's reason>"; empty after a success.
std::string g_load_failure;

struct OperationSlot {
    int ordinal;
    const char* symbol;
    void* target;  // address of a function pointer in DriverOps
};

template <typename Fn> void* slot_of(Fn& fn)
{
    static_assert(sizeof(Fn) == sizeof(void*), "operations are plain function pointers");
    return &fn;
}

#if defined(_WIN32)
using LibraryHandle = HMODULE;
std::string driver_file()
{
    return "KTR4IO.dll";
}
std::string system_reason()
{
    const DWORD error = GetLastError();
    char text[256] = {};
    const DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0,
                                        text, sizeof text, nullptr);
    std::string reason(text, length);
    while (!reason.empty() && (reason.back() == '\n' || reason.back() == '\r' || reason.back() == '.'))
        reason.pop_back();
    return reason + " (system error " + std::to_string(error) + ")";
}
LibraryHandle open_library(const std::string& file)
{
    return LoadLibraryA(file.c_str());
}
void* resolve(LibraryHandle lib, const OperationSlot& slot)
{
    return reinterpret_cast<void*>(GetProcAddress(lib, MAKEINTRESOURCEA(slot.ordinal)));
}
void close_library(LibraryHandle lib)
{
    FreeLibrary(lib);
}
#else
using LibraryHandle = void*;

std::string default_driver_path()
{
    // The simulated card ships beside libktr4 itself.
    Dl_info info {};
    if (dladdr(reinterpret_cast<void*>(&bind_driver), &info) != 0 && info.dli_fname != nullptr) {
        std::string self = info.dli_fname;
        const auto slash = self.rfind('/');
        if (slash != std::string::npos)
            return self.substr(0, slash + 1) + "libktr4sim.so";
    }
    return "libktr4sim.so";
}

std::string driver_file()
{
    const char* chosen = std::getenv("KTR4IO_LIBRARY");
    return (chosen != nullptr && *chosen != '\0') ? chosen : default_driver_path();
}
std::string system_reason()
{
    const char* reason = dlerror();
    return reason != nullptr ? reason : "unknown reason";
}
LibraryHandle open_library(const std::string& file)
{
    return dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
}
void* resolve(LibraryHandle lib, const OperationSlot& slot)
{
    return dlsym(lib, slot.symbol);
}
void close_library(LibraryHandle lib)
{
    dlclose(lib);
}
#endif

}  // namespace

int32_t bind_driver()
{
    if (g_bound)
        return KTR4_OK;
    const std::string file = driver_file();
    LibraryHandle lib = open_library(file);
    if (lib == nullptr) {
        // dlerror() names the file already; LoadLibrary's message does not.
#if defined(_WIN32)
        g_load_failure = file + ": " + system_reason();
#else
        g_load_failure = system_reason();
        if (g_load_failure.find(file) == std::string::npos)
            g_load_failure = file + ": " + g_load_failure;
#endif
        return KTR4_ERR_DRIVER_LOAD;
    }

    DriverOps ops {};
    const OperationSlot slots[] = {
        {1, "ktr4io_find_cards", slot_of(ops.find_cards)},
        {2, "ktr4io_card_info", slot_of(ops.card_info)},
        {3, "ktr4io_open_card", slot_of(ops.open_card)},
        {4, "ktr4io_set_interrupt", slot_of(ops.set_interrupt)},
        {5, "ktr4io_read_interrupt_status", slot_of(ops.read_interrupt_status)},
        {6, "ktr4io_reset_interrupt", slot_of(ops.reset_interrupt)},
        {12, "ktr4io_read_port16", slot_of(ops.read_port16)},
        {22, "ktr4io_write_port16", slot_of(ops.write_port16)},
        {50, "ktr4io_read_register", slot_of(ops.read_register)},
        {51, "ktr4io_write_register", slot_of(ops.write_register)},
    };
    for (const OperationSlot& slot : slots) {
        void* fn = resolve(lib, slot);
        if (fn == nullptr) {
#if defined(_WIN32)
            g_load_failure =
                file + ": lacks the operation at ordinal " + std::to_string(slot.ordinal) + " (" + slot.symbol + ")";
#else
            g_load_failure = file + ": lacks the operation " + slot.symbol;
#endif
            close_library(lib);
            return KTR4_ERR_DRIVER_OPERATION;
        }
        std::memcpy(slot.target, &fn, sizeof fn);
    }
    g_ops = ops;
    g_bound = true;
    g_load_failure.clear();
    return KTR4_OK;
}

const std::string& driver_load_failure()
{
    return g_load_failure;
}

const DriverOps& driver()
{
    return g_ops;
}

}  // namespace ktr4

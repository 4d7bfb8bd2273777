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

DriverOps g_ops{};
bool g_bound = false;

struct OperationSlot {
  int ordinal;
  const char* symbol;
  void* target;  // address of a function pointer in DriverOps
};

template <typename Fn>
void* slot_of(Fn& fn) {
  static_assert(sizeof(Fn) == sizeof(void*), "operations are plain function pointers");
  return &fn;
}

#if defined(_WIN32)
using LibraryHandle = HMODULE;
LibraryHandle open_library() { return LoadLibraryA("KTR4IO.dll"); }
void* resolve(LibraryHandle lib, const OperationSlot& slot) {
  return reinterpret_cast<void*>(GetProcAddress(lib, MAKEINTRESOURCEA(slot.ordinal)));
}
void close_library(LibraryHandle lib) { FreeLibrary(lib); }
#else
using LibraryHandle = void*;

std::string default_driver_path() {
  // The simulated card ships beside libktr4 itself.
  Dl_info info{};
  if (dladdr(reinterpret_cast<void*>(&bind_driver), &info) != 0 && info.dli_fname != nullptr) {
    std::string self = info.dli_fname;
    const auto slash = self.rfind('/');
    if (slash != std::string::npos) return self.substr(0, slash + 1) + "libktr4sim.so";
  }
  return "libktr4sim.so";
}

LibraryHandle open_library() {
  const char* chosen = std::getenv("KTR4IO_LIBRARY");
  const std::string path = (chosen != nullptr && *chosen != '\0') ? chosen : default_driver_path();
  return dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
}
void* resolve(LibraryHandle lib, const OperationSlot& slot) { return dlsym(lib, slot.symbol); }
void close_library(LibraryHandle lib) { dlclose(lib); }
#endif

}  // namespace

int32_t bind_driver() {
  if (g_bound) return KTR4_OK;
  LibraryHandle lib = open_library();
  if (lib == nullptr) return KTR4_ERR_DRIVER_LOAD;

  DriverOps ops{};
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
      close_library(lib);
      return KTR4_ERR_DRIVER_OPERATION;
    }
    std::memcpy(slot.target, &fn, sizeof fn);
  }
  g_ops = ops;
  g_bound = true;
  return KTR4_OK;
}

const DriverOps& driver() { return g_ops; }

}  // namespace ktr4

#include "export_call.h"

namespace ktr4 {

std::recursive_mutex& library_mutex() {
  static std::recursive_mutex mutex;
  return mutex;
}

}  // namespace ktr4

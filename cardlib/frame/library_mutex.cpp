#include <new>

#include "export_call.h"

namespace ktr4 {

std::recursive_mutex& library_mutex()
{
    // Never destroyed: the library's own threads may still hold or wait for it while the
    // process runs its exit handlers.
    alignas(std::recursive_mutex) static unsigned char storage[sizeof(std::recursive_mutex)];
    static std::recursive_mutex* mutex = new (storage) std::recursive_mutex;
    return *mutex;
}

}  // namespace ktr4

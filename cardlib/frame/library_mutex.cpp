#include <new>

#include "export_call.h"

namespace ktr4 {

std::mutex& library_mutex()
{
    // Never destroyed: the library's own threads may still hold or wait for it while the
    // process runs its exit handlers.
    alignas(std::mutex) static unsigned char storage[sizeof(std::mutex)];
    static std::mutex* mutex = new (storage) std::mutex;
    return *mutex;
}

}  // namespace ktr4

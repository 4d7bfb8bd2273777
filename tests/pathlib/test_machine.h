// The machine the path library's tests run on: X, Y, Z on card 0, A on card 1 (see the
// example router), M3 and M5 mapped.
#pragma once

#include "machine/machine.h"

namespace ktr4path::test {

inline Machine router()
{
    return loadMachineFile(PATHLIB_EXAMPLES "/router.toml");
}

}  // namespace ktr4path::test

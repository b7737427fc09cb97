// The entry point libFuzzer calls; which target body it runs is chosen when it is built.
#include "fuzz/FuzzTargets.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return QUOREL_FUZZ_TARGET(data, size);
}

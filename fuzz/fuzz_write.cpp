// libFuzzer entry point of the write case; the case itself lives in fuzz/harness.cpp.
#include <cstddef>
#include <cstdint>

#include "fuzz/harness.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    return dovi::fuzz::runWriteCase(data, size);
}

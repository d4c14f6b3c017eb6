// The libFuzzer entry point of one fuzzer; YK_FUZZ_TARGET names its target.
#include "targets/FuzzTargets.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    return yk::fuzz::YK_FUZZ_TARGET(data, size);
}

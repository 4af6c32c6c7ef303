// libFuzzer's entry: statement text through the engine (see enginefuzz.h).
#include "enginefuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 200000)
        return -1; // longer inputs only slow the search down
    runEngineFuzzInput(data, size);
    return 0;
}

// Both drivers of the extraction engine on any bytes, as data.bin and as
// the image in memory (a block of exactly their length). After each input:
// nothing was written outside the two destinations, the drivers agree on
// whether the data file was whole, and then wrote the same files.
#include "fuzz/fuzz_check.h"
#include "tests/unit/both_drivers.h"

#include <unistd.h>

namespace fs = std::filesystem;

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    static const fs::path base = fs::current_path() / ("tremlok-fuzz-" + std::to_string(getpid()));
    fs::create_directories(base);
    fs::current_path(base);
    atexit([] { fs::remove_all(base); });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    int fileResult;
    std::vector<int> results;
    const std::string broken = ExtractBoth(Bytes(data, data + size), &fileResult, &results);
    FUZZ_CHECK(broken.empty(), "%s(data.bin gave %d, the image %d with %d skipped)", broken.c_str(),
               fileResult, results.back(), gExtractSkipped);
    fs::remove_all("w");
    return 0;
}

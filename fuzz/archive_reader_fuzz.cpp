// Both drivers of the extraction engine on any bytes, as data.bin and as
// the image in memory (a block of exactly their length). After each input:
// nothing was written outside the two destinations, the drivers agree on
// whether the data file was whole, and then wrote the same files.
#include "datafile/extract_step.h"
#include "datafile/extract_whole.h"
#include "datafile/format.h"
#include "fuzz/fuzz_check.h"
#include "uninstall/uninstall_log.h"

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

// base/a/b, the current directory, holds data.bin and the destinations out
// and mem; the levels above catch names that climb out.
static fs::path gBase;

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    gBase = fs::current_path() / ("tremlok-fuzz-" + std::to_string(getpid()));
    fs::create_directories(gBase / "a" / "b");
    fs::current_path(gBase / "a" / "b");
    atexit([] { fs::remove_all(gBase); });
    return 0;
}

// Files and folders under root by relative path; folders map to "/".
static std::map<std::string, std::string> TreeOf(const fs::path& root)
{
    std::map<std::string, std::string> tree;
    std::error_code error;
    for (auto it = fs::recursive_directory_iterator(root, error);
         it != fs::recursive_directory_iterator(); it.increment(error))
    {
        FUZZ_CHECK(!it->is_symlink(), "the engine made a link %s", it->path().c_str());
        std::ostringstream content;
        content << std::ifstream(it->path(), std::ios::binary).rdbuf();
        tree[fs::relative(it->path(), root).string()] = it->is_directory() ? "/" : content.str();
    }
    return tree;
}

static bool Within(const std::string& path, const std::string& folder)
{
    return path == folder || path.rfind(folder + "/", 0) == 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::ofstream("data.bin", std::ios::binary).write((const char*)data, (std::streamsize)size);
    const int fileResult = ExtractDataBin("out");

    const std::vector<uint8_t> image(data, data + size);
    char currentFile[kCurrentFileSize];
    int percent = BeginExtract("mem", (const unsigned int*)image.data(), (uint32_t)size);
    // Every record takes at least 6 bytes, so this many calls must finish.
    for (size_t calls = 0; calls <= size / 6 + 1 && percent != 100; ++calls)
    {
        memset(currentFile, 0x7F, sizeof currentFile);
        if ((percent = ExtractNext("mem", currentFile)) == kExtractDamaged)
            break;
        FUZZ_CHECK(percent >= 1 && percent <= 100, "ExtractNext returned %d", percent);
        FUZZ_CHECK(memchr(currentFile, 0, sizeof currentFile), "the current file is unterminated");
        FUZZ_CHECK(percent < 100 || strcmp(currentFile, "Complete") == 0, "100 without Complete");
    }
    FUZZ_CHECK(percent == 100 || percent == kExtractDamaged, "ExtractNext did not finish");
    FUZZ_CHECK(ExtractNext("mem", currentFile) == percent, "ExtractNext went on after its end");
    ResetUninstallLog();

    for (const auto& [path, content] : TreeOf(gBase))
        FUZZ_CHECK(path == "a" || path == "a/b" || path == "a/b/data.bin" ||
                       Within(path, "a/b/out") || Within(path, "a/b/mem"),
                   "%s was written outside the destination", path.c_str());
    FUZZ_CHECK((fileResult == 0) == (percent == 100 && gExtractSkipped == 0),
               "data.bin gave %d, the image %d with %d skipped", fileResult, percent,
               gExtractSkipped);
    FUZZ_CHECK(fileResult != 0 || TreeOf("out") == TreeOf("mem"),
               "the drivers wrote different files");
    fs::remove_all("out");
    fs::remove_all("mem");
    return 0;
}

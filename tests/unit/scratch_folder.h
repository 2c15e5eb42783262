// What the tests share: a fresh scratch folder as each test's current
// directory, file helpers (both_drivers.h), and data files put together
// record by record.
#ifndef TREMLOK_TESTS_SCRATCH_FOLDER_H
#define TREMLOK_TESTS_SCRATCH_FOLDER_H

#include "coders/coder.h"
#include "coders/delta.h"
#include "coders/lzw.h"
#include "datafile/make_path.h"
#include "platform/platform.h"
#include "tests/unit/both_drivers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <tuple>

// Where the engine puts the archive name ("\a\b.txt") under root.
inline std::string Under(const std::string& root, std::string name)
{
    std::replace(name.begin(), name.end(), '\\', kPathSeparator);
    return root + name;
}

// Every test runs in its own empty folder, with an empty uninstall log, in
// memory where it can (natively and under Wine): the engine flushes every
// file it writes.
struct ScratchTest : ::testing::Test
{
    std::filesystem::path previous = std::filesystem::current_path();
    std::string scratch;

    void SetUp() override
    {
        namespace fs = std::filesystem;
        const fs::path memory = kPathSeparator == '\\' ? "Z:\\dev\\shm" : "/dev/shm";
        const auto now = std::chrono::steady_clock::now().time_since_epoch().count();
        scratch = ((fs::is_directory(memory) ? memory : fs::temp_directory_path()) /
                   ("tremlok-" + std::to_string(now)))
                      .string();
        fs::create_directories(scratch);
        fs::current_path(scratch);
        ResetUninstallLog();
    }

    void TearDown() override
    {
        ResetUninstallLog();
        std::filesystem::current_path(previous);
        std::error_code error;
        std::filesystem::remove_all(scratch, error);
    }

    std::string Path(const std::string& name) const { return scratch + kPathSeparator + name; }
};

struct RecordLayout
{
    std::string name;
    std::string content;
    unsigned char method;
};

// The data file of records, coded by the project's encoders; starts gets
// each record's offset and then the end marker's.
inline Bytes ArchiveBytes(const std::vector<RecordLayout>& records,
                          std::vector<size_t>* starts = nullptr)
{
    Bytes bytes(4, 0);
    uint32_t total = 0;
    for (const RecordLayout& r : records)
    {
        if (starts)
            starts->push_back(bytes.size());
        const uint32_t n = (uint32_t)r.content.size();
        Bytes out(r.content.begin(), r.content.end()), coded(CoderOutputBound(n));
        auto* encode = r.method == kMethodLzw ? LzwEncode : DeltaEncode;
        if (r.method == kMethodLzw || r.method == kMethodDelta)
            out.assign(coded.begin(), coded.begin() + encode(out.data(), (int32_t)n, coded.data(),
                                                             (uint32_t)coded.size()));
        bytes.insert(bytes.end(), r.name.c_str(), r.name.c_str() + r.name.size() + 1);
        bytes.resize(bytes.size() + 5, r.method);
        WriteLe32(&bytes[bytes.size() - 5], n);
        bytes.insert(bytes.end(), out.begin(), out.end());
        total += n;
    }
    if (starts)
        starts->push_back(bytes.size());
    bytes.push_back(0);
    WriteLe32(&bytes[0], total);
    return bytes;
}

#ifndef _WIN32
#include <signal.h>
#include <sys/resource.h>

// Caps every file this process writes at bytes (RLIM_INFINITY lifts it): a
// write past it fails as on a full disk.
inline bool LimitFileSize(rlim_t bytes)
{
    signal(SIGXFSZ, SIG_IGN);
    const rlimit limit = {bytes, RLIM_INFINITY};
    return setrlimit(RLIMIT_FSIZE, &limit) == 0;
}
#endif

#endif

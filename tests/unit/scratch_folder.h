// What the tests share: a fresh scratch folder as the current directory of
// each test, file helpers that work the same natively and under Wine, and
// data files put together record by record.
#ifndef TREMLOK_TESTS_SCRATCH_FOLDER_H
#define TREMLOK_TESTS_SCRATCH_FOLDER_H

#include "coders/coder.h"
#include "coders/delta.h"
#include "coders/lzw.h"
#include "datafile/format.h"
#include "platform/platform.h"
#include "uninstall/uninstall_log.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string.h>
#include <string>
#include <vector>

typedef std::vector<unsigned char> Bytes;

// Where the engine puts the archive name ("\a\b.txt") under root.
inline std::string Under(const std::string& root, const std::string& name)
{
    std::string path = root + name;
    for (size_t i = root.size(); i < path.size(); ++i)
        path[i] = path[i] == '\\' ? kPathSeparator : path[i];
    return path;
}

inline bool WriteText(const std::string& path, const std::string& text)
{
    std::ofstream file(path, std::ios::binary);
    file << text;
    file.close();
    return !file.fail();
}

inline bool WriteBytes(const std::string& path, const Bytes& bytes)
{
    return WriteText(path, std::string(bytes.begin(), bytes.end()));
}

// The file's content, or "<missing>" so that a comparison shows it.
inline std::string ReadText(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return file ? text.str() : "<missing>";
}

inline Bytes ReadBytes(const std::string& path)
{
    std::string text = ReadText(path);
    return Bytes(text.begin(), text.end());
}

inline bool Exists(const std::string& path)
{
    std::error_code error;
    return std::filesystem::exists(path, error);
}

// Files and folders under root by relative path, '/' between levels;
// folders map to "/".
inline std::map<std::string, std::string> TreeOf(const std::string& root)
{
    std::map<std::string, std::string> tree;
    std::error_code error;
    for (auto it = std::filesystem::recursive_directory_iterator(root, error);
         it != std::filesystem::recursive_directory_iterator(); it.increment(error))
        tree[std::filesystem::relative(it->path(), root).generic_string()] =
            it->is_directory() ? "/" : ReadText(it->path().string());
    return tree;
}

inline std::vector<std::string> LoggedLines()
{
    return std::vector<std::string>(gUninstallLines, gUninstallLines + gUninstallCount);
}

// Every test runs in its own empty folder, with an empty uninstall log. The
// folders go to a memory file system where there is one (natively and under
// Wine), since the engine flushes every file it writes to the disk.
const char* const kMemoryFolder = kPathSeparator == '\\' ? "Z:\\dev\\shm" : "/dev/shm";

struct ScratchTest : ::testing::Test
{
    std::filesystem::path previous;
    std::string scratch;

    void SetUp() override
    {
        std::error_code error;
        const std::filesystem::path base = std::filesystem::is_directory(kMemoryFolder, error)
                                               ? kMemoryFolder
                                               : std::filesystem::temp_directory_path();
        scratch =
            (base / (std::string("tremlok-") +
                     testing::UnitTest::GetInstance()->current_test_info()->name() +
                     std::to_string(std::chrono::steady_clock::now().time_since_epoch().count())))
                .string();
        std::filesystem::create_directories(scratch);
        previous = std::filesystem::current_path();
        std::filesystem::current_path(scratch);
        ResetUninstallLog();
    }

    void TearDown() override
    {
        ResetUninstallLog();
        std::filesystem::current_path(previous);
        std::error_code error;
        std::filesystem::remove_all(scratch, error);
    }

    std::string Path(const std::string& relative) const
    {
        return scratch + kPathSeparator + relative;
    }
};

// One record of a data file: its name, its content and how it is coded.
struct RecordLayout
{
    std::string name;
    std::string content;
    unsigned char method;
};

// The data file of records, coded by the project's own encoders. starts, when
// given, gets each record's offset and then the end marker's.
inline Bytes ArchiveBytes(const std::vector<RecordLayout>& records,
                          std::vector<size_t>* starts = nullptr)
{
    std::string bytes(4, '\0');
    uint32_t total = 0;
    for (const RecordLayout& r : records)
    {
        if (starts)
            starts->push_back(bytes.size());
        const uint32_t n = (uint32_t)r.content.size();
        std::string head = r.name + '\0' + "size" + (char)r.method, payload(CoderOutputBound(n), 0);
        WriteLe32((unsigned char*)&head[r.name.size() + 1], n);
        const unsigned char* in = (const unsigned char*)r.content.data();
        unsigned char* out = (unsigned char*)&payload[0];
        if (r.method == kMethodLzw)
            payload.resize(LzwEncode(in, (int32_t)n, out, (uint32_t)payload.size()));
        else if (r.method == kMethodDelta)
            payload.resize(DeltaEncode(in, (int32_t)n, out, (uint32_t)payload.size()));
        else
            payload = r.content;
        bytes += head + payload;
        total += n;
    }
    if (starts)
        starts->push_back(bytes.size());
    bytes += '\0';
    WriteLe32((unsigned char*)&bytes[0], total);
    return Bytes(bytes.begin(), bytes.end());
}

// The bytes as gDatfile holds them: whole words, zero-padded.
inline std::vector<unsigned int> ImageWords(const Bytes& bytes)
{
    std::vector<unsigned int> words(bytes.size() / 4 + 1, 0);
    if (!bytes.empty())
        memcpy(words.data(), bytes.data(), bytes.size());
    return words;
}

#endif

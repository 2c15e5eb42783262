// A fresh folder per test, made the current directory for the test's run,
// and small file helpers that work the same natively and under Wine.
#ifndef TREMLOK_TESTS_SCRATCH_FOLDER_H
#define TREMLOK_TESTS_SCRATCH_FOLDER_H

#include "platform/platform.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <stdio.h>
#include <string>
#include <vector>

typedef std::vector<unsigned char> Bytes;

inline std::string Join(const std::string& a, const std::string& b)
{
    return a + kPathSeparator + b;
}

inline bool WriteBytes(const std::string& path, const Bytes& bytes)
{
    FILE* file = fopen(path.c_str(), "wb");
    if (!file)
        return false;
    bool ok = fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return fclose(file) == 0 && ok;
}

inline bool WriteText(const std::string& path, const std::string& text)
{
    return WriteBytes(path, Bytes(text.begin(), text.end()));
}

// The file's bytes, or "<missing>" spelt out so a comparison shows it.
inline Bytes ReadBytes(const std::string& path)
{
    FILE* file = fopen(path.c_str(), "rb");
    if (!file)
        return Bytes{'<', 'm', 'i', 's', 's', 'i', 'n', 'g', '>'};
    Bytes bytes;
    int c;
    while ((c = fgetc(file)) != EOF)
        bytes.push_back((unsigned char)c);
    fclose(file);
    return bytes;
}

inline std::string ReadText(const std::string& path)
{
    Bytes bytes = ReadBytes(path);
    return std::string(bytes.begin(), bytes.end());
}

inline bool Exists(const std::string& path)
{
    std::error_code error;
    return std::filesystem::exists(path, error);
}

// Every test gets its own empty folder as the current directory; data.bin
// and data.cpp land there.
struct ScratchTest : ::testing::Test
{
    std::filesystem::path previous;
    std::string scratch;

    void SetUp() override
    {
        static unsigned serial = 0;
        const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
        std::string name =
            std::string("tremlok-") + info->name() + "-" +
            std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()) + "-" +
            std::to_string(++serial);
        for (char& c : name)
        {
            if (c == '/')
                c = '_';
        }
        std::filesystem::path folder = std::filesystem::temp_directory_path() / name;
        std::filesystem::create_directories(folder);
        previous = std::filesystem::current_path();
        std::filesystem::current_path(folder);
        scratch = folder.string();
    }

    void TearDown() override
    {
        std::filesystem::current_path(previous);
        std::error_code error;
        std::filesystem::remove_all(scratch, error);
    }

    std::string Path(const std::string& relative) const { return Join(scratch, relative); }
};

#endif

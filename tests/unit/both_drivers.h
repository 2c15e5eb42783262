// Both drivers of the extraction engine over the same bytes, and what any
// input must leave behind: shared by the unit tests and the fuzz target,
// so without a test framework.
#ifndef TREMLOK_TESTS_BOTH_DRIVERS_H
#define TREMLOK_TESTS_BOTH_DRIVERS_H

#include "datafile/extract_step.h"
#include "datafile/extract_whole.h"
#include "datafile/format.h"
#include "uninstall/uninstall_log.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string.h>
#include <string>
#include <vector>

typedef std::vector<unsigned char> Bytes;

// False when the file is not written whole; a literal without its NUL.
template <class Data> bool WriteFile(const std::string& path, const Data& data)
{
    std::ofstream file(path, std::ios::binary);
    file.write((const char*)std::data(data),
               (std::streamsize)(std::size(data) - std::is_array_v<Data>));
    return !file.flush().fail();
}

// The file's content, or "<missing>" so that a comparison shows it.
template <class Data = std::string> Data ReadFile(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    const std::string data =
        file ? std::string(std::istreambuf_iterator<char>(file), {}) : "<missing>";
    return Data(data.begin(), data.end());
}

// Files and folders under root by relative path, '/' between levels; a
// link maps to "@", anything else but a file (a folder, a FIFO) to "/".
inline std::map<std::string, std::string> TreeOf(const std::string& root)
{
    namespace fs = std::filesystem;
    std::map<std::string, std::string> tree;
    std::error_code error;
    for (auto it = fs::recursive_directory_iterator(root, error);
         it != fs::recursive_directory_iterator(); it.increment(error))
        tree[it->path().lexically_relative(root).generic_string()] =
            it->is_symlink(error)        ? "@"
            : it->is_regular_file(error) ? ReadFile(it->path().string())
                                         : "/";
    return tree;
}

// BeginExtract on an image of exactly bytes' length (the sanitizer catches a
// read past it), then ExtractNext until 100 or damage: every result. Adds to
// broken what a call got wrong in the current file's text, or a call after
// the end that did not repeat it (and, after 100, leave the text alone).
inline std::vector<int> ExtractImage(const std::string& root, const Bytes& bytes,
                                     std::string* broken = nullptr)
{
    static Bytes image; // the engine reads it until the next BeginExtract
    static char currentFile[kCurrentFileSize];
    std::string ignored, &out = broken ? *broken : ignored;
    image = bytes;
    std::vector<int> results = {
        BeginExtract(root.c_str(), (const unsigned int*)image.data(), (uint32_t)image.size())};
    // Every record takes at least 6 bytes, so this many calls must finish.
    while (results.back() != 100 && results.back() != kExtractDamaged &&
           results.size() <= image.size() / 6 + 2)
    {
        memset(currentFile, 0x7F, sizeof currentFile);
        results.push_back(ExtractNext(root.c_str(), currentFile));
        if (results.back() != kExtractDamaged && !memchr(currentFile, 0, sizeof currentFile))
            out += "the current file is unterminated; ";
        else if (results.back() == 100 && strcmp(currentFile, "Complete") != 0)
            out += "100 without Complete; ";
    }
    memset(currentFile, 0x7F, sizeof currentFile);
    if (ExtractNext(root.c_str(), currentFile) != results.back() ||
        (results.back() == 100 && currentFile[0] != 0x7F))
        out += "ExtractNext went on after its end; ";
    return results;
}

// Four levels down, so that a name climbing out stays where it is seen.
const char* const kOut = "w/a/b/c/out";
const char* const kMem = "w/a/b/c/mem";

// Both drivers over bytes in the current folder: -e of them as data.bin
// into kOut, the image in memory into kMem. Returns what broke, "" when
// nothing did: a result out of order, a file outside the destinations or
// a link, the drivers disagreeing on a whole data file or on its files.
inline std::string ExtractBoth(const Bytes& bytes, int* fileResult, std::vector<int>* results)
{
    if (!WriteFile("data.bin", bytes))
        return "data.bin not written";
    *fileResult = ExtractDataBin(kOut);
    std::string broken;
    *results = ExtractImage(kMem, bytes, &broken);
    ResetUninstallLog();
    const int percent = results->back();
    const bool zeroTotal = bytes.size() >= 4 && ReadLe32(bytes.data()) == 0;
    for (size_t i = 0; i + 1 < results->size(); ++i)
        if ((*results)[i] < 1 || (*results)[i] > (zeroTotal ? 1 : 99))
            broken += "call " + std::to_string(i) + " gave " + std::to_string((*results)[i]) + "; ";
    if (percent != 100 && percent != kExtractDamaged)
        broken += "ExtractNext did not finish; ";
    auto within = [](const std::string& path, const std::string& root)
    { return (path + "/").rfind(root + "/", 0) == 0; };
    std::error_code error; // a link is asked of the file: a file may hold "@", TreeOf's mark
    for (const auto& [path, content] : TreeOf("."))
        if (std::filesystem::is_symlink(path, error) ||
            !(path == "data.bin" || within(kOut, path) || within(path, kOut) || within(path, kMem)))
            broken += path + " is outside the destination or a link; ";
    if ((*fileResult == 0) != (percent == 100 && gExtractSkipped == 0))
        broken += "the drivers disagree on whether the data file is whole; ";
    else if (*fileResult == 0 && TreeOf(kOut) != TreeOf(kMem))
        broken += "the drivers wrote different files; ";
    return broken;
}

#endif

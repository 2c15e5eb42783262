// Writes the fuzz targets' seed corpora: streams from the project's own
// encoders, data files from its own builder, and the command lines of the
// usage text. Usage: make_fuzz_corpus <corpus folder>
#include "coders/coder.h"
#include "coders/delta.h"
#include "coders/lzw.h"
#include "datafile/builder.h"
#include "tests/support/fake_program.h"

#include <filesystem>
#include <fstream>
#include <map>
#include <stdio.h>
#include <stdlib.h>
#include <string>

namespace fs = std::filesystem;

static void Save(const fs::path& path, const std::string& bytes)
{
    fs::create_directories(path.parent_path());
    if (!std::ofstream(path, std::ios::binary).write(bytes.data(), (std::streamsize)bytes.size()))
    {
        fprintf(stderr, "make_fuzz_corpus: cannot write %s\n", path.c_str());
        exit(1);
    }
}

// n pseudo-random bytes, each at most step - 1 above the one before.
static std::string Walk(size_t n, unsigned step, uint32_t seed)
{
    std::string bytes;
    for (unsigned char value = 0; bytes.size() < n; bytes += (char)value)
        value = (unsigned char)(value + ((seed = seed * 1103515245u + 12345u) >> 16) % step);
    return bytes;
}

static std::string Encode(bool lzw, const std::string& input)
{
    std::string coded(CoderOutputBound((uint32_t)input.size()), '\0');
    coded.resize((lzw ? LzwEncode : DeltaEncode)((const unsigned char*)input.data(),
                                                 (int32_t)input.size(), (unsigned char*)&coded[0],
                                                 (uint32_t)coded.size()));
    return coded;
}

// Builds a data file from files (relative name, content) with MakeDataBin.
static std::string Archive(const std::map<std::string, std::string>& files)
{
    const fs::path work = fs::temp_directory_path() / "tremlok-corpus";
    fs::remove_all(work);
    fs::create_directories(work / "tree");
    for (const auto& [name, content] : files)
        Save(work / "tree" / name, content);
    const fs::path previous = fs::current_path();
    fs::current_path(work);
    const int result = MakeDataBin("tree");
    std::ifstream in("data.bin", std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    fs::current_path(previous);
    fs::remove_all(work);
    if (result != 0)
        exit(1);
    return bytes;
}

int main(int argc, char** argv)
{
    if (argc != 2)
        return fprintf(stderr, "usage: make_fuzz_corpus <corpus folder>\n"), 2;
    const fs::path corpus = fs::absolute(argv[1]);
    std::string text;
    for (int i = 0; i < 12; ++i)
        text += "Tremlok Setup extracts the game. ";
    // The last assigns every LZW code; it gets no delta seeds.
    const std::map<std::string, std::string> samples = {{"empty", ""},
                                                        {"one-byte", "a"},
                                                        {"two-bytes", "ab"},
                                                        {"four-same", "aaaa"},
                                                        {"text", text},
                                                        {"zeros-130", std::string(130, '\0')},
                                                        {"walk", Walk(600, 5, 1)},
                                                        {"noise", Walk(200, 256, 2)},
                                                        {"wraps", "\xfe\x03\x05\xfd\x05\xfc"},
                                                        {"full-dictionary", Walk(24000, 256, 3)}};
    for (const auto& [name, bytes] : samples)
    {
        Save(corpus / "coder_round_trip" / name, bytes);
        // The decoders' layout: the size in three bytes, then the stream,
        // and once more with other bytes after the stream.
        const uint32_t n = (uint32_t)bytes.size();
        const std::string size = {(char)n, (char)(n >> 8), (char)(n >> 16)};
        for (bool lzw : {true, false})
        {
            const fs::path folder = corpus / (lzw ? "lzw_decode" : "delta_decode");
            if (n < 1000)
                Save(folder / (name + "-trailed"), size + Encode(lzw, bytes) + "\x81\x03\xff");
            if (n < 1000 || lzw)
                Save(folder / name, size + Encode(lzw, bytes));
        }
    }
    const fs::path archives = corpus / "archive_reader";
    Save(archives / "empty", Archive({}));
    Save(archives / "one-stored", Archive({{"readme.txt", Walk(40, 256, 9)}}));
    Save(archives / "mixed", Archive({{"text.txt", samples.at("text")},
                                      {"walk.raw", samples.at("walk")},
                                      {"noise.bin", samples.at("noise")},
                                      {"empty.dat", ""},
                                      {"Audio/pop.wav", Walk(300, 5, 4)},
                                      {"Audio/Deep/a.txt", "aaaa"}}));
    // Programs small enough for a corpus: headers written byte by byte
    // around each route's layout of an image.
    namespace fp = fake_program;
    const auto programBytes = [](bool x64, const std::vector<fp::Section>& sections)
    {
        const fp::Bytes bytes = fp::Program(x64, sections);
        return std::string(bytes.begin(), bytes.end());
    };
    const auto image = [](const std::string& archive)
    { return fp::Bytes(archive.begin(), archive.end()); };
    const fp::Bytes code(64, 0xC3);
    const fs::path programs = corpus / "program_locate";
    Save(programs / "x64-datacpp",
         programBytes(
             true, {{".text", fp::kCode, code},
                    {".data", fp::kData, fp::DataCppSection(image(Archive({{"a.txt", text}})))}}));
    Save(programs / "i686-incbin",
         programBytes(false,
                      {{".text", fp::kCode, code},
                       {".data", fp::kData,
                        fp::IncbinSection(image(Archive({{"walk.raw", samples.at("walk")},
                                                         {"Audio/pop.wav", Walk(300, 5, 4)}})))},
                       {".bss", fp::kUninitialised, {}}}));
    Save(programs / "empty",
         programBytes(false, {{".data", fp::kData, fp::DataCppSection(image(Archive({})))}}));
    Save(programs / "signed",
         programBytes(true,
                      {{".data", fp::kData, fp::IncbinSection(image(Archive({{"r.txt", "r"}})))}}) +
             std::string(512, '\x30'));
    int serial = 0;
    for (const char* line : {"/mc:\\tremlok", "/ec:\\tremlok", "/?", "-?", "/eC:\\My-Games",
                             "/x /ec:\\y", "/ec:\\y /x", "mygame", "/e", "/e c:\\x", "/?x", "/",
                             "-eout", "/e\tc:\\x", "/mC:\\\x80x"})
        Save(corpus / "command_line" / ("line-" + std::to_string(++serial)), line);
    Save(corpus / "command_line" / "argv-1", std::string("-m\0folder", 9));
    Save(corpus / "command_line" / "argv-2", std::string("--help\0-eout", 12));
    return 0;
}

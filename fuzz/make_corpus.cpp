// Writes the fuzz targets' seed corpora: streams from the project's own
// encoders, data files from its own builder, and the command lines the
// usage text documents. Usage: make_fuzz_corpus <corpus folder>
#include "coders/coder.h"
#include "coders/delta.h"
#include "coders/lzw.h"
#include "datafile/builder.h"
#include "fuzz/decoder_fuzz.h"

#include <filesystem>
#include <fstream>
#include <stdio.h>
#include <unistd.h>
#include <string>
#include <vector>

namespace fs = std::filesystem;
typedef std::vector<unsigned char> Bytes;

struct Sample
{
    const char* name;
    Bytes bytes;
};

static Bytes Text(const std::string& text)
{
    return Bytes(text.begin(), text.end());
}

// Deterministic pseudo-random bytes; step limits how far each byte moves
// from the one before (256 for no limit).
static Bytes Walk(size_t n, unsigned step, uint32_t seed)
{
    Bytes bytes;
    unsigned char value = 0;
    for (size_t i = 0; i < n; ++i)
    {
        seed = seed * 1103515245u + 12345u;
        unsigned r = (seed >> 16) % step;
        value = step >= 256 ? (unsigned char)r : (unsigned char)(value + r - step / 2);
        bytes.push_back(value);
    }
    return bytes;
}

static Bytes Repeat(const std::string& text, size_t times)
{
    std::string all;
    for (size_t i = 0; i < times; ++i)
        all += text;
    return Text(all);
}

static std::vector<Sample> Samples()
{
    return {
        {"empty", Bytes()},
        {"one-byte", Text("a")},
        {"four-same", Text("aaaa")},
        {"two-bytes", Text("ab")},
        {"text", Repeat("Tremlok Setup extracts the game. ", 12)},
        {"zeros-130", Bytes(130, 0)},
        {"walk", Walk(600, 7, 1)},
        {"noise", Walk(200, 256, 2)},
        {"wraps", Text("\xfe\x03\x05\xfd\x05\xfc")},
        // Enough varied input to assign every LZW dictionary code; only the
        // LZW and round-trip targets get it.
        {"full-dictionary", Walk(24000, 256, 3)},
    };
}

static void Save(const fs::path& path, const Bytes& bytes)
{
    std::ofstream out(path, std::ios::binary);
    out.write((const char*)bytes.data(), (std::streamsize)bytes.size());
    if (!out)
    {
        fprintf(stderr, "make_fuzz_corpus: cannot write %s\n", path.c_str());
        exit(1);
    }
}

typedef uint32_t (*EncodeFunction)(const unsigned char*, int32_t, unsigned char*, uint32_t);

static Bytes Encode(EncodeFunction encode, const Bytes& input)
{
    Bytes coded(CoderOutputBound((uint32_t)input.size()));
    coded.resize(encode(input.data(), (int32_t)input.size(), coded.data(), (uint32_t)coded.size()));
    return coded;
}

// The decoder targets' layout: declared size, then the stream; a second
// seed has bytes after the stream, which the decoder must not take.
static void WriteDecoderSeeds(const fs::path& folder, EncodeFunction encode, bool fullDictionary)
{
    fs::create_directories(folder);
    for (const Sample& sample : Samples())
    {
        if (sample.bytes.size() > 1000 && !fullDictionary)
            continue;
        uint32_t size = (uint32_t)sample.bytes.size() & kDeclaredSizeMask;
        Bytes seed = {(unsigned char)size, (unsigned char)(size >> 8), (unsigned char)(size >> 16)};
        Bytes coded = Encode(encode, sample.bytes);
        seed.insert(seed.end(), coded.begin(), coded.end());
        Save(folder / sample.name, seed);
        if (sample.bytes.size() > 1000)
            continue;
        seed.insert(seed.end(), {0x81, 0x03, 0xFF, 0x00});
        Save(folder / (std::string(sample.name) + "-trailed"), seed);
    }
}

static void WriteRoundTripSeeds(const fs::path& folder)
{
    fs::create_directories(folder);
    for (const Sample& sample : Samples())
        Save(folder / sample.name, sample.bytes);
}

// Runs the builder over a tree of the given samples (name relative to the
// tree, with '/' for folders) and keeps its data.bin.
static void BuildArchiveSeed(const fs::path& work, const fs::path& seed,
                             const std::vector<std::pair<std::string, Bytes>>& files)
{
    fs::path tree = work / "tree";
    fs::remove_all(tree);
    fs::create_directories(tree);
    for (const auto& file : files)
    {
        fs::path path = tree / file.first;
        fs::create_directories(path.parent_path());
        Save(path, file.second);
    }
    fs::path previous = fs::current_path();
    fs::current_path(work);
    int result = MakeDataBin("tree");
    fs::current_path(previous);
    if (result != 0)
    {
        fprintf(stderr, "make_fuzz_corpus: the builder failed for %s\n", seed.c_str());
        exit(1);
    }
    fs::copy_file(work / "data.bin", seed, fs::copy_options::overwrite_existing);
}

static void WriteArchiveSeeds(const fs::path& folder)
{
    fs::create_directories(folder);
    fs::path work = fs::temp_directory_path() / ("tremlok-corpus-" + std::to_string(getpid()));
    fs::create_directories(work);
    std::vector<Sample> samples = Samples();
    BuildArchiveSeed(work, folder / "one-stored", {{"readme.txt", Walk(40, 256, 9)}});
    BuildArchiveSeed(work, folder / "mixed",
                     {{"text.txt", samples[4].bytes},
                      {"walk.raw", samples[6].bytes},
                      {"noise.bin", samples[7].bytes},
                      {"empty.dat", Bytes()},
                      {"Audio/pop.wav", Walk(300, 5, 4)},
                      {"Audio/Deep/a.txt", Text("aaaa")}});
    fs::remove_all(work);
    // A folder with no files: the total size and the end marker alone.
    Save(folder / "empty", Bytes(5, 0));
}

static void WriteCommandLineSeeds(const fs::path& folder)
{
    fs::create_directories(folder);
    const std::vector<std::string> lines = {
        "/mc:\\tremlok",
        "/ec:\\tremlok",
        "/?",
        "-?",
        "/eC:\\My-Games",
        "/x /ec:\\y",
        "/ec:\\y /x",
        "mygame",
        "/e",
        "/e c:\\x",
        "/?x",
        "/",
        std::string("-m\0folder", 9),
        std::string("--help\0-eout", 12),
        "-eout",
        "/e\tc:\\x",
        "/mC:\\\x80x",
    };
    int serial = 0;
    for (const std::string& line : lines)
        Save(folder / ("line-" + std::to_string(++serial)), Text(line));
}

int main(int argc, char** argv)
{
    if (argc != 2)
    {
        fprintf(stderr, "usage: make_fuzz_corpus <corpus folder>\n");
        return 2;
    }
    fs::path corpus = fs::absolute(argv[1]);
    WriteDecoderSeeds(corpus / "lzw_decode", LzwEncode, true);
    WriteDecoderSeeds(corpus / "delta_decode", DeltaEncode, false);
    WriteRoundTripSeeds(corpus / "coder_round_trip");
    WriteArchiveSeeds(corpus / "archive_reader");
    WriteCommandLineSeeds(corpus / "command_line");
    return 0;
}

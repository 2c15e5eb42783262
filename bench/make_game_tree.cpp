// Writes a deterministic game-like tree for the tool benchmark, of every
// input kind, in folders as a game lays them out. Three shapes, as real
// games come: "few", four big files; "mid" (the default), a few big files
// and a few hundred from 0 bytes to 4 MB; "many", thousands of small files
// up to 256 KB. The same megabytes and shape always give the same tree.
// Usage: make_game_tree DIR [megabytes, default 100] [few|mid|many]
#include "bench/bench_inputs.h"

#include <errno.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <cmath>
#include <string>

namespace
{

const size_t kMegabyte = 1 << 20;
const size_t kLargest = 20 * kMegabyte;

const char* const kFolders[kInputKinds] = {
    "Docs",       "System",     "Audio/Sfx", "Graphics/Sprites", "Graphics/Scenes",
    "Data/Packs", "Data/Levels"};

void MakeFolders(const std::string& path)
{
    for (size_t slash = path.find('/', 1);; slash = path.find('/', slash + 1))
    {
        const std::string part = path.substr(0, slash);
        if (mkdir(part.c_str(), 0755) != 0 && errno != EEXIST)
        {
            perror(part.c_str());
            exit(1);
        }
        if (slash == std::string::npos)
            return;
    }
}

void WriteFile(const std::string& path, const Bytes& bytes)
{
    FILE* f = fopen(path.c_str(), "wb");
    if (!f || fwrite(bytes.data(), 1, bytes.size(), f) != bytes.size() || fclose(f) != 0)
    {
        perror(path.c_str());
        exit(1);
    }
}

struct TreeFile
{
    std::string name;
    int kind;
    size_t size;
};

struct TreeShape
{
    const char* name;
    int firstBig, bigFiles; // which of the list below
    int smallFiles;         // of log-uniform size up to 2^smallBits bytes
    int smallBits;
};

const TreeShape kShapes[] = {{"few", 2, 4, 0, 0}, {"mid", 0, 6, 300, 22}, {"many", 0, 2, 3200, 18}};

// The big files a game has (music, a scene, the engine's library), then
// many smaller ones of log-uniform size, a few of them empty, scaled so
// that the whole comes to about megabytes.
std::vector<TreeFile> PlanTree(size_t megabytes, const TreeShape& shape)
{
    std::vector<TreeFile> files = {
        {"tremlok.exe", kInputCode, 3 * kMegabyte / 2},
        {"Readme.txt", kInputText, 14000},
        {"Audio/Music/theme.wav", kInputPcm, kLargest},
        {"Graphics/Scenes/intro.bmp", kInputBmp24, 12 * kMegabyte},
        {"System/engine.dll", kInputCode, 6 * kMegabyte},
        {"Data/Packs/textures.pak", kInputRandom, 5 * kMegabyte},
    };
    files.erase(files.begin(), files.begin() + shape.firstBig);
    files.resize(shape.bigFiles);
    size_t fixed = 0;
    for (const TreeFile& f : files)
        fixed += f.size;
    std::mt19937 random(2026);
    std::vector<TreeFile> small;
    size_t smallTotal = 0;
    for (int i = 0; i < shape.smallFiles; ++i)
    {
        const int kind = (int)(random() % kInputKinds);
        const double exponent = (double)(random() % 10000) / 10000.0 * shape.smallBits;
        const size_t size = i % 37 == 0 ? 0 : (size_t)std::exp2(exponent);
        char name[64];
        snprintf(name, sizeof name, "%s/%s%03d%s", kFolders[kind], InputKindName(kind), i,
                 InputKindExtension(kind));
        small.push_back({name, kind, size});
        smallTotal += size;
    }
    const double target = (double)megabytes * kMegabyte;
    double scale = 1.0;
    if (smallTotal == 0)
    {
        // Big files only: they take the whole size, in their proportions.
        for (TreeFile& f : files)
            f.size = (size_t)(f.size * (target / fixed));
    }
    else if (target > fixed)
        scale = (target - fixed) / smallTotal;
    else
    {
        // A small tree: everything shrinks alike.
        scale = target / (fixed + smallTotal);
        for (TreeFile& f : files)
            f.size = (size_t)(f.size * scale);
    }
    for (TreeFile& f : small)
    {
        f.size = (size_t)(f.size * scale);
        if (f.size > kLargest)
            f.size = kLargest;
        files.push_back(f);
    }
    return files;
}

} // namespace

int main(int argc, char** argv)
{
    const TreeShape* shape = &kShapes[1];
    for (const TreeShape& s : kShapes)
        if (argc > 3 && std::string(argv[3]) == s.name)
            shape = &s;
    if (argc < 2 || (argc > 3 && std::string(argv[3]) != shape->name))
    {
        fprintf(stderr, "usage: make_game_tree DIR [megabytes] [few|mid|many]\n");
        return 2;
    }
    const std::string root = argv[1];
    const size_t megabytes = argc > 2 ? (size_t)atoi(argv[2]) : 100;
    MakeFolders(root);
    uint32_t seed = 1;
    for (const TreeFile& f : PlanTree(megabytes, *shape))
    {
        const std::string path = root + "/" + f.name;
        MakeFolders(path.substr(0, path.rfind('/')));
        WriteFile(path, MakeInput(f.kind, f.size, seed++));
    }
    return 0;
}

// Both drivers of the extraction engine on any bytes: ExtractDataBin reads
// them as data.bin, BeginExtract/ExtractNext as the embedded image. Checked
// after each input: nothing was written outside the two destination
// folders, the drivers agree on whether the archive was whole, and when
// both succeeded they wrote the same files.
//
// Work folders live under $TREMLOK_FUZZ_TMP, else /dev/shm, else $TMPDIR:
// the engine flushes every file it writes, which on a disk costs more than
// the extraction itself.
#include "datafile/extract.h"
#include "datafile/format.h"
#include "fuzz/fuzz_check.h"
#include "uninstall/uninstall_log.h"

#include <dirent.h>
#include <fcntl.h>
#include <ftw.h>
#include <map>
#include <set>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

// gBase/a/b is the current directory, holding data.bin; the engine writes
// into out (ExtractDataBin) and mem (ExtractNext). The two levels above it
// catch names that climb out with "..".
static std::string gBase;
static std::string gWork;
static int gStderrCopy = -1;
static int gNullFd = -1;

static const char* TemporaryRoot()
{
    const char* chosen = getenv("TREMLOK_FUZZ_TMP");
    if (chosen && chosen[0])
        return chosen;
    if (access("/dev/shm", W_OK) == 0)
        return "/dev/shm";
    chosen = getenv("TMPDIR");
    return chosen && chosen[0] ? chosen : "/tmp";
}

static int RemoveOne(const char* path, const struct stat*, int, struct FTW*)
{
    remove(path);
    return 0;
}

static void RemoveTree(const std::string& path)
{
    nftw(path.c_str(), RemoveOne, 16, FTW_DEPTH | FTW_PHYS);
}

static void RemoveBase()
{
    if (!gBase.empty())
        RemoveTree(gBase);
}

static std::set<std::string> ListNames(const std::string& folder)
{
    std::set<std::string> names;
    DIR* dir = opendir(folder.c_str());
    FUZZ_CHECK(dir != nullptr, "cannot list %s", folder.c_str());
    while (struct dirent* item = readdir(dir))
    {
        if (strcmp(item->d_name, ".") != 0 && strcmp(item->d_name, "..") != 0)
            names.insert(item->d_name);
    }
    closedir(dir);
    return names;
}

// Every file under folder by its path relative to folder, with its bytes.
static void ReadTree(const std::string& folder, const std::string& relative,
                     std::map<std::string, std::string>* files)
{
    for (const std::string& name : ListNames(folder))
    {
        std::string path = folder + "/" + name;
        std::string key = relative + "/" + name;
        struct stat info;
        FUZZ_CHECK(lstat(path.c_str(), &info) == 0, "cannot stat %s", path.c_str());
        FUZZ_CHECK(!S_ISLNK(info.st_mode), "the engine made a symbolic link %s", path.c_str());
        if (S_ISDIR(info.st_mode))
        {
            (*files)[key + "/"] = "";
            ReadTree(path, key, files);
            continue;
        }
        std::string content;
        FILE* file = fopen(path.c_str(), "rb");
        FUZZ_CHECK(file != nullptr, "cannot read %s", path.c_str());
        char buffer[4096];
        size_t got;
        while ((got = fread(buffer, 1, sizeof buffer, file)) > 0)
            content.append(buffer, got);
        fclose(file);
        (*files)[key] = content;
    }
}

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    std::string pattern = std::string(TemporaryRoot()) + "/tremlok-fuzz-XXXXXX";
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back(0);
    FUZZ_CHECK(mkdtemp(buffer.data()) != nullptr, "cannot make a folder in %s", TemporaryRoot());
    gBase = buffer.data();
    atexit(RemoveBase);
    gWork = gBase + "/a/b";
    FUZZ_CHECK(mkdir((gBase + "/a").c_str(), 0777) == 0 && mkdir(gWork.c_str(), 0777) == 0 &&
                   chdir(gWork.c_str()) == 0,
               "cannot set up %s", gWork.c_str());
    // The engine reports each damaged data.bin on standard error; thousands
    // of lines a second would bury libFuzzer's own output, so standard
    // error is silenced around ExtractDataBin and the sanitizers report to
    // a copy of it.
    gStderrCopy = dup(2);
    gNullFd = open("/dev/null", O_WRONLY);
    FuzzSetReportFd(gStderrCopy);
    return 0;
}

static void WriteDataBin(const uint8_t* data, size_t size)
{
    FILE* file = fopen("data.bin", "wb");
    FUZZ_CHECK(file != nullptr, "cannot create data.bin");
    FUZZ_CHECK(fwrite(data, 1, size, file) == size && fclose(file) == 0, "cannot write data.bin");
}

static int QuietExtractDataBin(const char* folder)
{
    dup2(gNullFd, 2);
    int result = ExtractDataBin(folder);
    dup2(gStderrCopy, 2);
    return result;
}

// Runs ExtractNext to its end. Returns 100 or kExtractDamaged.
static int ExtractImage(const uint8_t* data, size_t size)
{
    // Exactly size bytes, so reading past the image's end is caught.
    unsigned int* image = (unsigned int*)malloc(size ? size : 1);
    memcpy(image, data, size);
    char currentFile[kCurrentFileSize];
    int percent = BeginExtract("mem", image, (uint32_t)size);
    FUZZ_CHECK(percent == 1, "BeginExtract returned %d", percent);
    // Every record takes at least 6 bytes, so this many calls must finish.
    for (size_t calls = 0; calls <= size / 6 + 2; ++calls)
    {
        memset(currentFile, 0x7F, sizeof currentFile);
        percent = ExtractNext("mem", currentFile);
        if (percent == kExtractDamaged)
            break;
        FUZZ_CHECK(percent == 100 || (percent >= 1 && percent <= 99), "ExtractNext returned %d",
                   percent);
        FUZZ_CHECK(memchr(currentFile, 0, sizeof currentFile) != nullptr,
                   "currentFile is not terminated");
        if (percent == 100)
        {
            FUZZ_CHECK(strcmp(currentFile, "Complete") == 0, "100 without \"Complete\"");
            break;
        }
    }
    FUZZ_CHECK(percent == 100 || percent == kExtractDamaged, "ExtractNext did not finish");
    // Finished or damaged, it stays so.
    FUZZ_CHECK(ExtractNext("mem", currentFile) == percent, "ExtractNext changed after the end");
    free(image);
    return percent;
}

static void CheckNothingOutside()
{
    FUZZ_CHECK(ListNames(gBase) == std::set<std::string>{"a"}, "something was written in %s",
               gBase.c_str());
    FUZZ_CHECK(ListNames(gBase + "/a") == std::set<std::string>{"b"},
               "something was written beside the work folder");
    for (const std::string& name : ListNames(gWork))
        FUZZ_CHECK(name == "data.bin" || name == "out" || name == "mem",
                   "\"%s\" was written beside the destination", name.c_str());
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    WriteDataBin(data, size);
    int fileResult = QuietExtractDataBin("out");
    int imageResult = ExtractImage(data, size);
    int imageSkipped = gExtractSkipped;
    ResetUninstallLog();
    CheckNothingOutside();

    bool fileWhole = fileResult == 0;
    bool imageWhole = imageResult == 100 && imageSkipped == 0;
    FUZZ_CHECK(fileWhole == imageWhole, "data.bin gave %d, the image %d with %d skipped",
               fileResult, imageResult, imageSkipped);
    if (fileWhole)
    {
        std::map<std::string, std::string> fromFile;
        std::map<std::string, std::string> fromImage;
        if (access("out", F_OK) == 0)
            ReadTree("out", "", &fromFile);
        if (access("mem", F_OK) == 0)
            ReadTree("mem", "", &fromImage);
        FUZZ_CHECK(fromFile == fromImage, "the two drivers wrote different files");
    }
    RemoveTree(gWork + "/out");
    RemoveTree(gWork + "/mem");
    return 0;
}

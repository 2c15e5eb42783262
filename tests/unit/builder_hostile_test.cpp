// The builder over trees that fight back: entries that block or never end
// when read, files whose length changes between the listing and the read,
// files that cannot be read, link loops, folders that cannot be listed, and
// paths at the buffers' limit. Each must end promptly with a clear failure
// (MakeDataBin returns 1), leave no new data.bin or data.cpp and no
// temporary behind, and keep an earlier data.bin and data.cpp as they were.
//
// Not staged here: a file replaced by a folder, or a folder removed, between
// the listing and the read; these need a hook inside the walk. A file
// truncated between listing and read is stood in for by the /proc and /sys
// files below, whose listed length differs from what a read yields.
#ifndef _WIN32

#include "datafile/builder.h"
#include "datafile/extract.h"
#include "tests/unit/scratch_folder.h"

#include <gtest/gtest.h>

#include <set>
#include <signal.h>
#include <string>
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

namespace
{

namespace fs = std::filesystem;

// A run that takes longer than this is taken as hung.
const unsigned kRunSeconds = 30;

struct BuildRun
{
    bool finished; // false: killed after kRunSeconds
    int result;
};

// Runs MakeDataBin(root) in a child process, so that a build that blocks
// (on a FIFO, say) fails the case instead of hanging the suite.
BuildRun MakeDataBinWithin(const std::string& root)
{
    fflush(nullptr);
    pid_t child = fork();
    if (child == 0)
    {
        alarm(kRunSeconds);
        _exit(MakeDataBin(root.c_str()));
    }
    int status = 0;
    waitpid(child, &status, 0);
    if (WIFEXITED(status))
        return {true, WEXITSTATUS(status)};
    return {false, -1};
}

std::set<std::string> NamesIn(const std::string& folder)
{
    std::set<std::string> names;
    for (const auto& item : fs::directory_iterator(folder))
        names.insert(item.path().filename().string());
    return names;
}

bool Link(const std::string& target, const std::string& link)
{
    std::error_code error;
    fs::create_symlink(target, link, error);
    return !error;
}

// A file of the tree whose folder levels make its path exactly length
// characters long, root included.
bool MakeFileWithPathLength(const std::string& root, size_t length)
{
    std::string path = root;
    while (length - path.size() > 201)
    {
        path = Join(path, std::string(150, 'd'));
        if (!fs::create_directories(path))
            return false;
    }
    path = Join(path, std::string(length - path.size() - 1, 'f'));
    return path.size() == length && WriteText(path, "at the limit");
}

// The first sysfs file that lists 4096 bytes and reads fewer.
std::string ShrinkingFile()
{
    for (const char* candidate : {"/sys/kernel/mm/transparent_hugepage/enabled",
                                  "/sys/kernel/mm/transparent_hugepage/defrag", "/sys/power/state",
                                  "/sys/kernel/profiling"})
    {
        struct stat info;
        if (stat(candidate, &info) == 0 && info.st_size == 4096 &&
            ReadBytes(candidate).size() < 4096 && ReadBytes(candidate).size() > 0)
            return candidate;
    }
    return std::string();
}

struct HostileCase
{
    const char* label;
    // Adds the hostile part to tree, which already holds a good file.
    // Returns false when this machine cannot stage it.
    bool (*prepare)(const std::string& tree);
};

const HostileCase kHostileCases[] = {
    {"FIFO, which blocks an open for reading",
     [](const std::string& tree) { return mkfifo(Join(tree, "pipe").c_str(), 0666) == 0; }},
    {"link to an endless device",
     [](const std::string& tree) { return Link("/dev/zero", Join(tree, "zeros")); }},
    {"link to a device that reads empty",
     [](const std::string& tree) { return Link("/dev/null", Join(tree, "null")); }},
    {"file that cannot be read (/proc/self/mem)",
     [](const std::string& tree) { return Link("/proc/self/mem", Join(tree, "mem")); }},
    {"file longer than listed (/proc/self/status)",
     [](const std::string& tree) { return Link("/proc/self/status", Join(tree, "status")); }},
    {"file shorter than listed (sysfs)",
     [](const std::string& tree)
     {
         std::string file = ShrinkingFile();
         return !file.empty() && Link(file, Join(tree, "setting"));
     }},
    {"link to itself", [](const std::string& tree) { return Link("loop", Join(tree, "loop")); }},
    {"folder link to its parent",
     [](const std::string& tree) {
         return fs::create_directories(Join(tree, "sub")) &&
                Link("..", Join(Join(tree, "sub"), "up"));
     }},
    {"link to a missing folder",
     [](const std::string& tree) { return Link("/nonexistent/folder", Join(tree, "gone")); }},
    {"root that is not a folder",
     [](const std::string& tree)
     {
         fs::remove_all(tree);
         return WriteText(tree, "a file");
     }},
    {"path one character over the limit",
     [](const std::string& tree) { return MakeFileWithPathLength(tree, 512); }},
};

struct BuilderHostileTest : ScratchTest
{
    std::string tree = "tree";

    void FreshTree()
    {
        fs::remove_all(tree);
        fs::create_directories(tree);
        ASSERT_TRUE(WriteText(Join(tree, "good.txt"), "a file the builder can read"));
    }
};

TEST_F(BuilderHostileTest, EveryHostileTreeFailsCleanly)
{
    int staged = 0;
    for (const HostileCase& c : kHostileCases)
    {
        // Once over a folder with an earlier pair, once over one without.
        for (bool earlierPair : {true, false})
        {
            FreshTree();
            if (!c.prepare(tree))
            {
                printf("[ not staged ] %s\n", c.label);
                break;
            }
            fs::remove("data.bin");
            fs::remove("data.cpp");
            if (earlierPair)
            {
                ASSERT_TRUE(WriteText("data.bin", "OLD BIN"));
                ASSERT_TRUE(WriteText("data.cpp", "OLD CPP"));
            }
            std::set<std::string> before = NamesIn(".");
            BuildRun run = MakeDataBinWithin(tree);
            EXPECT_TRUE(run.finished) << c.label << ": still running after " << kRunSeconds << " s";
            EXPECT_EQ(run.result, 1) << c.label;
            EXPECT_EQ(NamesIn("."), before) << c.label << ": files left behind";
            if (earlierPair)
            {
                EXPECT_EQ(ReadText("data.bin"), "OLD BIN") << c.label;
                EXPECT_EQ(ReadText("data.cpp"), "OLD CPP") << c.label;
            }
            staged += earlierPair;
        }
    }
    printf("[ hostile  ] %d of %zu hostile trees staged\n", staged,
           sizeof kHostileCases / sizeof kHostileCases[0]);
    // Everything but the sysfs file is staged on any Linux.
    EXPECT_GE(staged, (int)(sizeof kHostileCases / sizeof kHostileCases[0]) - 1);
}

// The limit the path case above crosses: a path of 511 characters is taken
// and comes back out whole.
TEST_F(BuilderHostileTest, PathAtTheLimitIsArchived)
{
    FreshTree();
    ASSERT_TRUE(MakeFileWithPathLength(tree, 511));
    BuildRun run = MakeDataBinWithin(tree);
    ASSERT_TRUE(run.finished);
    ASSERT_EQ(run.result, 0);
    // Extracting under a one-letter folder keeps the entry path within 511.
    size_t deepest = 0;
    for (const auto& item : fs::recursive_directory_iterator(tree))
        deepest = std::max(deepest, item.path().string().size());
    EXPECT_EQ(deepest, 511u);
    EXPECT_EQ(ExtractDataBin("x"), 0);
}

} // namespace

#endif

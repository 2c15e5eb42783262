// uninst.bat: the uninstall log written newest first, in two runs split at
// the mark so that the script opens with its comment line.
#include "uninstall/uninstall_log.h"

#include "platform/oem_text.h"
#include "platform/platform.h"
#include "platform/text_output.h"

#include <stdlib.h>
#include <string.h>

// The script's last step runs from the root of the drive: a folder that is
// any process's current directory cannot be removed. cmd keeps the script
// open until it has run its last line (under Wine the deleted file stays in
// its folder until then), so the folders are removed by a second cmd that
// retries for a while (300 tries take about a second) after this one ends.
// Every folder is tried in every round, innermost first, so each goes as
// soon as what it held has gone.
static const char kLeaveFolder[] = "cd \\ & ";
static const char kRemoveLater[] = " & start \"\" /b cmd /c for /l %%i in (1,1,300) do ";
static const char kRemoveQuietly[] = " 2^>nul";
static const char kNextRemoval[] = " ^& ";

struct ScriptPlan
{
    int* order;      // log indexes in the order they are written
    int lines;       // entries of order
    int self;        // position in order of the script's own "del" line, or -1
    bool* holdsSelf; // per position: an "rmdir" of a folder holding the script
};

// Index in order of the two reversed runs; the line at the mark itself is
// an empty separator that is never written.
static int FillOrder(int* order)
{
    int count = gUninstallCount;
    int mark = gUninstallMark < 0 ? 0 : (gUninstallMark > count ? count : gUninstallMark);
    int lines = 0;
    for (int i = mark - 1; i >= 0; --i)
        order[lines++] = i;
    for (int i = count - 1; i > mark; --i)
        order[lines++] = i;
    return lines;
}

// True when line is rmdir "folder" CR LF and selfLine, del "path" CR LF,
// names a file inside folder (both with their '%' doubled).
static bool RemovesFolderOf(const char* line, const char* selfLine)
{
    static const char kRmdir[] = "rmdir \"";
    static const char kDel[] = "del \"";
    if (strncmp(line, kRmdir, sizeof kRmdir - 1) != 0)
        return false;
    const char* folder = line + sizeof kRmdir - 1;
    size_t length = strlen(folder);
    if (length < 4 || strcmp(folder + length - 3, "\"\r\n") != 0)
        return false;
    length -= 3;
    const char* path = selfLine + sizeof kDel - 1;
    return length > 0 && strncmp(path, folder, length) == 0 &&
           (path[length] == '\\' || path[length] == '/');
}

static bool MakePlan(const char* selfLine, ScriptPlan* plan)
{
    size_t slots = gUninstallCount > 0 ? (size_t)gUninstallCount : 1;
    plan->order = (int*)malloc(slots * sizeof(int));
    plan->holdsSelf = (bool*)calloc(slots, sizeof(bool));
    if (!plan->order || !plan->holdsSelf)
        return false;
    plan->lines = FillOrder(plan->order);
    plan->self = -1;
    for (int k = 0; k < plan->lines && plan->self < 0; ++k)
        if (strcmp(gUninstallLines[plan->order[k]], selfLine) == 0)
            plan->self = k;
    for (int k = 0; k < plan->lines && plan->self >= 0; ++k)
        plan->holdsSelf[k] = RemovesFolderOf(gUninstallLines[plan->order[k]], selfLine);
    return true;
}

// Puts text in the OEM code page. Returns false when there is no memory.
static bool PutOem(TextOutput* out, const char* text, size_t cutEnd)
{
    char* oem = OemCodePageText(text);
    if (!oem)
        return false;
    size_t length = strlen(oem);
    PutBytes(out, oem, length > cutEnd ? length - cutEnd : 0);
    free(oem);
    return true;
}

// The script's own "del" line, followed on the same line by the removal of
// the folders that hold it.
static bool PutLastStep(TextOutput* out, const ScriptPlan* plan, const char* selfLine)
{
    bool any = false;
    for (int k = 0; k < plan->lines && !any; ++k)
        any = plan->holdsSelf[k];
    if (!any)
        return PutOem(out, selfLine, 0);
    PutText(out, kLeaveFolder);
    bool put = PutOem(out, selfLine, 2);
    PutText(out, kRemoveLater);
    const char* separator = "";
    for (int k = 0; k < plan->lines && put; ++k)
    {
        if (!plan->holdsSelf[k])
            continue;
        PutText(out, separator);
        put = PutOem(out, gUninstallLines[plan->order[k]], 2);
        PutText(out, kRemoveQuietly);
        separator = kNextRemoval;
    }
    PutText(out, "\r\n");
    return put;
}

// COMMAND.COM reads a batch file line by line from the file and stops once
// it is gone, and knows none of cmd's "&", "2>", "start" or "for": its
// script is one plain command a line with its own "del" last, and the
// folders that hold it stay, emptied.
static bool PutScript(TextOutput* out, const char* scriptPath, bool forCommandCom)
{
    char* selfLine = UninstallCommandText("del", scriptPath);
    ScriptPlan plan = {};
    bool put = selfLine && MakePlan(selfLine, &plan);
    for (int k = 0; k < plan.lines && put; ++k)
    {
        if (k == plan.self && !forCommandCom)
            put = PutLastStep(out, &plan, selfLine);
        else if (k != plan.self && !plan.holdsSelf[k])
            put = PutOem(out, gUninstallLines[plan.order[k]], 0);
    }
    if (put && forCommandCom && plan.self >= 0)
        put = PutOem(out, selfLine, 0);
    free(plan.order);
    free(plan.holdsSelf);
    free(selfLine);
    return put;
}

int WriteUninstallScript(const char* scriptPath, bool forCommandCom)
{
    if (gUninstallLineLost)
        return -1;
    int fd = FileCreate(scriptPath);
    if (fd < 0)
        return -1;
    TextOutput out;
    BeginTextOutput(&out, FileSink, &fd);
    bool written = PutScript(&out, scriptPath, forCommandCom);
    written = FinishTextOutput(&out) == 0 && written;
    written = FileCommit(fd) == 0 && written;
    written = FileClose(fd) == 0 && written;
    if (written)
        return 0;
    // Half a script would delete some files and leave the rest orphaned.
    FileRemove(scriptPath);
    return -1;
}

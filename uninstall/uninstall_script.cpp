// uninst.bat: the uninstall log written newest first, in two runs split at
// the mark so that the script opens with its comment line.
#include "uninstall/uninstall_log.h"

#include "platform/platform.h"
#include "platform/text_output.h"

// The line at the mark itself is an empty separator that is never written.
static void PutScript(TextOutput* out)
{
    int count = gUninstallCount;
    int mark = gUninstallMark < 0 ? 0 : (gUninstallMark > count ? count : gUninstallMark);
    for (int i = mark - 1; i >= 0; --i)
        PutText(out, gUninstallLines[i]);
    for (int i = count - 1; i > mark; --i)
        PutText(out, gUninstallLines[i]);
}

int WriteUninstallScript(const char* scriptPath)
{
    if (gUninstallLineLost)
        return -1;
    int fd = FileCreate(scriptPath);
    if (fd < 0)
        return -1;
    TextOutput out;
    BeginTextOutput(&out, FileSink, &fd);
    PutScript(&out);
    bool written = FinishTextOutput(&out) == 0;
    written = FileCommit(fd) == 0 && written;
    written = FileClose(fd) == 0 && written;
    if (written)
        return 0;
    // Half a script would delete some files and leave the rest orphaned.
    FileRemove(scriptPath);
    return -1;
}

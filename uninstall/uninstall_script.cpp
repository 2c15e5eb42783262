// uninst.bat: the uninstall log written newest first, in two runs split at
// the mark so that the script opens with its comment line.
#include "uninstall/uninstall_log.h"

#include "platform/platform.h"

#include <string>

// The line at the mark itself is an empty separator that is never written.
static std::string ScriptText()
{
    int count = (int)gUninstallLines.size();
    int mark = gUninstallMark < 0 ? 0 : (gUninstallMark > count ? count : gUninstallMark);
    std::string text;
    for (int i = mark - 1; i >= 0; --i)
        text += gUninstallLines[i];
    for (int i = count - 1; i > mark; --i)
        text += gUninstallLines[i];
    return text;
}

int WriteUninstallScript(const char* scriptPath)
{
    std::string text = ScriptText();
    int fd = FileCreate(scriptPath);
    if (fd < 0)
        return -1;
    bool written = FileWriteAll(fd, text.data(), (uint32_t)text.size()) == 0;
    written = FileCommit(fd) == 0 && written;
    written = FileClose(fd) == 0 && written;
    if (written)
        return 0;
    // Half a script would delete some files and leave the rest orphaned.
    FileRemove(scriptPath);
    return -1;
}

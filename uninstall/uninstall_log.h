// The uninstall log and the uninst.bat written from it.
#ifndef TREMLOK_UNINSTALL_UNINSTALL_LOG_H
#define TREMLOK_UNINSTALL_UNINSTALL_LOG_H

#include <string>
#include <vector>

// One command line per element, each ending in CR LF. The log grows as
// needed: no line is dropped and none is cut.
extern std::vector<std::string> gUninstallLines;
extern int gUninstallCount;
extern int gUninstallMark;

// Appends text followed by CR LF. Returns the new count.
int AddUninstallLine(const char* text);

// Appends command "path" with every '%' of path doubled, so that cmd reads
// back exactly path. Returns the new count.
int AddUninstallCommand(const char* command, const char* path);

// Creates one folder; when it was created, appends rmdir "path". Returns 0
// when created, -1 when not.
int MakeLoggedDir(const char* path);

void ResetUninstallLog();
void SetUninstallMark();

// Writes the log to scriptPath in its two reversed runs (mark - 1 down to 0,
// then count - 1 down to mark + 1). Returns 0 on success, -1 when the file
// cannot be opened or written whole (a partial file is removed).
int WriteUninstallScript(const char* scriptPath);

#endif

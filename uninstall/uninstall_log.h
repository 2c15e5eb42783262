// The uninstall log and the uninst.bat written from it.
#ifndef TREMLOK_UNINSTALL_UNINSTALL_LOG_H
#define TREMLOK_UNINSTALL_UNINSTALL_LOG_H

// gUninstallCount command lines, each a string of its own ending in CR LF.
// The table grows as needed: no line is cut, and none is dropped unnoticed.
extern char** gUninstallLines;
extern int gUninstallCount;
extern int gUninstallMark;
// 1 once a line could not be stored for want of memory, until the next
// ResetUninstallLog.
extern int gUninstallLineLost;

// Appends text followed by CR LF. Returns the new count, or -1 when there
// is no memory for the line (gUninstallLineLost is then set).
int AddUninstallLine(const char* text);

// Appends command "path" with every '%' of path doubled, so that cmd reads
// back exactly path. Returns as AddUninstallLine.
int AddUninstallCommand(const char* command, const char* path);

// The line AddUninstallCommand stores, command "path" CR LF, as a new heap
// string (free with free()); null when there is no memory.
char* UninstallCommandText(const char* command, const char* path);

// Creates one folder; when it was created, appends rmdir "path". Returns 0
// when created, -1 when not.
int MakeLoggedDir(const char* path);

// Empties the log, freeing its lines, and clears gUninstallLineLost.
void ResetUninstallLog();
void SetUninstallMark();

// Writes the log to scriptPath in its two reversed runs (mark - 1 down to 0,
// then count - 1 down to mark + 1). Returns 0 on success, -1 when the file
// cannot be opened or written whole (a partial file is removed), or when
// the log lost a line: no script is written then, since it would leave
// that file or folder behind, and the line at the mark might no longer be
// the separator that is never written.
// The script's own "del" line also removes the folders holding the script
// that have an "rmdir" line, which are taken out of their places: they can
// only go once the script is gone. Lines are written in the OEM code page
// that cmd reads them in. forCommandCom (Windows 95, 98 and Me) writes only
// what COMMAND.COM reads: one command a line, the script's own "del" last,
// and no line for the folders that hold the script.
int WriteUninstallScript(const char* scriptPath, bool forCommandCom);

#endif

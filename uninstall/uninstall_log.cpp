// The uninstall log: every folder and file setup creates, in creation order.
#include "uninstall/uninstall_log.h"

#include "platform/platform.h"

#include <limits.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

char** gUninstallLines = nullptr;
int gUninstallCount = 0;
int gUninstallMark = 0;
int gUninstallLineLost = 0;

// Slots allocated in gUninstallLines; doubled whenever they are all used.
static int gUninstallCapacity = 0;

static bool MakeRoom()
{
    if (gUninstallCount < gUninstallCapacity)
        return true;
    if (gUninstallCapacity > INT_MAX / 2 ||
        (size_t)gUninstallCapacity > SIZE_MAX / 2 / sizeof(char*))
        return false;
    int capacity = gUninstallCapacity ? gUninstallCapacity * 2 : 64;
    char** lines = (char**)realloc(gUninstallLines, (size_t)capacity * sizeof(char*));
    if (!lines)
        return false;
    gUninstallLines = lines;
    gUninstallCapacity = capacity;
    return true;
}

// Takes line, allocated by the caller or null when that failed, into the log.
static int StoreLine(char* line)
{
    if (!line || !MakeRoom())
    {
        free(line);
        gUninstallLineLost = 1;
        return -1;
    }
    gUninstallLines[gUninstallCount++] = line;
    return gUninstallCount;
}

int AddUninstallLine(const char* text)
{
    size_t length = strlen(text);
    char* line = (char*)malloc(length + sizeof "\r\n");
    if (line)
    {
        memcpy(line, text, length);
        memcpy(line + length, "\r\n", sizeof "\r\n");
    }
    return StoreLine(line);
}

char* UninstallCommandText(const char* command, const char* path)
{
    size_t commandLength = strlen(command);
    size_t pathLength = strlen(path);
    size_t percents = 0;
    for (const char* p = path; *p; ++p)
        percents += *p == '%';
    char* line = (char*)malloc(commandLength + pathLength + percents + sizeof " \"\"\r\n");
    if (!line)
        return nullptr;
    char* out = line;
    memcpy(out, command, commandLength);
    out += commandLength;
    *out++ = ' ';
    *out++ = '"';
    for (const char* p = path; *p; ++p)
    {
        *out++ = *p;
        if (*p == '%')
            *out++ = '%';
    }
    memcpy(out, "\"\r\n", sizeof "\"\r\n");
    return line;
}

// cmd expands %name% even inside double quotes; a doubled '%' is read back
// as one, so the script names exactly the path setup wrote.
int AddUninstallCommand(const char* command, const char* path)
{
    return StoreLine(UninstallCommandText(command, path));
}

int MakeLoggedDir(const char* path)
{
    int result = FolderCreate(path);
    if (result == 0)
        AddUninstallCommand("rmdir", path);
    return result;
}

void ResetUninstallLog()
{
    for (int i = 0; i < gUninstallCount; ++i)
        free(gUninstallLines[i]);
    free(gUninstallLines);
    gUninstallLines = nullptr;
    gUninstallCapacity = 0;
    gUninstallCount = 0;
    gUninstallMark = 0;
    gUninstallLineLost = 0;
}

void SetUninstallMark()
{
    gUninstallMark = gUninstallCount;
}

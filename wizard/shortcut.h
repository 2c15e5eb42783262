// Shortcut files through the shell's link object.
#ifndef TREMLOK_WIZARD_SHORTCUT_H
#define TREMLOK_WIZARD_SHORTCUT_H

#include <windows.h>

// Which optional fields of a ShortcutInfo are applied.
const unsigned SHORTCUT_DESCRIPTION = 0x01;
const unsigned SHORTCUT_ARGUMENTS = 0x02;
const unsigned SHORTCUT_ICON = 0x04; // iconPath and iconIndex
const unsigned SHORTCUT_WORKDIR = 0x08;
const unsigned SHORTCUT_HOTKEY = 0x10;
const unsigned SHORTCUT_SHOWCMD = 0x20;
// "Run as administrator", where the shell supports it; otherwise the plain
// link is saved.
const unsigned SHORTCUT_RUNAS = 0x40;

// A field whose mask bit is clear is never read.
struct ShortcutInfo
{
    const char* target;
    unsigned mask;
    const char* description;
    const char* arguments;
    const char* iconPath;
    int iconIndex;
    const char* workingDirectory;
    int showCommand;
    unsigned short hotkey;
};

// Longest link path, in characters, that CreateShortcut accepts.
const int kMaxLinkPathLength = 259;

// Writes the shortcut file linkPath (used as given, extension included) from
// info. The folder must exist. Returns the save's HRESULT, the first failing
// HRESULT of object creation or interface query, or an error without
// touching the disk when linkPath is longer than kMaxLinkPathLength.
HRESULT CreateShortcut(const char* linkPath, const ShortcutInfo* info);

#endif

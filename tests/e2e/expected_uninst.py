#!/usr/bin/env python3
"""Prints the uninst.bat that an install of an archive must leave, worked
out from the archive's record order, independently of the program:

    expected_uninst.py ARCHIVE_CPP INSTALL PROGRAMS DESKTOP [options]

ARCHIVE_CPP is the data.cpp embedded in the program; INSTALL the install
folder, PROGRAMS and DESKTOP the Start menu's programs folder and the desktop
folder, each as Windows paths (PROGRAMS and DESKTOP with or without a
trailing backslash). Options:

    --desktop-link   the desktop shortcut was asked for
    --existing       the install folder, its subfolders and the Start-menu
                     folder existed before (a second install); otherwise all
                     of them are new and only their parents exist

The script goes to standard output as bytes, every line ended by CR LF.
"""

import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import datafile_dump  # noqa: E402


def quoted(command, path):
    # cmd expands %...% even inside quotes; a doubled % reads back as one.
    return '%s "%s"' % (command, path.replace("%", "%%"))


def folder_levels(path):
    """The folders that creating path's folders walks through, outermost
    first, without the bare drive ("C:" and "C:\\")."""
    parts = path.split("\\")
    return ["\\".join(parts[:i]) for i in range(2, len(parts) + 1)]


def main(argv):
    options = [a for a in argv if a.startswith("--")]
    args = [a for a in argv if not a.startswith("--")]
    if len(args) != 4 or set(options) - {"--desktop-link", "--existing"}:
        sys.stderr.write(__doc__)
        return 2
    cpp, install, programs, desktop = args
    programs = programs.rstrip("\\") + "\\"
    desktop = desktop.rstrip("\\") + "\\"
    existing = "--existing" in options

    # Everything above the install folder and the Start-menu folder exists;
    # below them, only on a second install.
    made = set()
    if existing:
        may_create = lambda folder: False  # noqa: E731
    else:
        new_roots = [install.lower(), (programs + "Tremlok").lower()]
        may_create = lambda folder: any(  # noqa: E731
            folder.lower() == root or folder.lower().startswith(root + "\\")
            for root in new_roots)

    def make_path(path, log):
        for folder in folder_levels(path):
            if folder.lower() not in made and may_create(folder):
                made.add(folder.lower())
                log.append(quoted("rmdir", folder))

    extraction = []
    records = datafile_dump.read_records(datafile_dump.read_cpp(cpp))
    for name, _, _, _, _ in records:
        entry = install + name.decode("latin-1")
        make_path(entry[:entry.rfind("\\")], extraction)
        extraction.append(quoted("del", entry))

    menu = programs + "Tremlok"
    shortcuts = []
    make_path(menu, shortcuts)
    if "--desktop-link" in options:
        shortcuts.append(quoted("del", desktop + "Tremlok.lnk"))
    shortcuts.append(quoted("del", menu + "\\Tremlok Uninstall.pif"))
    shortcuts.append(quoted("del", menu + "\\Tremlok Help.lnk"))
    shortcuts.append(quoted("del", menu + "\\Tremlok.lnk"))

    lines = ["REM This will uninstall Tremlok", ""]
    lines += reversed(extraction)
    lines += [""]
    lines += reversed(shortcuts)
    lines += ["", quoted("del", install + "\\uninst.bat")]
    sys.stdout.buffer.write("".join(line + "\r\n" for line in lines).encode("latin-1"))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))

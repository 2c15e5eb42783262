#!/bin/bash
# An install on Japanese Windows (code page 932, where the second byte of
# many characters is that of a backslash) into a folder whose Japanese name
# ends in such a character: the install folder is that folder's "\Tremlok",
# the tree is exactly the game's with no stray folder, and the uninstall
# removes it whole. It browses to the folder: the 64-bit run only.
set -u
# Code page 932 with English windows, whose captions the driver finds.
export LANG=ja_JP.UTF-8 LC_MESSAGES=en_US.UTF-8
# shellcheck source-path=SCRIPTDIR
source "$(dirname "$0")/lib.sh"

install_into 'C:\ソフト機能' 932 # 能 ends in 0x5C

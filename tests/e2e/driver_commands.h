// The test driver's subcommands. Each takes the words after its own name
// and returns the exit code: 0 done or true, 1 false or timed out, 2 bad
// usage or a window or control that is not there, 3 a control that a user
// could not operate (disabled or hidden).
#ifndef TREMLOK_TESTS_E2E_DRIVER_COMMANDS_H
#define TREMLOK_TESTS_E2E_DRIVER_COMMANDS_H

const int kDriverOk = 0;
const int kDriverFalse = 1;
const int kDriverUsage = 2;
const int kDriverRefused = 3;

// driver_commands.cpp: windows and controls.
int CommandList(int argc, char** argv);        // list
int CommandChildren(int argc, char** argv);    // children CAPTION
int CommandWaitWindow(int argc, char** argv);  // wait-window CAPTION MS
int CommandWaitGone(int argc, char** argv);    // wait-gone CAPTION MS
int CommandStillOpen(int argc, char** argv);   // still-open CAPTION MS
int CommandClick(int argc, char** argv);       // click CAPTION ID
int CommandCheck(int argc, char** argv);       // check CAPTION ID 0|1
int CommandGetCheck(int argc, char** argv);    // get-check CAPTION ID
int CommandGetText(int argc, char** argv);     // get-text CAPTION [CONTROL]
int CommandIsEnabled(int argc, char** argv);   // is-enabled CAPTION ID
int CommandSendKey(int argc, char** argv);     // send-key CAPTION escape|enter|alt-f4
int CommandClose(int argc, char** argv);       // close CAPTION
int CommandPostCommand(int argc, char** argv); // command CAPTION ID
int CommandSleep(int argc, char** argv);       // sleep MS

// driver_progress.cpp: the progress bar.
int CommandProgressPos(int argc, char** argv);   // progress-pos CAPTION ID
int CommandWatchProgress(int argc, char** argv); // watch-progress CAPTION BAR BUTTON LABEL MS

// driver_browse.cpp: the shell's folder browser.
int CommandBrowseSelect(int argc, char** argv); // browse-select CAPTION PATH

// driver_shell.cpp: shortcuts and special folders.
int CommandReadLink(int argc, char** argv);      // read-link FILE
int CommandSpecialFolder(int argc, char** argv); // special-folder CSIDL

#endif

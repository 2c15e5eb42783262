// The Linux tool's --sign: the programs it has just written, signed with
// Authenticode by the signing script installed beside it.
#ifndef TREMLOK_APP_PROGRAM_SIGNING_H
#define TREMLOK_APP_PROGRAM_SIGNING_H

#include "inspect/program_file.h"

// Signs each of count programs, already written from the data file at
// dataPath, through tremlok-sign-setup beside this tool (the certificate's
// password, if any, in TREMLOK_SIGN_PASS, which it inherits), stamped by
// timestamp unless that is "", then reads each back as --exe does and sets
// its written length to the signed one. Returns 0, or 1 after one line on
// standard error; every program of the run is then removed, so that none
// is shipped unsigned or damaged.
int SignProgramFiles(ProgramRequest* programs, int count, const char* certificate,
                     const char* timestamp, const char* dataPath);

#endif

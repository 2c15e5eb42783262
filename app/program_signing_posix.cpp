// Signing runs osslsigncode through the script the packager can also run
// alone, so that its handling of the password and of a failed signature is
// stated once.
#include "app/program_signing.h"

#include "platform/platform.h"

#include <errno.h>
#include <limits.h>
#include <spawn.h>
#include <stdio.h>
#include <string.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

static const char kSigner[] = "tremlok-sign-setup";

// The signer: beside this program, as the package installs both and the
// build leaves both; by name on PATH where this program cannot find
// itself (no /proc, as in a bare chroot).
static void SignerPath(char* path, size_t size)
{
    char self[PATH_MAX];
    ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
    memcpy(path, kSigner, sizeof kSigner);
    if (length <= 0)
        return;
    self[length] = 0;
    size_t folder = (size_t)(strrchr(self, '/') + 1 - self); // a link's target is absolute
    if (folder + sizeof kSigner > size)
        return;
    memcpy(path, self, folder);
    memcpy(path + folder, kSigner, sizeof kSigner);
}

// Runs the signer on every program; true when it signed them all.
static bool RunSigner(const char* signer, const ProgramRequest* programs, int count,
                      const char* certificate, const char* timestamp)
{
    const char* argv[4 + kMostPrograms + 1];
    int n = 0;
    argv[n++] = signer;
    if (timestamp[0])
    {
        argv[n++] = "--timestamp";
        argv[n++] = timestamp;
    }
    argv[n++] = certificate;
    for (int i = 0; i < count; ++i)
        argv[n++] = programs[i].path;
    argv[n] = nullptr;
    pid_t child;
    int status;
    fflush(stdout);
    if (posix_spawnp(&child, signer, nullptr, nullptr, (char* const*)argv, environ) != 0)
        return false;
    while (waitpid(child, &status, 0) < 0)
        if (errno != EINTR)
            return false;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

int SignProgramFiles(ProgramRequest* programs, int count, const char* certificate,
                     const char* timestamp, const char* dataPath)
{
    char signer[PATH_MAX];
    SignerPath(signer, sizeof signer);
    int result = 1;
    if (strchr(signer, '/') && access(signer, X_OK) != 0)
        ReportError("--sign: no %s beside this program to sign with", kSigner);
    else if (!RunSigner(signer, programs, count, certificate, timestamp))
        ReportError("signing failed; the programs were removed, so that none is shipped unsigned");
    else
    {
        DataFileSource data;
        result = LoadDataFileSource(dataPath, &data);
        for (int i = 0; result == 0 && i < count; ++i)
            result =
                CheckWrittenProgram(programs[i].path, programs[i].path, data, &programs[i].written);
        ReleaseDataFileSource(&data);
    }
    if (result != 0)
        for (int i = 0; i < count; ++i)
            FileRemove(programs[i].path);
    return result;
}

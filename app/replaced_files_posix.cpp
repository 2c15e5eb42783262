// Letting go of the page cache of files about to be replaced.
#include "app/replaced_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

struct ReplacedFiles
{
    const char* paths[4];
    int count;
};

static ReplacedFiles gReplaced;

static void Forget(void* argument)
{
    const ReplacedFiles* files = (const ReplacedFiles*)argument;
    for (int i = 0; i < files->count; ++i)
    {
        int fd = open(files->paths[i], O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC);
        struct stat status;
        if (fd < 0)
            continue;
        // Dirty pages are only started on their way to the disk.
        if (fstat(fd, &status) == 0 && S_ISREG(status.st_mode))
            posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
        close(fd);
    }
}

Thread* ForgetReplacedFiles(const char* const* paths, int count)
{
    gReplaced.count = 0;
    for (int i = 0; i < count && gReplaced.count < 4; ++i)
        if (paths[i] && paths[i][0])
            gReplaced.paths[gReplaced.count++] = paths[i];
    Thread* thread = ThreadStart(Forget, &gReplaced);
    if (!thread)
        Forget(&gReplaced);
    return thread;
}

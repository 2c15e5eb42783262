#include "fuzz/fuzz_check.h"

#include <sanitizer/common_interface_defs.h>
#include <stdarg.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

static int gReportFd = 2;

void FuzzSetReportFd(int fd)
{
    gReportFd = fd;
    __sanitizer_set_report_fd((void*)(intptr_t)fd);
}

void FuzzFail(const char* format, ...)
{
    char message[1024];
    va_list arguments;
    va_start(arguments, format);
    vsnprintf(message, sizeof message, format, arguments);
    va_end(arguments);
    dprintf(gReportFd, "fuzz check failed: %s\n", message);
    abort();
}

// --list and --test over a data.bin or a program's embedded image.
#include "inspect/archive_scan.h"

#include "inspect/archive_file.h"

#include <stdlib.h>

int ScanArchive(const char* path, bool list)
{
    ArchiveFile file;
    if (LoadArchiveFile(path, &file) != 0)
        return 1;
    // Finding a program's image decoded all of it already.
    int result = 0;
    if (list || !file.program)
    {
        const unsigned char* image = file.bytes + file.image.offset;
        WalkStop stop;
        WalkRecords(image, image + file.image.length, list, &stop);
        if (stop.result != kWalkWhole)
        {
            ReportWalkStop(path, file, stop);
            result = 1;
        }
    }
    free(file.bytes);
    return result;
}

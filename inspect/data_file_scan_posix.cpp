// --list and --test over a data.bin or a program's embedded image.
#include "inspect/data_file_scan.h"

#include "inspect/data_file_source.h"

int ScanDataFile(const char* path, bool list)
{
    DataFileSource file;
    if (LoadDataFileSource(path, &file) != 0)
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
    ReleaseDataFileSource(&file);
    return result;
}

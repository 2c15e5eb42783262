// Builds data.bin and data.cpp in the current directory from the folder
// given, as /m does, for the build to compile the result back in.
#include "datafile/builder.h"

#include <stdio.h>

int main(int argc, char** argv)
{
    if (argc != 2)
    {
        fputs("usage: make_archive <folder>\n", stderr);
        return 2;
    }
    return MakeDataBin(argv[1]);
}

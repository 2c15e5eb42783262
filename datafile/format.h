// The data file's byte layout: a 32-bit total size, entry records (name,
// size, method byte, payload), and a single 0 byte as the end marker.
#ifndef TREMLOK_DATAFILE_FORMAT_H
#define TREMLOK_DATAFILE_FORMAT_H

#include <stdint.h>

const unsigned char kMethodStored = 0;
const unsigned char kMethodLzw = 'L';
const unsigned char kMethodDelta = 'W';

// Buffer sizes, terminator included: the limits of the data model.
const int kEntryNameSize = 512;   // entry name as read
const int kEntryPathSize = 512;   // destination folder followed by the name
const int kCurrentFileSize = 256; // the progress page's current-file text
const int kMakePathSize = 2048;   // MakePath's working copy
const int kSourcePathSize = 512;  // builder: full path of a listing entry

// The smallest data file: a total size of 0 and the end marker.
const uint32_t kEmptyDataFileLength = 5;

inline uint16_t ReadLe16(const unsigned char* p)
{
    return (uint16_t)(p[0] | (p[1] << 8));
}

inline uint32_t ReadLe32(const unsigned char* p)
{
    return (uint32_t)p[0] | ((uint32_t)p[1] << 8) | ((uint32_t)p[2] << 16) | ((uint32_t)p[3] << 24);
}

inline void WriteLe32(unsigned char* p, uint32_t value)
{
    p[0] = (unsigned char)value;
    p[1] = (unsigned char)(value >> 8);
    p[2] = (unsigned char)(value >> 16);
    p[3] = (unsigned char)(value >> 24);
}

#endif

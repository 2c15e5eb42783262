// Data files put together byte by byte, to feed the extraction engine
// archives the builder would never write.
#ifndef TREMLOK_TESTS_ARCHIVE_IMAGE_H
#define TREMLOK_TESTS_ARCHIVE_IMAGE_H

#include "coders/coder.h"
#include "coders/delta.h"
#include "coders/lzw.h"
#include "datafile/format.h"

#include <string.h>
#include <string>
#include <vector>

typedef std::vector<unsigned char> Bytes;

struct RecordSpec
{
    std::string name;
    std::string content;
    unsigned char method;
};

inline Bytes CodedPayload(const std::string& content, unsigned char method)
{
    Bytes payload(CoderOutputBound((uint32_t)content.size()));
    const unsigned char* input = (const unsigned char*)content.data();
    uint32_t length = (uint32_t)content.size();
    if (method == kMethodLzw)
        length =
            LzwEncode(input, (int32_t)content.size(), payload.data(), (uint32_t)payload.size());
    else if (method == kMethodDelta)
        length =
            DeltaEncode(input, (int32_t)content.size(), payload.data(), (uint32_t)payload.size());
    else
        memcpy(payload.data(), input, content.size());
    payload.resize(length);
    return payload;
}

inline void AppendRecordHead(Bytes* bytes, const std::string& name, uint32_t size,
                             unsigned char method)
{
    bytes->insert(bytes->end(), name.begin(), name.end());
    bytes->push_back(0);
    unsigned char le[4];
    WriteLe32(le, size);
    bytes->insert(bytes->end(), le, le + 4);
    bytes->push_back(method);
}

inline Bytes ArchiveBytes(const std::vector<RecordSpec>& records)
{
    Bytes bytes(4, 0);
    uint32_t total = 0;
    for (const RecordSpec& r : records)
    {
        AppendRecordHead(&bytes, r.name, (uint32_t)r.content.size(), r.method);
        Bytes payload = CodedPayload(r.content, r.method);
        bytes.insert(bytes.end(), payload.begin(), payload.end());
        total += (uint32_t)r.content.size();
    }
    bytes.push_back(0);
    WriteLe32(bytes.data(), total);
    return bytes;
}

// The bytes as gDatfile holds them: whole words, zero-padded.
inline std::vector<unsigned int> ImageWords(const Bytes& bytes)
{
    std::vector<unsigned int> words(bytes.size() / 4 + 1, 0);
    if (!bytes.empty())
        memcpy(words.data(), bytes.data(), bytes.size());
    return words;
}

#endif

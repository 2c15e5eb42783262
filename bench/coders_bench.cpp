// Throughput and compression ratio of both coders on sample data.
// Usage: coders_bench [megabytes per sample, default 8]
#include "coders/coder.h"
#include "coders/delta.h"
#include "coders/lzw.h"
#include "tests/unit/coder_samples.h"

#include <chrono>
#include <stdio.h>
#include <stdlib.h>

namespace
{

typedef uint32_t (*EncodeFunction)(const unsigned char*, int32_t, unsigned char*, uint32_t);
typedef uint32_t (*DecodeFunction)(const unsigned char*, uint32_t, unsigned char*, uint32_t);

// Runs work until at least half a second has passed; returns MB/s over bytes.
template <typename Work> double MegabytesPerSecond(size_t bytes, Work work)
{
    typedef std::chrono::steady_clock Clock;
    const Clock::time_point start = Clock::now();
    double seconds = 0;
    int runs = 0;
    do
    {
        work();
        ++runs;
        seconds = std::chrono::duration<double>(Clock::now() - start).count();
    } while (seconds < 0.5);
    return (double)bytes * runs / seconds / 1e6;
}

void Measure(const char* coder, EncodeFunction encode, DecodeFunction decode, const char* sample,
             const Bytes& input)
{
    const uint32_t n = (uint32_t)input.size();
    Bytes coded(CoderOutputBound(n));
    Bytes decoded(n);
    uint32_t length = 0;
    const double encodeRate = MegabytesPerSecond(
        n,
        [&] { length = encode(input.data(), (int32_t)n, coded.data(), (uint32_t)coded.size()); });
    uint32_t consumed = 0;
    const double decodeRate =
        MegabytesPerSecond(n, [&] { consumed = decode(coded.data(), length, decoded.data(), n); });
    const bool good = length != kCoderFailed && consumed == length && decoded == input;
    printf("%-6s %-8s %10.1f %10.1f %8.3f%s\n", coder, sample, encodeRate, decodeRate,
           (double)length / n, good ? "" : "  ROUND TRIP FAILED");
}

} // namespace

int main(int argc, char** argv)
{
    const size_t n = (argc > 1 ? (size_t)atoi(argv[1]) : 8) << 20;
    const struct
    {
        const char* name;
        Bytes data;
    } samples[] = {
        {"text", TextBytes(n, 1)},
        {"smooth", SmoothBytes(n, 2)},
        {"random", RandomBytes(n, 3)},
    };
    printf("%-6s %-8s %10s %10s %8s   (%zu MB samples; MB/s of uncoded bytes)\n", "coder", "sample",
           "encode", "decode", "ratio", n >> 20);
    for (const auto& sample : samples)
        Measure("lzw", LzwEncode, LzwDecode, sample.name, sample.data);
    for (const auto& sample : samples)
        Measure("delta", DeltaEncode, DeltaDecode, sample.name, sample.data);
    return 0;
}

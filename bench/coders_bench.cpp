// Throughput and coded size of both coders, both directions, on every input
// kind of bench_inputs.h (Google Benchmark). MB/s counts uncoded bytes;
// "ratio" is coded bytes over input bytes. The builder's bounded LZW, which
// gives up on input it cannot shrink, runs as lzw_bounded.
// Usage: coders_bench [--benchmark_filter=...] [--bench_megabytes=N, default 8]
#include "bench/bench_inputs.h"
#include "coders/coder.h"
#include "coders/delta.h"
#include "coders/lzw.h"

#include <benchmark/benchmark.h>

#include <stdlib.h>
#include <string.h>

namespace
{

size_t gSampleBytes = 8 << 20;

const Bytes& Sample(int kind)
{
    static Bytes samples[kInputKinds];
    if (samples[kind].empty())
        samples[kind] = MakeInput(kind, gSampleBytes, 100 + kind);
    return samples[kind];
}

typedef uint32_t (*EncodeFunction)(const unsigned char*, int32_t, unsigned char*, uint32_t);
typedef uint32_t (*DecodeFunction)(const unsigned char*, uint32_t, unsigned char*, uint32_t);

void Report(benchmark::State& state, size_t n, uint32_t coded)
{
    state.SetBytesProcessed((int64_t)(state.iterations() * n));
    state.counters["MB/s"] =
        benchmark::Counter((double)n / 1e6, benchmark::Counter::kIsIterationInvariantRate);
    state.counters["coded"] = coded;
    state.counters["ratio"] = (double)coded / (double)n;
}

void Encode(benchmark::State& state, EncodeFunction encode, int kind, bool bounded)
{
    const Bytes& input = Sample(kind);
    const uint32_t n = (uint32_t)input.size();
    // Bounded as the builder bounds it: a coding as long as the file loses.
    const uint32_t room = bounded ? n - 1 : CoderOutputBound(n);
    Bytes coded(room);
    uint32_t length = 0;
    for (auto _ : state)
    {
        length = encode(input.data(), (int32_t)n, coded.data(), room);
        benchmark::DoNotOptimize(length);
    }
    if (length == kCoderFailed || length == kCoderTooLong)
    {
        Report(state, n, n);
        state.SetLabel("does not shrink");
    }
    else
        Report(state, n, length);
}

void Decode(benchmark::State& state, EncodeFunction encode, DecodeFunction decode, int kind)
{
    const Bytes& input = Sample(kind);
    const uint32_t n = (uint32_t)input.size();
    Bytes coded(CoderOutputBound(n));
    const uint32_t length = encode(input.data(), (int32_t)n, coded.data(), (uint32_t)coded.size());
    Bytes output(n);
    uint32_t consumed = 0;
    for (auto _ : state)
    {
        consumed = decode(coded.data(), length, output.data(), n);
        benchmark::DoNotOptimize(consumed);
    }
    if (consumed != length || output != input)
        state.SkipWithError("round trip failed");
    Report(state, n, length);
}

void RegisterAll()
{
    for (int kind = 0; kind < kInputKinds; ++kind)
    {
        const std::string name = InputKindName(kind);
        benchmark::RegisterBenchmark(("lzw_encode/" + name).c_str(), Encode, LzwEncode, kind,
                                     false);
        benchmark::RegisterBenchmark(("lzw_bounded/" + name).c_str(), Encode, LzwEncodeBounded,
                                     kind, true);
        benchmark::RegisterBenchmark(("lzw_decode/" + name).c_str(), Decode, LzwEncode, LzwDecode,
                                     kind);
        benchmark::RegisterBenchmark(("delta_encode/" + name).c_str(), Encode, DeltaEncode, kind,
                                     false);
        benchmark::RegisterBenchmark(("delta_decode/" + name).c_str(), Decode, DeltaEncode,
                                     DeltaDecode, kind);
    }
}

} // namespace

int main(int argc, char** argv)
{
    // Our own option first: Google Benchmark refuses flags it does not know.
    static const char kOption[] = "--bench_megabytes=";
    int kept = 1;
    for (int i = 1; i < argc; ++i)
    {
        if (strncmp(argv[i], kOption, sizeof kOption - 1) == 0)
            gSampleBytes = (size_t)atoi(argv[i] + sizeof kOption - 1) << 20;
        else
            argv[kept++] = argv[i];
    }
    argc = kept;
    RegisterAll();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

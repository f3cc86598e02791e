#pragma once

// What the benchmark programs share: where their files are, the bare whole-file read they are measured
// against, and the peak-memory figures, each measured in a process of its own.

#include <benchmark/benchmark.h>

#include <filesystem>
#include <optional>
#include <span>
#include <string_view>

namespace qb::bench {

namespace fs = std::filesystem;

// The folder holding the benchmark files (QB_BENCH_DATA names one, else `defaultFolder`), after the
// Python script `fixtureScript` has written them there when one of `lastWritten` is missing. Nothing,
// with what to do said on stderr, when they cannot be written.
std::optional<fs::path> fixtureFolder(const char* defaultFolder, const char* fixtureScript,
                                      std::span<const std::string_view> lastWritten);

// "read/FILE": the whole-file read alone, the floor the other figures are set against.
void readOnly(benchmark::State& state, const fs::path& path);

// The peak resident memory of this process so far, in kilobytes.
long peakKilobytes();

// "PROGRAM --memory FILE": the argument of a memory measurement, when this process is one.
std::optional<fs::path> memoryRequest(int argc, char** argv);

// Runs the registered benchmarks with the command line's flags, then prints `heading` and runs this
// program again with "--memory FILE" for each of `memoryFiles` in `folder`, each in a process of its own.
// Returns the process's exit status.
int runBenchmarks(int argc, char** argv, std::string_view heading, const fs::path& folder,
                  std::span<const std::string_view> memoryFiles);

}  // namespace qb::bench

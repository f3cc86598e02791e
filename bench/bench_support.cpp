#include "bench_support.hpp"

#include <sys/resource.h>

#include <cstdlib>
#include <iostream>
#include <string>

#include <fmt/format.h>

#include "platform/files.hpp"

namespace qb::bench {

std::optional<fs::path> fixtureFolder(const char* defaultFolder, const char* fixtureScript,
                                      std::span<const std::string_view> lastWritten) {
    const char* named = std::getenv("QB_BENCH_DATA");
    const fs::path folder = named ? fs::path(named) : fs::path(defaultFolder);
    bool present = true;
    for (std::string_view file : lastWritten) present = present && fs::exists(folder / file);
    if (present) return folder;
    std::cerr << "writing the benchmark files into " << folder << " with plistlib...\n";
    const std::string command = fmt::format("python3 '{}' '{}'", fixtureScript, folder.string());
    if (std::system(command.c_str()) == 0) return folder;
    std::cerr << "cannot write the benchmark files into " << folder
              << ": check that python3 runs, or set QB_BENCH_DATA to a folder holding them\n";
    return std::nullopt;
}

void readOnly(benchmark::State& state, const fs::path& path) {
    std::size_t size = 0;
    for (auto _ : state) {
        auto bytes = readFileBytes(path);
        if (!bytes) return state.SkipWithError("cannot read the file");
        size = bytes->size();
        benchmark::DoNotOptimize(bytes->data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * size));
}

long peakKilobytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

std::optional<fs::path> memoryRequest(int argc, char** argv) {
    if (argc == 3 && std::string_view(argv[1]) == "--memory") return fs::path(argv[2]);
    return std::nullopt;
}

int runBenchmarks(int argc, char** argv, std::string_view heading, const fs::path& folder,
                  std::span<const std::string_view> memoryFiles) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();

    const fs::path self = fs::read_symlink("/proc/self/exe");
    std::cout << "\n" << heading << "\n" << std::flush;
    for (std::string_view file : memoryFiles) {
        const std::string command =
            fmt::format("'{}' --memory '{}'", self.string(), (folder / file).string());
        if (std::system(command.c_str()) != 0) std::cerr << "memory measurement failed for " << file << "\n";
    }
    return 0;
}

}  // namespace qb::bench

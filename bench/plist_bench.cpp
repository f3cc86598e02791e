// Property-list reading speed and memory on reading lists of 10,000 entries with 2 KB icons and of
// 100,000 entries without, in both encodings: the bare whole-file read, parse + a walk over every
// entry's keys, and both together, in the same run; for XML also expat alone, the floor of that path. Then,
// each in a process of its own, the peak memory of read + parse + walk against the file size.
//
//   plist_bench [benchmark flags]      the benchmarks, then the memory figures
//   plist_bench --memory FILE          one memory measurement (used by the above)
//
// The fixtures are written by bench/peers/plist_fixtures.py (Python's plistlib) into the build folder
// when missing; QB_BENCH_DATA names another folder. bench/peers/plist_peer.py times plistlib on them.

#include <benchmark/benchmark.h>
#include <expat.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <string_view>

#include <fmt/format.h>

#include "bench_support.hpp"
#include "platform/bytes.hpp"
#include "platform/files.hpp"
#include "platform/plist/plist.hpp"

namespace {

namespace fs = std::filesystem;
using qb::plist::Value;

constexpr std::string_view files[] = {"readinglist-10k.bplist", "readinglist-10k.xml",
                                      "readinglist-100k.bplist", "readinglist-100k.xml"};

// What a reader does after parsing: visit every entry and each of its keys.
std::size_t walkEntries(const Value& root) {
    std::size_t sum = 0;
    auto entries = root.asArray();
    if (!entries) return 0;
    for (const Value& entry : *entries) {
        if (auto dictionary = entry.asDictionary())
            for (const auto& [key, value] : *dictionary)
                sum += key.size() + static_cast<std::size_t>(value.type());
    }
    return sum;
}

void parseAndWalk(benchmark::State& state, const fs::path& path) {
    auto read = qb::readFile(path);
    if (!read) return state.SkipWithError("cannot read the file");
    const qb::Bytes bytes(std::move(*read));
    for (auto _ : state) {
        auto result = qb::plist::parse(bytes);
        if (!result) return state.SkipWithError(result.error.c_str());
        benchmark::DoNotOptimize(walkEntries(*result.value));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes.size()));
}

void readParseAndWalk(benchmark::State& state, const fs::path& path) {
    std::size_t size = 0;
    for (auto _ : state) {
        auto read = qb::readFileBytes(path);
        if (!read) return state.SkipWithError("cannot read the file");
        size = read->size();
        auto result = qb::plist::parse(std::move(*read));
        if (!result) return state.SkipWithError(result.error.c_str());
        benchmark::DoNotOptimize(walkEntries(*result.value));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * size));
}

// The floor of the XML path: expat alone over the same bytes, with no handlers, and with element and
// character-data handlers that do nothing (what every parse on expat pays at least).
void expatOnly(benchmark::State& state, const fs::path& path, bool handlers) {
    auto read = qb::readFile(path);
    if (!read) return state.SkipWithError("cannot read the file");
    const std::string bytes(std::move(*read));
    for (auto _ : state) {
        XML_Parser parser = XML_ParserCreate(nullptr);
        if (handlers) {
            XML_SetElementHandler(
                parser, [](void*, const XML_Char*, const XML_Char**) {}, [](void*, const XML_Char*) {});
            XML_SetCharacterDataHandler(parser, [](void*, const XML_Char*, int) {});
        }
        // In pieces of 1 MB, as the reader feeds it.
        constexpr std::size_t piece = 1 << 20;
        bool ok = true;
        for (std::size_t at = 0; ok && at < bytes.size(); at += piece) {
            const std::size_t length = std::min(piece, bytes.size() - at);
            ok = XML_Parse(parser, bytes.data() + at, static_cast<int>(length),
                           at + length == bytes.size()) == XML_STATUS_OK;
        }
        XML_ParserFree(parser);
        if (!ok) return state.SkipWithError("expat rejected the file");
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes.size()));
}

int measureMemory(const fs::path& path) {
    const long before = qb::bench::peakKilobytes();
    auto read = qb::readFileBytes(path);
    if (!read) return 1;
    const double size = static_cast<double>(read->size());
    auto result = qb::plist::parse(std::move(*read));
    if (!result) return 1;
    benchmark::DoNotOptimize(walkEntries(*result.value));
    const double grown = static_cast<double>(qb::bench::peakKilobytes() - before) * 1024;
    // The form bench/peers/report.py reads: "memory FILE FILE_BYTES PEAK_GROWTH_BYTES".
    fmt::print("memory {} {:.0f} {:.0f}   ({:.2f}x the file)\n", path.filename().string(), size, grown,
               grown / size);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (auto file = qb::bench::memoryRequest(argc, argv)) return measureMemory(*file);
    const auto data = qb::bench::fixtureFolder(QB_BENCH_DATA_DIR, QB_BENCH_FIXTURES, files);
    if (!data) return 1;
    const fs::path& folder = *data;
    for (std::string_view file : files) {
        const fs::path path = folder / file;
        benchmark::RegisterBenchmark(fmt::format("read/{}", file).c_str(), qb::bench::readOnly, path)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(fmt::format("parse+walk/{}", file).c_str(), parseAndWalk, path)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(fmt::format("read+parse+walk/{}", file).c_str(), readParseAndWalk, path)
            ->Unit(benchmark::kMillisecond);
        if (fs::path(file).extension() == ".xml") {
            benchmark::RegisterBenchmark(fmt::format("expat-bare/{}", file).c_str(), expatOnly, path, false)
                ->Unit(benchmark::kMillisecond);
            benchmark::RegisterBenchmark(fmt::format("expat-handlers/{}", file).c_str(), expatOnly, path,
                                         true)
                ->Unit(benchmark::kMillisecond);
        }
    }
    return qb::bench::runBenchmarks(
        argc, argv, "Peak memory of read + parse + walk, each file in a process of its own:", folder, files);
}

// What the widgets cost, in the same run as the bare file reads they are measured against:
//
//   read/FILE             the whole-file read alone
//   timeline/FILE         a list widget's timeline request through its provider, with a store for FILE
//                         (read, parse, count and filter every entry, items for the first 16)
//   parseTips/feed-1000.xml        the feed parser on a feed of 1,000 items
//   stripHTML/descriptions-long.html   HTML to plain text on one long description
//   render/text|html/KIND/FAMILY   building a widget's view for a family and drawing it as the host does
//
// Then, each in a process of its own, the peak memory of a timeline request against the file size.
//
//   widget_bench [benchmark flags]            the benchmarks, then the memory figures
//   widget_bench --memory FILE                one memory measurement (used by the above)
//
// The files are written by bench/peers/widget_fixtures.py into the build folder when missing
// (QB_BENCH_DATA names another folder); bench/peers/widget_peer.py does the same work in Python.

#include <benchmark/benchmark.h>

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include <fmt/format.h>

#include "bench_support.hpp"
#include "bundle/quillbrook_widget_bundle.hpp"
#include "core/widget_services.hpp"
#include "favorites/favorites_provider.hpp"
#include "host/render/html.hpp"
#include "host/render/terminal.hpp"
#include "platform/files.hpp"
#include "readinglist/reading_list_provider.hpp"
#include "tips/rss_parser.hpp"
#include "workspaces/workspaces_provider.hpp"

namespace {

namespace fs = std::filesystem;

constexpr int sizes[] = {16, 1000, 10000};
constexpr std::string_view feedFile = "feed-1000.xml";
constexpr std::string_view descriptionFile = "descriptions-long.html";
// The last files the fixture script writes: with these in place, the rest are too.
constexpr std::string_view lastWritten[] = {descriptionFile, "workspaces-10000.xml"};
// The file whose timeline the memory targets are set for, and its siblings measured alongside.
constexpr std::string_view memoryFiles[] = {"readinglist-10000-icons.bplist", "readinglist-10000-icons.xml",
                                            "readinglist-10000.bplist", "favorites-10000-icons.bplist",
                                            "workspaces-10000.bplist"};

// The stems of the list files: widget, entry count, icons or not.
std::vector<std::string> listStems() {
    std::vector<std::string> stems;
    for (int size : sizes) {
        for (const char* widget : {"readinglist", "favorites", "workspaces"}) {
            stems.push_back(fmt::format("{}-{}", widget, size));
            if (std::string_view(widget) != "workspaces")
                stems.push_back(fmt::format("{}-{}-icons", widget, size));
        }
    }
    return stems;
}

// A timeline request of a list widget's provider over the file; answers the number of items in its entry.
template <class Provider, class Store>
std::function<std::size_t()> requestOf(const fs::path& file) {
    const qb::TimelineContext context{qb::WidgetFamily::systemLarge, false};
    return [provider = Provider(Store::forFile(file)), context] {
        return provider.timeline(typename Provider::Intent{}, context).entries.front().items.size();
    };
}

// A timeline request of the widget the file belongs to.
std::function<std::size_t()> timelineRequest(const fs::path& file) {
    const std::string name = file.filename().string();
    if (name.starts_with("readinglist"))
        return requestOf<qb::readinglist::ReadingListProvider, qb::readinglist::ReadingListStore>(file);
    if (name.starts_with("favorites"))
        return requestOf<qb::favorites::FavoritesProvider, qb::favorites::FavoritesStore>(file);
    return requestOf<qb::workspaces::WorkspacesProvider, qb::workspaces::WorkspaceStore>(file);
}

void timeline(benchmark::State& state, const fs::path& path) {
    const auto request = timelineRequest(path);
    if (request() == 0) return state.SkipWithError("the timeline has no items: is the file readable?");
    for (auto _ : state) benchmark::DoNotOptimize(request());
}

void parseTips(benchmark::State& state, const fs::path& path) {
    auto feed = qb::readFile(path);
    if (!feed) return state.SkipWithError("cannot read the feed");
    const std::string text(*feed);
    std::size_t tips = 0;
    for (auto _ : state) {
        auto items = qb::tips::RSSParser::parseTips(text);
        tips = items.size();
        benchmark::DoNotOptimize(items.data());
    }
    state.counters["tips"] = static_cast<double>(tips);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}

void stripHTML(benchmark::State& state, const fs::path& path) {
    auto html = qb::readFile(path);
    if (!html) return state.SkipWithError("cannot read the description");
    const std::string text(*html);
    for (auto _ : state) benchmark::DoNotOptimize(qb::tips::RSSParser::stripHTML(text));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}

// One entry per widget, as the host would draw it: the list widgets' timelines on the sample home,
// the Tips widget's snapshot (its timeline would download the feed).
struct RenderCase {
    const qb::AnyWidget* widget;
    qb::WidgetFamily family;
    qb::ErasedEntry entry;
};

void renderText(benchmark::State& state, const RenderCase& c) {
    const qb::ui::Environment environment{c.family, qb::WidgetRenderingMode::fullColor};
    for (auto _ : state) {
        const qb::host::TerminalTile tile{c.widget->displayName(), c.family, environment,
                                          c.entry.view(environment)};
        benchmark::DoNotOptimize(qb::host::renderTile(tile, qb::host::Styling::plain));
    }
}

void renderHtml(benchmark::State& state, const RenderCase& c) {
    const qb::ui::Environment environment{c.family, qb::WidgetRenderingMode::fullColor};
    for (auto _ : state) {
        const qb::host::HtmlTile tile{c.widget->kind(), c.widget->displayName(), c.family,
                                      environment.renderingMode, c.entry.view(environment)};
        benchmark::DoNotOptimize(qb::host::renderHtmlTile(tile));
    }
}

// Prints "memory FILE FILE_BYTES PEAK_GROWTH_BYTES" for the report.
int measureMemory(const fs::path& path) {
    const auto request = timelineRequest(path);
    const long before = qb::bench::peakKilobytes();
    const std::size_t items = request();
    const long grown = (qb::bench::peakKilobytes() - before) * 1024;
    if (items == 0) return 1;
    fmt::print("memory {} {} {}\n", path.filename().string(), fs::file_size(path), grown);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (auto file = qb::bench::memoryRequest(argc, argv)) return measureMemory(*file);
    const auto data = qb::bench::fixtureFolder(QB_BENCH_DATA_DIR, QB_BENCH_FIXTURES, lastWritten);
    if (!data) return 1;
    const fs::path& folder = *data;

    for (const std::string& stem : listStems()) {
        for (const char* extension : {".bplist", ".xml"}) {
            const std::string file = stem + extension;
            benchmark::RegisterBenchmark(("read/" + file).c_str(), qb::bench::readOnly, folder / file)
                ->Unit(benchmark::kMillisecond);
            benchmark::RegisterBenchmark(("timeline/" + file).c_str(), timeline, folder / file)
                ->Unit(benchmark::kMillisecond);
        }
    }
    benchmark::RegisterBenchmark(fmt::format("parseTips/{}", feedFile).c_str(), parseTips, folder / feedFile)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark(fmt::format("stripHTML/{}", descriptionFile).c_str(), stripHTML,
                                 folder / descriptionFile)
        ->Unit(benchmark::kMillisecond);

    // The sample home's files for the list widgets; nothing here reaches the network.
    auto services = qb::WidgetServices::system();
    services.home = QB_BENCH_SAMPLE_HOME;
    const std::vector<qb::AnyWidget> widgets = qb::QuillbrookWidgetBundle{services}.body();
    std::vector<RenderCase> cases;
    for (const qb::AnyWidget& widget : widgets) {
        const qb::WidgetInstance instance = widget.makeInstance();
        for (qb::WidgetFamily family : widget.families()) {
            const qb::TimelineContext context{family, false};
            qb::ErasedEntry entry = widget.kind() == "TipsWidget"
                                        ? instance.snapshot(context)
                                        : instance.timeline(context).entries.front();
            cases.push_back({&widget, family, std::move(entry)});
        }
    }
    for (const RenderCase& c : cases) {
        const std::string name = fmt::format("{}/{}", c.widget->kind(), qb::name(c.family));
        benchmark::RegisterBenchmark(("render/text/" + name).c_str(), renderText, c)
            ->Unit(benchmark::kMicrosecond);
        benchmark::RegisterBenchmark(("render/html/" + name).c_str(), renderHtml, c)
            ->Unit(benchmark::kMicrosecond);
    }

    return qb::bench::runBenchmarks(
        argc, argv,
        "Peak memory of one timeline request (read, parse, items), each in a process of its own:", folder,
        memoryFiles);
}

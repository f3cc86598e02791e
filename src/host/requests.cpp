#include "host/requests.hpp"

#include <algorithm>
#include <atomic>
#include <exception>
#include <system_error>
#include <thread>

namespace qb::host {
namespace {

// Enough to overlap a download with reading files; more would only multiply downloads and memory.
constexpr std::size_t maxWorkers = 4;

Answer answer(const Request& request) {
    Answer result{request.widget, request.family, request.kind, {}, std::nullopt, std::nullopt};
    const TimelineContext context{request.family, false};
    try {
        switch (request.kind) {
            case RequestKind::placeholder:
                result.entries.push_back(request.instance.placeholder(context));
                break;
            case RequestKind::snapshot:
                result.entries.push_back(request.instance.snapshot(context));
                break;
            case RequestKind::timeline: {
                auto timeline = request.instance.timeline(context);
                result.entries = std::move(timeline.entries);
                result.policy = timeline.policy;
                break;
            }
        }
    } catch (const std::exception& error) {
        result.failure = error.what();
    } catch (...) {
        result.failure = "an unknown error";
    }
    return result;
}

}  // namespace

std::vector<Answer> runRequests(std::vector<Request> requests) {
    std::vector<Answer> answers(requests.size());
    // Each worker takes the next request not yet taken until none is left.
    std::atomic<std::size_t> next{0};
    auto work = [&] {
        for (std::size_t i = next++; i < requests.size(); i = next++) answers[i] = answer(requests[i]);
    };
    const std::size_t cores = std::max(1u, std::thread::hardware_concurrency());
    const std::size_t workers = std::min({maxWorkers, cores, requests.size()});
    {
        std::vector<std::jthread> pool;
        try {
            for (std::size_t w = 1; w < workers; ++w) pool.emplace_back(work);
        } catch (const std::system_error&) {
            // The system gives no more threads: the ones started, and this one, do the work.
        }
        work();  // the calling thread is one of the workers
    }
    return answers;
}

}  // namespace qb::host

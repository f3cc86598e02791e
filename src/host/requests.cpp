#include "host/requests.hpp"

#include <exception>
#include <future>

namespace qb::host {
namespace {

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
    std::vector<std::future<Answer>> pending;
    pending.reserve(requests.size());
    for (auto& request : requests)
        pending.push_back(
            std::async(std::launch::async, [request = std::move(request)] { return answer(request); }));
    std::vector<Answer> answers;
    answers.reserve(pending.size());
    for (auto& future : pending) answers.push_back(future.get());
    return answers;
}

}  // namespace qb::host

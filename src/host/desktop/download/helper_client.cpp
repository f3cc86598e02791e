#include "host/desktop/download/helper_client.hpp"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <climits>
#include <cstring>
#include <mutex>
#include <set>
#include <vector>

#include <fmt/format.h>

#include "platform/program_location.hpp"

extern char** environ;

namespace qb::desktop {

namespace {

using Clock = std::chrono::steady_clock;

constexpr std::string_view cancelledDownload = "The download was cancelled because the program is stopping";
constexpr std::string_view helperName = "quillbrook-widgets-download";
// Room for the status and the error line beside the largest body the helper accepts.
constexpr std::size_t answerRoom = 64 * 1024;

HttpResult failed(std::string why) {
    HttpResult result;
    result.error = std::move(why);
    return result;
}

// A file descriptor closed when it goes.
class Descriptor {
  public:
    explicit Descriptor(int fd = -1) : fd_(fd) {}
    ~Descriptor() { close(); }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }
    void close() {
        if (fd_ >= 0) ::close(fd_);
        fd_ = -1;
    }

  private:
    int fd_;
};

std::string seconds(std::chrono::milliseconds span) {
    const auto count = std::chrono::duration_cast<std::chrono::seconds>(span).count();
    return fmt::format("{} second{}", count, count == 1 ? "" : "s");
}

// Reads the helper's answer until it closes its end; why it stopped early, if it did.
std::optional<std::string> readAnswer(int fd, std::string& answer, std::chrono::milliseconds deadline,
                                      std::size_t limit) {
    const auto end = Clock::now() + deadline;
    std::vector<char> buffer(64 * 1024);
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now()).count();
        if (left <= 0)
            return fmt::format("The download helper did not finish within {}; the download was abandoned",
                               seconds(deadline));
        pollfd ready{fd, POLLIN, 0};
        const int polled = ::poll(&ready, 1, static_cast<int>(std::min<long long>(left, INT_MAX)));
        if (polled < 0 && errno != EINTR)
            return fmt::format("Could not read the download helper's answer: {}", std::strerror(errno));
        if (polled <= 0) continue;
        const ssize_t count = ::read(fd, buffer.data(), buffer.size());
        if (count < 0) {
            if (errno == EINTR || errno == EAGAIN) continue;
            return fmt::format("Could not read the download helper's answer: {}", std::strerror(errno));
        }
        if (count == 0) return std::nullopt;
        if (answer.size() + static_cast<std::size_t>(count) > limit)
            return fmt::format("The download helper sent more than {} bytes; the download was abandoned",
                               limit);
        answer.append(buffer.data(), static_cast<std::size_t>(count));
    }
}

// The helper's exit status once it ended; none when it cannot be known (another part of the program
// collected it).
std::optional<int> waitFor(pid_t pid) {
    int status = 0;
    for (;;) {
        if (::waitpid(pid, &status, 0) == pid) return status;
        if (errno != EINTR) return std::nullopt;
    }
}

std::string describeEnd(int status) {
    if (WIFSIGNALED(status))
        return fmt::format("The download helper was stopped by signal {} ({}); the download was abandoned",
                           WTERMSIG(status), ::strsignal(WTERMSIG(status)));
    return fmt::format("The download helper failed (exit status {}); the download was abandoned",
                       WEXITSTATUS(status));
}

}  // namespace

std::string encodeDownloadAnswer(const HttpResult& result) {
    std::string error;
    if (result.error) {
        error = result.error->empty() ? "The download failed" : *result.error;
        std::replace_if(
            error.begin(), error.end(), [](char c) { return c == '\n' || c == '\r'; }, ' ');
    }
    std::string answer = fmt::format("{}\n{}\n", result.status, error);
    answer += result.body;
    return answer;
}

std::optional<HttpResult> decodeDownloadAnswer(std::string_view answer) {
    const auto statusEnd = answer.find('\n');
    if (statusEnd == std::string_view::npos) return std::nullopt;
    HttpResult result;
    const char* const first = answer.data();
    const auto [last, problem] = std::from_chars(first, first + statusEnd, result.status);
    if (problem != std::errc{} || statusEnd == 0 || last != first + statusEnd || result.status < 0 ||
        result.status > 999)
        return std::nullopt;
    const auto errorEnd = answer.find('\n', statusEnd + 1);
    if (errorEnd == std::string_view::npos) return std::nullopt;
    if (errorEnd > statusEnd + 1)
        result.error = std::string(answer.substr(statusEnd + 1, errorEnd - statusEnd - 1));
    result.body = std::string(answer.substr(errorEnd + 1));
    return result;
}

std::filesystem::path downloadHelperPath() {
    return programHelperFolder() / helperName;
}

struct HelperHttpClient::Helpers {
    std::mutex mutex;
    // The helpers started and not yet waited for: their process ids cannot pass to another process.
    std::set<pid_t> running;
    bool cancelled = false;
};

HelperHttpClient::HelperHttpClient(std::filesystem::path helper, std::chrono::milliseconds deadline)
    : helper_(std::move(helper)), deadline_(deadline), helpers_(std::make_shared<Helpers>()) {}

HttpResult HelperHttpClient::get(const std::string& url) const {
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC) != 0)
        return failed(fmt::format("Could not start the download helper: {}", std::strerror(errno)));
    Descriptor readEnd(ends[0]), writeEnd(ends[1]);

    // The helper gets the pipe as its output, nothing to read, the program's error output (its log
    // lines) and none of the program's other files; signals as a fresh program has them.
    posix_spawn_file_actions_t files;
    posix_spawn_file_actions_init(&files);
    posix_spawn_file_actions_addopen(&files, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&files, writeEnd.get(), STDOUT_FILENO);
    posix_spawn_file_actions_addclosefrom_np(&files, STDERR_FILENO + 1);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t none, piped;
    sigemptyset(&none);
    sigemptyset(&piped);
    sigaddset(&piped, SIGPIPE);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setsigdefault(&attributes, &piped);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    std::string program = helper_.string(), address = url;
    char* arguments[] = {program.data(), address.data(), nullptr};
    pid_t pid = 0;
    int spawned = 0;
    bool refused = false;
    {
        std::lock_guard lock(helpers_->mutex);
        refused = helpers_->cancelled;
        if (!refused) {
            spawned = ::posix_spawn(&pid, program.c_str(), &files, &attributes, arguments, environ);
            if (spawned == 0) helpers_->running.insert(pid);
        }
    }
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&files);
    writeEnd.close();
    if (refused) return failed(std::string(cancelledDownload));
    if (spawned != 0)
        return failed(fmt::format("Could not start the download helper {}: {}; reinstall quillbrook-widgets",
                                  program, std::strerror(spawned)));

    std::string answer;
    const auto stopped =
        readAnswer(readEnd.get(), answer, deadline_, HttpOptions{}.maxBodyBytes + answerRoom);
    bool cancelled = false;
    {
        std::lock_guard lock(helpers_->mutex);
        if (stopped) ::kill(pid, SIGKILL);
        cancelled = helpers_->cancelled;
        helpers_->running.erase(pid);
    }
    const std::optional<int> status = waitFor(pid);
    if (stopped) return failed(*stopped);
    if (cancelled && status && WIFSIGNALED(*status)) return failed(std::string(cancelledDownload));
    if (status && !(WIFEXITED(*status) && WEXITSTATUS(*status) == 0)) return failed(describeEnd(*status));
    if (auto result = decodeDownloadAnswer(answer)) return std::move(*result);
    return failed("The download helper gave no answer that could be read; the download was abandoned");
}

void HelperHttpClient::cancelAll() const {
    std::lock_guard lock(helpers_->mutex);
    helpers_->cancelled = true;
    for (const pid_t pid : helpers_->running) ::kill(pid, SIGKILL);
}

}  // namespace qb::desktop

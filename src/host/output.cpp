#include "host/output.hpp"

#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>

#include "host/commands.hpp"
#include "platform/localization.hpp"

namespace qb::host {
namespace {

std::atomic<int> firstError{0};

void ignoreSignal(int) {}

}  // namespace

void catchBrokenPipes() {
    struct sigaction action {};
    action.sa_handler = &ignoreSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGPIPE, &action, nullptr);
}

bool writeOutput(std::string_view text) {
    if (firstError.load() != 0) return false;
    while (!text.empty()) {
        const ssize_t written = ::write(STDOUT_FILENO, text.data(), text.size());
        if (written < 0) {
            if (errno == EINTR) continue;
            int expected = 0;
            firstError.compare_exchange_strong(expected, errno);
            return false;
        }
        text.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

int checkedStatus(int status, int readerGone) {
    const int error = firstError.load();
    if (status != 0 || error == 0) return status;
    if (error == EPIPE) return readerGone;
    return runFailure(localizedMessage("cannot write the output: {}", std::strerror(error)));
}

}  // namespace qb::host

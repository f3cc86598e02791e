#include "program_runner.hpp"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <sstream>
#include <thread>

#include <gtest/gtest.h>

extern char** environ;

namespace qb::test {
namespace {

std::string readAll(std::FILE* file) {
    std::string text;
    std::rewind(file);
    char buffer[4096];
    std::size_t count = 0;
    while ((count = std::fread(buffer, 1, sizeof buffer, file)) > 0) text.append(buffer, count);
    return text;
}

// The program's argument and environment vectors, and the strings they point into.
struct Launch {
    std::vector<std::string> envText, argText;
    std::vector<char*> envp, argv;

    Launch(const std::vector<std::string>& arguments,
           const std::vector<std::pair<std::string, std::string>>& environment);
};

Launch::Launch(const std::vector<std::string>& arguments,
               const std::vector<std::pair<std::string, std::string>>& environment) {
    for (const auto& [name, value] : environment) envText.push_back(name + "=" + value);
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const std::string_view text(*entry);
        if (std::none_of(environment.begin(), environment.end(),
                         [&](const auto& set) { return text.starts_with(set.first + "="); }))
            envText.emplace_back(text);
    }
    for (auto& text : envText) envp.push_back(text.data());
    envp.push_back(nullptr);
    argText.emplace_back(QB_PROGRAM);
    argText.insert(argText.end(), arguments.begin(), arguments.end());
    for (auto& text : argText) argv.push_back(text.data());
    argv.push_back(nullptr);
}

// The voluntary context switches of each thread of the process.
std::map<std::string, long> voluntarySwitches(int pid) {
    std::map<std::string, long> counts;
    for (const auto& task : std::filesystem::directory_iterator("/proc/" + std::to_string(pid) + "/task")) {
        std::ifstream status(task.path() / "status");
        for (std::string line; std::getline(status, line);)
            if (line.starts_with("voluntary_ctxt_switches:"))
                counts[task.path().filename()] = std::stol(line.substr(24));
    }
    return counts;
}

}  // namespace

long wakeupsWithin(int pid, std::chrono::milliseconds span) {
    const auto before = voluntarySwitches(pid);
    std::this_thread::sleep_for(span);
    const auto after = voluntarySwitches(pid);
    long woke = 0;
    for (const auto& [task, count] : before) woke += after.contains(task) ? -count : 1;
    for (const auto& [task, count] : after) woke += count;
    return woke;
}

namespace {

// The program with stdout on `outFd` (its own temporary file when negative) and stderr on a temporary file.
ProgramResult runWithOutput(const std::vector<std::string>& arguments,
                            const std::vector<std::pair<std::string, std::string>>& environment,
                            std::chrono::milliseconds deadline, int outFd) {
    Launch launch(arguments, environment);
    auto& argv = launch.argv;

    std::FILE* out = std::tmpfile();
    std::FILE* err = std::tmpfile();
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, outFd >= 0 ? outFd : fileno(out), STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, fileno(err), STDERR_FILENO);
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), launch.envp.data());
    posix_spawn_file_actions_destroy(&actions);
    ProgramResult result;
    if (spawned == 0) {
        // Asked for every few milliseconds, so that the program can be killed at the deadline.
        const auto end = std::chrono::steady_clock::now() + deadline;
        int status = -1;  // read as "did not exit normally" if waiting fails
        rusage usage{};
        for (pid_t done = 0; (done = wait4(pid, &status, WNOHANG, &usage)) <= 0;) {
            if (done < 0 && errno != EINTR) break;
            if (std::chrono::steady_clock::now() >= end && !result.killed) {
                result.killed = true;
                kill(pid, SIGKILL);
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        result.peakKilobytes = usage.ru_maxrss;
    } else {
        ADD_FAILURE() << "could not start " << argv[0] << ": " << std::strerror(spawned);
    }
    result.out = readAll(out);
    result.err = readAll(err);
    std::fclose(out);
    std::fclose(err);
    return result;
}

}  // namespace

ProgramResult runProgram(const std::vector<std::string>& arguments,
                         const std::vector<std::pair<std::string, std::string>>& environment,
                         std::chrono::milliseconds deadline) {
    return runWithOutput(arguments, environment, deadline, -1);
}

ProgramResult runProgramWithBrokenOutput(
    const std::vector<std::string>& arguments, BrokenOutput output,
    const std::vector<std::pair<std::string, std::string>>& environment) {
    int ends[2] = {-1, -1};
    if (output == BrokenOutput::full) {
        ends[1] = open("/dev/full", O_WRONLY | O_CLOEXEC);
    } else if (pipe2(ends, O_CLOEXEC) == 0) {
        close(ends[0]);
    }
    if (ends[1] < 0) {
        ADD_FAILURE() << "no broken output: " << std::strerror(errno);
        return {};
    }
    auto result = runWithOutput(arguments, environment, std::chrono::seconds(60), ends[1]);
    close(ends[1]);
    return result;
}

ProgramResult runProgramInTerminal(const std::vector<std::string>& arguments,
                                   const std::vector<std::pair<std::string, std::string>>& environment,
                                   int columns) {
    Launch launch(arguments, environment);
    ProgramResult result;
    int controller = -1, terminal = -1;
    winsize size{};
    size.ws_col = static_cast<unsigned short>(columns);
    size.ws_row = 50;
    if (openpty(&controller, &terminal, nullptr, nullptr, &size) != 0) {
        ADD_FAILURE() << "no pseudo-terminal: " << std::strerror(errno);
        return result;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, terminal, STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, terminal, STDERR_FILENO);
    posix_spawn_file_actions_addclose(&actions, controller);
    pid_t pid = 0;
    const int spawned =
        posix_spawn(&pid, launch.argv[0], &actions, nullptr, launch.argv.data(), launch.envp.data());
    posix_spawn_file_actions_destroy(&actions);
    close(terminal);
    if (spawned != 0) {
        ADD_FAILURE() << "could not start " << launch.argv[0] << ": " << std::strerror(spawned);
        close(controller);
        return result;
    }
    // Read while the program writes (a terminal holds little), until it has exited and closed its end.
    char buffer[4096];
    for (;;) {
        pollfd ready{controller, POLLIN, 0};
        if (poll(&ready, 1, 120'000) <= 0) break;
        const ssize_t count = read(controller, buffer, sizeof buffer);
        if (count <= 0) break;  // EIO once the program's end is closed
        result.out.append(buffer, static_cast<std::size_t>(count));
    }
    close(controller);
    int status = -1;
    if (waitpid(pid, &status, 0) == pid && WIFEXITED(status)) result.status = WEXITSTATUS(status);
    std::erase(result.out, '\r');  // the terminal writes each line end as "\r\n"
    return result;
}

std::string withoutEscapes(const std::string& text) {
    static const std::regex escapes(R"(\x1b\[[0-9;]*m|\x1b\]8;;[^\x1b\x07]*\x1b\\)");
    return std::regex_replace(text, escapes, "");
}

std::vector<std::string> hyperlinkTargets(const std::string& text) {
    static const std::regex link(R"(\x1b\]8;;([^\x1b\x07]+)\x1b\\)");
    std::vector<std::string> targets;
    for (auto it = std::sregex_iterator(text.begin(), text.end(), link); it != std::sregex_iterator(); ++it)
        targets.push_back((*it)[1].str());
    return targets;
}

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);) lines.push_back(line);
    return lines;
}

}  // namespace qb::test

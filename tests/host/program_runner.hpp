#pragma once

// Runs the real quillbrook-widgets program, as a person or a script would, and collects what it wrote.

#include <chrono>
#include <string>
#include <utility>
#include <vector>

namespace qb::test {

struct ProgramResult {
    int status = -1;  // the exit status; -1 when it did not exit normally (a crash, or killed)
    std::string out;
    std::string err;
    bool killed = false;  // still running at the deadline, and killed then
    // The most memory the program held resident at any moment. The kernel counts a spawned program's
    // peak from the memory of the process that spawned it, so it is never below this test's own peak.
    long peakKilobytes = 0;
};

// The program with the arguments, in this process's environment plus `environment` (NAME, VALUE). A
// program still running after `deadline` is killed, so that a hang fails the test instead of stalling it.
ProgramResult runProgram(const std::vector<std::string>& arguments,
                         const std::vector<std::pair<std::string, std::string>>& environment = {},
                         std::chrono::milliseconds deadline = std::chrono::seconds(120));

// Where the program's stdout goes when it cannot be written: a full disk (/dev/full), or a pipe whose
// reader has gone before the program starts.
enum class BrokenOutput { full, closedPipe };

// The program with stdout broken so; `out` stays empty.
ProgramResult runProgramWithBrokenOutput(const std::vector<std::string>& arguments, BrokenOutput output,
                                         const std::vector<std::pair<std::string, std::string>>& environment);

// The same with stdout and stderr on a pseudo-terminal `columns` wide, as in a person's terminal: what
// the program wrote lands in `out` (stderr too, as on a screen), line ends as "\n".
ProgramResult runProgramInTerminal(const std::vector<std::string>& arguments,
                                   const std::vector<std::pair<std::string, std::string>>& environment,
                                   int columns);

// How often the threads of a running process woke up of their own accord (voluntary context switches)
// within the span from now; a thread that ended meanwhile counts once.
long wakeupsWithin(int pid, std::chrono::milliseconds span);

// Output with the SGR and OSC 8 sequences the terminal renderer writes removed.
std::string withoutEscapes(const std::string& text);

// The OSC 8 link targets in the output, in order.
std::vector<std::string> hyperlinkTargets(const std::string& text);

// The lines of a text.
std::vector<std::string> linesOf(const std::string& text);

}  // namespace qb::test

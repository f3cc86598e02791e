#pragma once

// Runs the real quillbrook-widgets program, as a person or a script would, and collects what it wrote.

#include <string>
#include <utility>
#include <vector>

namespace qb::test {

struct ProgramResult {
    int status = -1;  // the exit status; -1 when it did not exit normally (a crash)
    std::string out;
    std::string err;
};

// The program with the arguments, in this process's environment plus `environment` (NAME, VALUE).
ProgramResult runProgram(const std::vector<std::string>& arguments,
                         const std::vector<std::pair<std::string, std::string>>& environment = {});

// Output with the SGR and OSC 8 sequences the terminal renderer writes removed.
std::string withoutEscapes(const std::string& text);

// The OSC 8 link targets in the output, in order.
std::vector<std::string> hyperlinkTargets(const std::string& text);

// The lines of a text.
std::vector<std::string> linesOf(const std::string& text);

}  // namespace qb::test

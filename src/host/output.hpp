#pragma once

// The program's standard output. Every command writes through here, so that a failed write is noticed:
// the run then ends with one line that says why (stdout on a full disk) or quietly (a reader that went
// away, as `| head` does).

#include <string_view>

namespace qb::host {

// Lets a write to a pipe whose reader has gone fail with EPIPE instead of ending the process. A handler
// rather than SIG_IGN, so that the programs the process starts get the default back.
void catchBrokenPipes();

// Writes all of the text to stdout, unbuffered; false when a write failed now or earlier (after a failure
// nothing more is written).
bool writeOutput(std::string_view text);

// The exit status of a run that ended with `status`, its output checked: a run that succeeded although a
// write to stdout failed ends quietly with `readerGone` when the reader went away (EPIPE), else with the
// failure status and one line on stderr that says why.
int checkedStatus(int status, int readerGone);

}  // namespace qb::host

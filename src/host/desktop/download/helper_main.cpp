// quillbrook-widgets-download URL: one download for the desktop host, which runs this program so that
// it never loads the download libraries itself (see helper_client.hpp). The answer goes to standard
// output as the host reads it; the limits are those of any download of the widgets.

#include <sys/prctl.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <iostream>
#include <string>

#include "host/desktop/download/helper_client.hpp"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: quillbrook-widgets-download URL\n"
                     "The desktop host of quillbrook-widgets runs this program for its downloads.\n";
        return 2;
    }
    // The host's thread that started this program waits for it to end; should the host die first,
    // nothing would read the answer.
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    const std::string answer = qb::desktop::encodeDownloadAnswer(qb::CurlHttpClient().get(argv[1]));
    for (std::size_t written = 0; written < answer.size();) {
        const ssize_t count = ::write(STDOUT_FILENO, answer.data() + written, answer.size() - written);
        if (count < 0 && errno == EINTR) continue;
        if (count <= 0) return 1;
        written += static_cast<std::size_t>(count);
    }
    return 0;
}

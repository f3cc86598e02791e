#include <string>
#include <vector>

#include "host/program.hpp"

int main(int argc, char** argv) {
    return qb::host::run(std::vector<std::string>(argv + 1, argv + argc));
}

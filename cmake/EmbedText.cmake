# Writes OUTPUT, a C++ source whose function NAME (in namespace qb::host, declared in HEADER) returns the
# bytes of INPUT, so that the program carries its page's script and style sheets and never reads the
# source tree at run time. Run as
#   cmake -DINPUT=file -DOUTPUT=file.cpp -DNAME=function -DHEADER=host/x.hpp -P EmbedText.cmake
file(READ "${INPUT}" hex HEX)
string(LENGTH "${hex}" digits)
math(EXPR size "${digits} / 2")
# Each byte as a \x escape, 32 bytes to a line of adjacent string literals (an escape ends with its
# literal, so no byte can run into the next).
set(literals "")
set(position 0)
while(position LESS digits)
  string(SUBSTRING "${hex}" ${position} 64 chunk)
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "\\\\x\\1" chunk "${chunk}")
  string(APPEND literals "\n    \"${chunk}\"")
  math(EXPR position "${position} + 64")
endwhile()
if(size EQUAL 0)
  set(literals " \"\"")
endif()
get_filename_component(input_name "${INPUT}" NAME)
file(WRITE "${OUTPUT}.new"
"// The bytes of ${input_name}, written by cmake/EmbedText.cmake at build time: edit the file, not this.

#include \"${HEADER}\"

namespace qb::host {

std::string_view ${NAME}() {
    static constexpr char bytes[] =${literals};
    return {bytes, ${size}};
}

}  // namespace qb::host
")
# Replaced only when the bytes changed, so that an unchanged asset compiles nothing again.
file(COPY_FILE "${OUTPUT}.new" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.new")

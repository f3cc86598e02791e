# Flags every target of ours gets: warnings, sanitizers and the source root on the include path.
add_library(qb_options INTERFACE)
target_include_directories(qb_options INTERFACE ${PROJECT_SOURCE_DIR}/src)
target_compile_options(qb_options INTERFACE -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor
                                            -Wold-style-cast -Wnull-dereference)
# g++ 12 reports impossible overlaps inside std::string's own copies at -O3 (GCC bug 105329).
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
  target_compile_options(qb_options INTERFACE -Wno-restrict)
  # ... and, under the thread sanitizer's instrumentation, uninitialised reads in std::optional<std::string>.
  if(QB_SANITIZE MATCHES "thread")
    target_compile_options(qb_options INTERFACE -Wno-maybe-uninitialized)
  endif()
endif()
if(QB_WERROR)
  target_compile_options(qb_options INTERFACE -Werror)
endif()
if(QB_SANITIZE)
  set(_qb_san -fsanitize=${QB_SANITIZE} -fno-omit-frame-pointer)
  if(QB_SANITIZE MATCHES "undefined")
    list(APPEND _qb_san -fno-sanitize-recover=all)
  endif()
  target_compile_options(qb_options INTERFACE ${_qb_san})
  target_link_options(qb_options INTERFACE ${_qb_san})
endif()

# qb_library(NAME SOURCES... [LIBS ...]): one folder's static library; a folder of headers alone is an
# interface library that passes its libraries on.
function(qb_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  if(ARG_SOURCES)
    add_library(${name} STATIC ${ARG_SOURCES})
    target_link_libraries(${name} PUBLIC qb_options ${ARG_LIBS})
  else()
    add_library(${name} INTERFACE)
    target_link_libraries(${name} INTERFACE qb_options ${ARG_LIBS})
  endif()
endfunction()

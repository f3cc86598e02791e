# Every library here comes from Debian 12's packages (scripts/setup.sh installs them).
find_package(Threads REQUIRED)
find_package(PkgConfig REQUIRED)
find_package(Boost 1.81 REQUIRED COMPONENTS url)
find_package(EXPAT REQUIRED)
find_package(ICU REQUIRED COMPONENTS uc i18n)
find_package(CURL REQUIRED)
find_package(nlohmann_json 3 REQUIRED)
find_package(fmt REQUIRED)
find_package(OpenSSL REQUIRED)
pkg_check_modules(GDK_PIXBUF REQUIRED IMPORTED_TARGET gdk-pixbuf-2.0)
pkg_check_modules(SYSTEMD REQUIRED IMPORTED_TARGET libsystemd)
# The live engine's main loop, D-Bus and network monitor (GLib comes with gdk-pixbuf's dev package).
pkg_check_modules(GIO REQUIRED IMPORTED_TARGET gio-2.0 gio-unix-2.0)
# The desktop host (its own program): GTK 3 through gtkmm, and layer-shell placement on Wayland.
pkg_check_modules(GTKMM REQUIRED IMPORTED_TARGET gtkmm-3.0)
pkg_check_modules(GTK_LAYER_SHELL REQUIRED IMPORTED_TARGET gtk-layer-shell-0)
find_path(HTTPLIB_INCLUDE_DIR httplib.h REQUIRED)
add_library(qb_httplib INTERFACE)
target_include_directories(qb_httplib SYSTEM INTERFACE ${HTTPLIB_INCLUDE_DIR})
target_compile_definitions(qb_httplib INTERFACE CPPHTTPLIB_OPENSSL_SUPPORT)
# Debian builds cpp-httplib as a shared library: the header declares, the library defines.
find_library(HTTPLIB_LIBRARY cpp-httplib REQUIRED)
target_link_libraries(qb_httplib INTERFACE ${HTTPLIB_LIBRARY} OpenSSL::SSL OpenSSL::Crypto Threads::Threads)

# The Debian package: `cpack -G DEB` in the build folder writes quillbrook-widgets_<version>_<arch>.deb
# from the same install rules as `cmake --install`, installed under /usr.
set(CPACK_PACKAGE_NAME quillbrook-widgets)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Quillbrook Widgets Developers")
set(CPACK_PACKAGE_CONTACT "Quillbrook Widgets Developers <quillbrook-widgets@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "widgets of the Quillbrook document manager")
set(CPACK_PACKAGE_DESCRIPTION
  "Four widgets show what the Quillbrook document manager keeps in the user's home
folder: the favorites, the reading list with its unread count, the workspaces,
and a tip from the Quillbrook tips feed, each in four sizes.
.
The program draws them in the terminal or as a web page, prints them as JSON,
serves a live dashboard in the browser, and places them on the desktop of
Wayland compositors with the layer-shell protocol and of X11 sessions.")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_INSTALL_PREFIX /usr)
# The install rules see the package's prefix (/usr) as CMAKE_INSTALL_PREFIX: the unit and the autostart
# entry name /usr/bin/quillbrook-widgets, and the entry goes to /etc.
set(CPACK_SET_DESTDIR ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://quillbrook-widgets.example.org/")
# The libraries' packages, from the shared libraries the program and the host load (dpkg-shlibdeps).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# A file under /etc belongs to the administrator once installed: dpkg keeps their changes.
set(conffiles ${PROJECT_BINARY_DIR}/debian/conffiles)
file(WRITE ${conffiles} "/etc/xdg/autostart/quillbrook-widgets.desktop\n")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${conffiles})
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)

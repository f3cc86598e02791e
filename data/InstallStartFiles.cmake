# Run by `cmake --install` (and by cpack): the systemd user unit and the XDG autostart entry name the
# installed program by its absolute path, which only the install knows (--prefix, or the package's
# /usr), so they are made now. The entry goes to /etc/xdg/autostart for the prefix /usr, as
# GNUInstallDirs places sysconfdir, and to <prefix>/etc/xdg/autostart otherwise (or to the sysconfdir
# given at configure time when it is absolute). Expects QB_DATA_DIR, QB_STAGE_DIR, QB_BINDIR and
# QB_SYSCONFDIR.
set(CMAKE_INSTALL_FULL_BINDIR "${CMAKE_INSTALL_PREFIX}/${QB_BINDIR}")
if(IS_ABSOLUTE "${QB_SYSCONFDIR}")
  set(sysconfdir "${QB_SYSCONFDIR}")
elseif(CMAKE_INSTALL_PREFIX STREQUAL "/usr" OR CMAKE_INSTALL_PREFIX STREQUAL "/")
  set(sysconfdir "/etc")
else()
  set(sysconfdir "${CMAKE_INSTALL_PREFIX}/${QB_SYSCONFDIR}")
endif()
# A folder of this install's own: two installs at once (to two prefixes) must not share the files.
string(RANDOM LENGTH 12 install_id)
set(stage "${QB_STAGE_DIR}/${install_id}")
foreach(file quillbrook-widgets.service quillbrook-widgets.desktop)
  configure_file("${QB_DATA_DIR}/${file}.in" "${stage}/${file}" @ONLY)
endforeach()
set(permissions PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
# systemd looks for user units in <prefix>/lib/systemd/user (/usr and /usr/local alike), not under a
# multiarch library folder.
file(INSTALL "${stage}/quillbrook-widgets.service" DESTINATION "${CMAKE_INSTALL_PREFIX}/lib/systemd/user" ${permissions})
file(INSTALL "${stage}/quillbrook-widgets.desktop" DESTINATION "${sysconfdir}/xdg/autostart" ${permissions})
file(REMOVE_RECURSE "${stage}")

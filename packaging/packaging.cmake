# Debian packages from this build, made with `cpack -G DEB` in the build
# directory: "tarvenix" (the program, its store tool, the guide and a menu
# entry) and "tarvenix-perfd" (the service for monitored computers, with its
# systemd unit and configuration file).
if(WIN32 OR TARVENIX_SANITIZE)
  return()
endif()
set(pkg ${CMAKE_CURRENT_LIST_DIR})

# The changelog and manual pages, compressed as Debian wants them.
foreach(name changelog tarvenix.1 tarvenix-newdb.1 tarvenix-store.1 tarvenix-perfd.8)
  set(zipped ${CMAKE_BINARY_DIR}/packaging/${name}.gz)
  add_custom_command(OUTPUT ${zipped}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/packaging
    COMMAND gzip -9nc ${pkg}/${name} > ${zipped}
    DEPENDS ${pkg}/${name} VERBATIM)
  list(APPEND zipped_files ${zipped})
endforeach()
add_custom_target(tarvenix_package_docs ALL DEPENDS ${zipped_files})
set(changelog ${CMAKE_BINARY_DIR}/packaging/changelog.gz)
install(FILES ${CMAKE_BINARY_DIR}/packaging/tarvenix.1.gz
  ${CMAKE_BINARY_DIR}/packaging/tarvenix-newdb.1.gz
  ${CMAKE_BINARY_DIR}/packaging/tarvenix-store.1.gz
  DESTINATION share/man/man1 COMPONENT tarvenix)
install(FILES ${CMAKE_BINARY_DIR}/packaging/tarvenix-perfd.8.gz
  DESTINATION share/man/man8 COMPONENT perfd)

foreach(package tarvenix tarvenix-perfd)
  string(REPLACE "tarvenix-" "" component ${package})
  install(FILES ${pkg}/copyright ${changelog}
    DESTINATION share/doc/${package} COMPONENT ${component})
endforeach()

install(TARGETS tarvenix tarvenix-newdb tarvenix-store RUNTIME DESTINATION bin COMPONENT tarvenix)
if(TARGET tarvenix_help)
  install(FILES ${CMAKE_BINARY_DIR}/Tarvenix.chm DESTINATION share/tarvenix COMPONENT tarvenix)
endif()
install(PROGRAMS ${pkg}/tarvenix-menu DESTINATION libexec/tarvenix COMPONENT tarvenix)
install(FILES ${pkg}/tarvenix.desktop DESTINATION share/applications COMPONENT tarvenix)
install(FILES ${CMAKE_SOURCE_DIR}/tools/systemd/tarvenix-store-prune.service
  ${CMAKE_SOURCE_DIR}/tools/systemd/tarvenix-store-prune.timer
  DESTINATION lib/systemd/user COMPONENT tarvenix)
install(FILES ${pkg}/tarvenix.svg
  DESTINATION share/icons/hicolor/scalable/apps COMPONENT tarvenix)

install(TARGETS tarvenix-perfd RUNTIME DESTINATION sbin COMPONENT perfd)
install(PROGRAMS ${pkg}/tarvenix-perfd-ip-filter
  DESTINATION libexec/tarvenix-perfd RENAME ip-filter COMPONENT perfd)
install(FILES ${CMAKE_SOURCE_DIR}/perfd/tarvenix-perfd.service
  DESTINATION /lib/systemd/system COMPONENT perfd)
install(FILES ${pkg}/tarvenix-perfd.conf DESTINATION /etc COMPONENT perfd)
install(FILES ${CMAKE_SOURCE_DIR}/perfd/README.md
  DESTINATION share/doc/tarvenix-perfd COMPONENT perfd)

# The maintainer scripts and conffiles list under the names dpkg wants.
set(perfd_control ${CMAKE_BINARY_DIR}/packaging/perfd-control)
foreach(name conffiles postinst prerm postrm)
  file(COPY ${pkg}/perfd-${name} DESTINATION ${perfd_control})
  file(RENAME ${perfd_control}/perfd-${name} ${perfd_control}/${name})
  list(APPEND perfd_control_files ${perfd_control}/${name})
endforeach()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tarvenix)
set(CPACK_PACKAGE_VENDOR Brenmoor)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL tarvenix perfd)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Brenmoor <tarvenix@example.org>"
  CACHE STRING "Maintainer field of the Debian packages")
set(CPACK_DEBIAN_PACKAGE_SECTION admin)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)

set(CPACK_DEBIAN_TARVENIX_PACKAGE_NAME tarvenix)
# Loaded at run time, so the library scan cannot find them: the SQLite driver,
# and libsecret, through which QtKeychain reaches the desktop's secret store.
set(CPACK_DEBIAN_TARVENIX_PACKAGE_DEPENDS "libqt6sql6-sqlite, libsecret-1-0")
# F1 hands the guide to the desktop's handler for compiled HTML help.
set(CPACK_DEBIAN_TARVENIX_PACKAGE_RECOMMENDS "xchm | kchmviewer, xdg-utils")
set(CPACK_DEBIAN_TARVENIX_PACKAGE_SUGGESTS tarvenix-perfd)
set(CPACK_COMPONENT_TARVENIX_DESCRIPTION
 "process table monitor for the computers of a small network
Tarvenix keeps a list of computers and collects, every few seconds, the table
of running processes of each one, from Windows computers through the remote
registry and from Linux computers through tarvenix-perfd. Every collection is
stored; each process name is sorted into a type, and a danger light turns
yellow or red when an unknown or dangerous process is met. Stored snapshots
can be browsed, filtered, charted and pruned.")

set(CPACK_DEBIAN_PERFD_PACKAGE_NAME tarvenix-perfd)
set(CPACK_DEBIAN_PERFD_PACKAGE_SECTION net)
set(CPACK_DEBIAN_PERFD_PACKAGE_CONTROL_EXTRA ${perfd_control_files})
set(CPACK_DEBIAN_PERFD_PACKAGE_CONTROL_STRICT_PERMISSION TRUE)
set(CPACK_COMPONENT_PERFD_DESCRIPTION
 "process table service for computers monitored by Tarvenix
tarvenix-perfd serves this computer's process table, read from /proc, on TCP
port 445, so that Tarvenix reads a Linux computer as it reads a Windows one.
It runs as a confined systemd service and serves only the networks named in
/etc/tarvenix-perfd.conf (this computer alone until one is named).")

include(CPack)

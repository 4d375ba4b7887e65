# Desktop integration and the Debian package (included at the end of the top CMakeLists).
#
#   cmake --install build --prefix ~/.local    the program for one user (see README)
#   (cd build && cpack -G DEB)                 build/dalumaster_<version>_<arch>.deb
#
# Besides the program, the launcher, the desktop entry and the icon (installed above), a
# MIME type for battle records (*.DBD), which the desktop entry names so that a file manager
# opens a record in DaluMaster, and the AppStream metainfo that software centres read.

if(TARGET dalumaster)
  set(DALU_METAINFO_ID org.dalumaster.DaluMaster)
  configure_file(${CMAKE_SOURCE_DIR}/packaging/dalumaster.metainfo.xml.in
                 ${CMAKE_BINARY_DIR}/packaging/${DALU_METAINFO_ID}.metainfo.xml @ONLY)
  install(FILES ${CMAKE_BINARY_DIR}/packaging/${DALU_METAINFO_ID}.metainfo.xml
          DESTINATION share/metainfo)
  install(FILES packaging/dalumaster-mime.xml DESTINATION share/mime/packages
          RENAME dalumaster.xml)
  # A package leaves these caches to dpkg's triggers; a plain install into a prefix
  # refreshes them itself when the tools are there, so the new type is known at once.
  install(CODE [[
    if("$ENV{DESTDIR}" STREQUAL "")
      find_program(update_mime update-mime-database)
      find_program(update_desktop update-desktop-database)
      if(update_mime)
        execute_process(COMMAND ${update_mime} "${CMAKE_INSTALL_PREFIX}/share/mime"
                        OUTPUT_QUIET ERROR_QUIET)
      endif()
      if(update_desktop)
        execute_process(COMMAND ${update_desktop} "${CMAKE_INSTALL_PREFIX}/share/applications"
                        OUTPUT_QUIET ERROR_QUIET)
      endif()
    endif()
  ]])

  # The installed desktop entry and metainfo pass the checks desktops and software centres
  # apply, and the entry names the type the MIME file defines.
  if(DALU_BUILD_TESTS)
    add_test(NAME desktop_files
        COMMAND ${CMAKE_COMMAND} -DBUILD_DIR=${CMAKE_BINARY_DIR}
                -DPREFIX=${CMAKE_BINARY_DIR}/test-output/desktop-files
                -DMETAINFO=share/metainfo/${DALU_METAINFO_ID}.metainfo.xml
                -P ${CMAKE_SOURCE_DIR}/cmake/check_desktop_files.cmake)
  endif()
endif()

# ---- The Debian package ------------------------------------------------------------------
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME dalumaster)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "DaluMaster maintainers <dalumaster@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "practise a two-player falling-bead puzzle battle")
set(CPACK_PACKAGE_DESCRIPTION
    "Two fields side by side, a twin of coloured beads dropped by each side every turn;\n\
chains send obstruct beads to the opponent. Play at the keyboard against nine computer\n\
levels, save battle records and step through them. English and Japanese.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)  # dalumaster_<version>_<arch>.deb
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)  # the Qt libraries, from the binaries themselves
# The faces the windows are laid out with, and Qt's own texts in Japanese.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-ipafont-gothic, fonts-ipafont-mincho, qt6-translations-l10n")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-wayland")
# Installed under /usr with DESTDIR, so the install scripts write the desktop entry with the
# paths the package will have (/usr/bin/dalumaster), not the staging folder's.
set(CPACK_SET_DESTDIR ON)
set(CPACK_INSTALL_PREFIX /usr)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
include(CPack)

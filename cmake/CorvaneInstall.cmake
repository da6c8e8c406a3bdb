# The install layout and the Debian package.
#
# The install prefix is the program directory: the executable, its two libraries (found
# through RUNPATH $ORIGIN, so the directory may be moved), and the font files and their
# notices that tools/ installs from CORVANE_FONT_FILES. The desktop entry and the icon go to
# share/ under the prefix; the Debian package installs the program directory as /opt/corvane
# and moves share/ to /usr/share (packaging/move_desktop_files.cmake).
#
# Installed binaries keep their symbols but lose their debug information, which names the
# build tree.

set_target_properties(Corvane Trastel serv PROPERTIES INSTALL_RPATH "$ORIGIN")
install(TARGETS Corvane Trastel serv
        RUNTIME DESTINATION .
        LIBRARY DESTINATION .)
foreach(target IN ITEMS Corvane Trastel serv)
  install(CODE "execute_process(COMMAND \"${CMAKE_STRIP}\" --strip-debug
    \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/$<TARGET_FILE_NAME:${target}>\"
    COMMAND_ERROR_IS_FATAL ANY)")
endforeach()

# The desktop entry starts the program where it was installed.
install(CODE "file(READ \"${PROJECT_SOURCE_DIR}/packaging/corvane.desktop\" entry)
  string(REPLACE \"@PROGRAM@\" \"\${CMAKE_INSTALL_PREFIX}/Corvane\" entry \"\${entry}\")
  file(WRITE \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/share/applications/corvane.desktop\" \"\${entry}\")")
install(FILES ${PROJECT_SOURCE_DIR}/packaging/corvane.svg DESTINATION share/icons/hicolor/scalable/apps)

set(CPACK_PACKAGE_NAME corvane)
set(CPACK_PACKAGE_VENDOR "Corvane")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Controller for networked flat-bed cutting plotters")
set(CPACK_PACKAGE_CONTACT "Corvane developers <corvane@localhost>")
set(CPACK_PACKAGING_INSTALL_PREFIX /opt/corvane)
set(CPACK_PRE_BUILD_SCRIPTS ${PROJECT_SOURCE_DIR}/packaging/move_desktop_files.cmake)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
# The libraries the binaries link come from dpkg-shlibdeps; Qt's platform plugins are
# loaded at run time and named here.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS opt/corvane)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
# xdg-open opens the help document; ip flushes the neighbour table; the window's Chinese and
# Thai texts need fonts that have their characters.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils, iproute2, fonts-wqy-zenhei, fonts-tlwg-garuda-ttf")
include(CPack)

# CPack step before the Debian package is made: the desktop entry and the icon, installed into
# share/ under the program directory, move to /usr/share where desktops look for them.
set(staging "${CPACK_TEMPORARY_DIRECTORY}")
set(installed_share "${staging}${CPACK_PACKAGING_INSTALL_PREFIX}/share")
if(NOT IS_DIRECTORY "${installed_share}")
  message(FATAL_ERROR "no share/ in the staged program directory ${staging}${CPACK_PACKAGING_INSTALL_PREFIX}")
endif()
file(MAKE_DIRECTORY "${staging}/usr")
file(RENAME "${installed_share}" "${staging}/usr/share")

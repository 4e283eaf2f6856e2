# Release packages of the saver: a ZIP with VykSaver.scr and its install text for each
# architecture, and from the 32-bit build the one Windows installer, made by NSIS. They come
# from `cmake --build --preset <preset> --target package`.
#
# The installer carries the 32-bit saver for 32- and 64-bit Windows alike: every Windows keeps
# the DirectX 5 Direct3D interfaces for its 32-bit programs, which is not known of 64-bit ones.
if(CMAKE_SYSTEM_PROCESSOR STREQUAL "x86_64")
  set(VYK_PACKAGE_ARCH win64)
else()
  set(VYK_PACKAGE_ARCH win32)
  # The ANSI stub is the one that still starts on the Windows 95 family.
  set(VYK_NSIS_TARGET x86-ansi)
endif()

# Notepad of the older systems shows a text file on one line unless its lines end in CR LF.
configure_file(${CMAKE_SOURCE_DIR}/release/INSTALL.txt.in ${CMAKE_BINARY_DIR}/release/INSTALL.txt
  @ONLY NEWLINE_STYLE CRLF)
# The licence travels with the saver: in the ZIP, and on the installer's licence page.
configure_file(${CMAKE_SOURCE_DIR}/LICENSE ${CMAKE_BINARY_DIR}/release/LICENSE.txt @ONLY NEWLINE_STYLE CRLF)

install(TARGETS VykSaver RUNTIME DESTINATION .)
install(FILES ${CMAKE_BINARY_DIR}/release/INSTALL.txt ${CMAKE_BINARY_DIR}/release/LICENSE.txt DESTINATION .)

find_program(VYK_MAKENSIS makensis)
set(CPACK_PACKAGE_NAME Vyk)
set(CPACK_PACKAGE_VENDOR "The Vyk developers")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_FILE_NAME Vyk-${PROJECT_VERSION}-${VYK_PACKAGE_ARCH})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Vyk screen saver")
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/packages)
set(CPACK_GENERATOR ZIP)
if(VYK_NSIS_TARGET AND VYK_MAKENSIS)
  # The installer is ours (release/installer.nsi) rather than CPack's NSIS template,
  # which installs into a program folder and would have to be bent to the Windows directory.
  list(APPEND CPACK_GENERATOR External)
  set(CPACK_EXTERNAL_ENABLE_STAGING ON)
  set(CPACK_EXTERNAL_PACKAGE_SCRIPT ${CMAKE_SOURCE_DIR}/cmake/nsis-installer.cmake)
  set(CPACK_VYK_MAKENSIS ${VYK_MAKENSIS})
  set(CPACK_VYK_NSIS_SCRIPT ${CMAKE_SOURCE_DIR}/release/installer.nsi)
  set(CPACK_VYK_NSIS_TARGET ${VYK_NSIS_TARGET})
  set(CPACK_VYK_VERSION ${PROJECT_VERSION})
  set(CPACK_VYK_INSTALLER_NAME Vyk-${PROJECT_VERSION}-setup.exe)
elseif(VYK_NSIS_TARGET)
  message(WARNING "makensis not found (Debian package nsis): the package target makes the ZIP only")
endif()
include(CPack)

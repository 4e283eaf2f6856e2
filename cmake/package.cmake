# The release: the 32-bit saver in a ZIP with its install text, and the one Windows installer,
# made by NSIS; both from `cmake --build --preset windows-x86 --target package`.
#
# The 32-bit saver is the one saver for every Windows, 32- and 64-bit (through WOW64) and ARM64
# (through its x86 emulation): 64-bit Windows offers no Direct3D before version 9 to 64-bit
# programs, so a 64-bit saver could only ever show a black screen there. The 64-bit build is
# the quick build the tests run natively under Wine, whose 64-bit DirectDraw is kinder than
# Windows; its package target makes nothing and says so.
if(CMAKE_SYSTEM_PROCESSOR STREQUAL "x86_64")
  # A build folder configured by an older tree keeps CPack's configuration, with which cpack
  # would still make a 64-bit ZIP; CMake also keeps the target name for CPack while it is there.
  file(REMOVE ${CMAKE_BINARY_DIR}/CPackConfig.cmake ${CMAKE_BINARY_DIR}/CPackSourceConfig.cmake)
  add_custom_target(package
    COMMAND ${CMAKE_COMMAND} -E echo
      "The 64-bit build is the quick test build and makes no package: no 64-bit Windows draws with it. The release comes from the 32-bit build: cmake --build --preset windows-x86 --target package"
    VERBATIM)
  return()
endif()

set(VYK_PACKAGE_ARCH win32)
# The ANSI stub is the one that still starts on the Windows 95 family.
set(VYK_NSIS_TARGET x86-ansi)

# Notepad of the older systems shows a text file on one line unless its lines end in CR LF.
configure_file(${CMAKE_SOURCE_DIR}/release/INSTALL.txt.in ${CMAKE_BINARY_DIR}/release/INSTALL.txt
  @ONLY NEWLINE_STYLE CRLF)
# The licence travels with the saver: in the ZIP, and on the installer's licence page.
configure_file(${CMAKE_SOURCE_DIR}/LICENSE ${CMAKE_BINARY_DIR}/release/LICENSE.txt @ONLY NEWLINE_STYLE CRLF)

install(TARGETS VykSaver RUNTIME DESTINATION .)
install(FILES ${CMAKE_BINARY_DIR}/release/INSTALL.txt ${CMAKE_BINARY_DIR}/release/LICENSE.txt DESTINATION .)

# The settings the installer carries over are the saver's own: the key of each row of
# settings/setting_list.def, whose every line is a comment or one whole row. A list that
# cannot be read so stops the build, rather than leave a setting behind.
set(vyk_setting_list ${CMAKE_SOURCE_DIR}/settings/setting_list.def)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${vyk_setting_list})
file(STRINGS ${vyk_setting_list} vyk_setting_lines)
set(vyk_carried_settings "")
foreach(vyk_line IN LISTS vyk_setting_lines)
  if(vyk_line MATCHES "^VYK_SETTING\\(\"([A-Za-z0-9]+)\",.*\\)$")
    string(APPEND vyk_carried_settings "  !insertmacro VykCarrySetting ${CMAKE_MATCH_1}\n")
  elseif(NOT vyk_line MATCHES "^(//.*)?$")
    message(FATAL_ERROR "${vyk_setting_list}: neither a comment nor one whole row: ${vyk_line}")
  endif()
endforeach()
if(vyk_carried_settings STREQUAL "")
  message(FATAL_ERROR "${vyk_setting_list}: no setting")
endif()
set(VYK_CARRIED_SETTINGS ${CMAKE_BINARY_DIR}/release/carried_settings.nsh)
file(CONFIGURE OUTPUT ${VYK_CARRIED_SETTINGS} CONTENT
"; Made by cmake/package.cmake from settings/setting_list.def: every setting of the saver.
!macro VykCarrySettings
${vyk_carried_settings}!macroend
")

find_program(VYK_MAKENSIS makensis)
set(CPACK_PACKAGE_NAME Vyk)
set(CPACK_PACKAGE_VENDOR "The Vyk developers")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_FILE_NAME Vyk-${PROJECT_VERSION}-${VYK_PACKAGE_ARCH})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Vyk screen saver")
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/packages)
set(CPACK_GENERATOR ZIP)
if(VYK_MAKENSIS)
  # The installer is ours (release/installer.nsi) rather than CPack's NSIS template,
  # which installs into a program folder and would have to be bent to the Windows directory.
  list(APPEND CPACK_GENERATOR External)
  set(CPACK_EXTERNAL_ENABLE_STAGING ON)
  set(CPACK_EXTERNAL_PACKAGE_SCRIPT ${CMAKE_SOURCE_DIR}/cmake/nsis-installer.cmake)
  set(CPACK_VYK_MAKENSIS ${VYK_MAKENSIS})
  set(CPACK_VYK_NSIS_SCRIPT ${CMAKE_SOURCE_DIR}/release/installer.nsi)
  set(CPACK_VYK_NSIS_TARGET ${VYK_NSIS_TARGET})
  set(CPACK_VYK_VERSION ${PROJECT_VERSION})
  set(CPACK_VYK_CARRIED_SETTINGS ${VYK_CARRIED_SETTINGS})
  set(CPACK_VYK_INSTALLER_NAME Vyk-${PROJECT_VERSION}-setup.exe)
else()
  message(WARNING "makensis not found (Debian package nsis): the package target makes the ZIP only")
endif()
include(CPack)

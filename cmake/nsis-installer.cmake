# Run by CPack's External generator after staging: builds the Windows installer with makensis
# from the staged VykSaver.scr and LICENSE.txt and hands the installer back to CPack.
set(vyk_saver "${CPACK_TEMPORARY_DIRECTORY}/VykSaver.scr")
set(vyk_license "${CPACK_TEMPORARY_DIRECTORY}/LICENSE.txt")
foreach(vyk_staged "${vyk_saver}" "${vyk_license}")
  if(NOT EXISTS "${vyk_staged}")
    message(FATAL_ERROR "installer: staged file missing: ${vyk_staged}")
  endif()
endforeach()
set(vyk_installer "${CPACK_TOPLEVEL_DIRECTORY}/${CPACK_VYK_INSTALLER_NAME}")
execute_process(
  COMMAND "${CPACK_VYK_MAKENSIS}" -V2 -NOCD
    "-DVYK_TARGET=${CPACK_VYK_NSIS_TARGET}"
    "-DVYK_SAVER=${vyk_saver}"
    "-DVYK_LICENSE=${vyk_license}"
    "-DVYK_VERSION=${CPACK_VYK_VERSION}"
    "-DVYK_CARRIED_SETTINGS=${CPACK_VYK_CARRIED_SETTINGS}"
    "-DVYK_OUTFILE=${vyk_installer}"
    "${CPACK_VYK_NSIS_SCRIPT}"
  RESULT_VARIABLE vyk_result)
if(NOT vyk_result EQUAL 0)
  message(FATAL_ERROR "installer: makensis failed (${vyk_result})")
endif()
set(CPACK_EXTERNAL_BUILT_PACKAGES "${vyk_installer}")

# Run by CPack's External generator after staging: builds the Windows installer with makensis
# from the staged VykSaver.scr and hands the installer back to CPack.
set(vyk_saver "${CPACK_TEMPORARY_DIRECTORY}/VykSaver.scr")
if(NOT EXISTS "${vyk_saver}")
  message(FATAL_ERROR "installer: staged saver missing: ${vyk_saver}")
endif()
set(vyk_installer "${CPACK_TOPLEVEL_DIRECTORY}/${CPACK_VYK_INSTALLER_NAME}")
execute_process(
  COMMAND "${CPACK_VYK_MAKENSIS}" -V2 -NOCD
    "-DVYK_TARGET=${CPACK_VYK_NSIS_TARGET}"
    "-DVYK_SAVER=${vyk_saver}"
    "-DVYK_VERSION=${CPACK_VYK_VERSION}"
    "-DVYK_OUTFILE=${vyk_installer}"
    "${CPACK_VYK_NSIS_SCRIPT}"
  RESULT_VARIABLE vyk_result)
if(NOT vyk_result EQUAL 0)
  message(FATAL_ERROR "installer: makensis failed (${vyk_result})")
endif()
set(CPACK_EXTERNAL_BUILT_PACKAGES "${vyk_installer}")

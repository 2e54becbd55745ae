# The Windows installer QMR51-Visualisation-<version>-Setup.exe (NSIS) and the zip
# QMR51-Visualisation-<version>-windows.zip, both in the build folder: target windows-package.
# Both hold one folder with the two programs, the Qt, libcurl and compiler DLLs they load, the Qt
# plugins a window needs (platforms/, styles/, imageformats/) and an empty DATA/ for the module
# images. Staged in <build>/stage/QMR51-Visualisation, which runs as it is (the zip's copy).
get_filename_component(QMR_WINDOWS_DEPS "${Qt6_DIR}/../../.." ABSOLUTE)
find_program(QMR_NEEDS_MAKENSIS makensis PATHS /usr/bin NO_DEFAULT_PATH)
if(NOT QMR_NEEDS_MAKENSIS)
  message(FATAL_ERROR "The Windows installer needs makensis: install the Debian package nsis.")
endif()
set(stage "${PROJECT_BINARY_DIR}/stage/QMR51-Visualisation")
set(setup "${PROJECT_BINARY_DIR}/QMR51-Visualisation-${PROJECT_VERSION}-Setup.exe")
set(zip "${PROJECT_BINARY_DIR}/QMR51-Visualisation-${PROJECT_VERSION}-windows.zip")
set(dlls Qt6Core Qt6Gui Qt6Widgets Qt6OpenGL Qt6OpenGLWidgets Qt6Charts Qt6SerialPort libcurl
  libstdc++-6 libgcc_s_seh-1 libwinpthread-1)
list(TRANSFORM dlls PREPEND "${QMR_WINDOWS_DEPS}/bin/")
list(TRANSFORM dlls APPEND ".dll")
set(plugins "${QMR_WINDOWS_DEPS}/plugins")

add_custom_target(windows-package
  COMMAND ${CMAKE_COMMAND} -E rm -rf "${PROJECT_BINARY_DIR}/stage" "${setup}" "${zip}"
  COMMAND ${CMAKE_COMMAND} -E make_directory "${stage}/DATA" "${stage}/platforms" "${stage}/styles" "${stage}/imageformats"
  COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:qmr51-visualisation> $<TARGET_FILE:qmr51ctl> ${dlls} "${stage}"
  COMMAND ${CMAKE_STRIP} "${stage}/qmr51-visualisation.exe" "${stage}/qmr51ctl.exe"
  COMMAND ${CMAKE_COMMAND} -E copy "${plugins}/platforms/qwindows.dll" "${stage}/platforms"
  COMMAND ${CMAKE_COMMAND} -E copy "${plugins}/styles/qwindowsvistastyle.dll" "${stage}/styles"
  COMMAND ${CMAKE_COMMAND} -E copy "${plugins}/imageformats/qico.dll" "${stage}/imageformats"
  COMMAND ${QMR_NEEDS_MAKENSIS} -V2 -DVERSION=${PROJECT_VERSION} -DSTAGE=${stage} -DOUTFILE=${setup}
          "${PROJECT_SOURCE_DIR}/packaging/windows/installer.nsi"
  COMMAND ${CMAKE_COMMAND} -E chdir "${PROJECT_BINARY_DIR}/stage" ${CMAKE_COMMAND} -E tar cf "${zip}" --format=zip QMR51-Visualisation
  DEPENDS qmr51-visualisation qmr51ctl
  COMMENT "Windows installer and zip"
  VERBATIM)

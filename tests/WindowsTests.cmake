# The Windows programs' unit tests, cross-built with the programs and run under Wine through CTest
# (CMAKE_CROSSCOMPILING_EMULATOR, set by scripts/build-windows.sh). The core folders' tests run as
# they do on Linux, less the cases that call Linux programs (Python, srec_cat, objcopy, /bin/sh);
# platform/ runs the Windows files' own tests. Each test program is one CTest test: a Wine start
# costs about a second, too much to pay per case. The tests over pseudo-terminals, the window tests
# and the benchmarks stay Linux's; the smoke tests start the real programs under Wine instead.
set(QMR_WINE_PREFIX "${PROJECT_BINARY_DIR}/wine" CACHE PATH "Wine prefix the Windows tests run in")
get_filename_component(QMR_WINDOWS_DEPS "${Qt6_DIR}/../../.." ABSOLUTE) # the unpacked toolchain
set(QMR_WINE_ENVIRONMENT "WINEPREFIX=${QMR_WINE_PREFIX}" "WINEPATH=Z:${QMR_WINDOWS_DEPS}/bin" "QT_PLUGIN_PATH=Z:${QMR_WINDOWS_DEPS}/plugins" "QT_QPA_PLATFORM=offscreen")

file(GLOB QMR_TEST_SUPPORT CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/support/Fake*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/support/Fake*.h)
add_library(qmr_test_support STATIC ${QMR_TEST_SUPPORT})
target_include_directories(qmr_test_support PUBLIC ${CMAKE_CURRENT_SOURCE_DIR}/support)
target_link_libraries(qmr_test_support PUBLIC qmr_core GTest::gtest Qt6::Core)

# Cases that need a Linux program, or Linux's own rules: the sh script of a flash, the esptool found
# on the PATH, the flow's expectations of both (the Windows batch file has its own case, run by cmd.exe).
set(QMR_LINUX_ONLY_CASES
  "CsvReadBack.*:HexOracle.*:FlashScript.LinuxScript*:Esptool.PrefersTheBundled*:TikaFlash.NothingRuns*:Tika/Flash.*"
  "UpgradeWindow.TheForcedUpgradeDialogIsNonModalAndRunsTheBranchOfItsKindOnTheListedPort")
string(REPLACE ";" ":" QMR_LINUX_ONLY_CASES "${QMR_LINUX_ONLY_CASES}")

function(qmr_windows_test target main)
  list(REMOVE_AT ARGV 0 1)
  add_executable(${target} ${ARGV} ${CMAKE_CURRENT_SOURCE_DIR}/support/${main})
  target_compile_definitions(${target} PRIVATE QMR_TEST_DATA="${CMAKE_CURRENT_SOURCE_DIR}/data"
    QMR_SOURCE_DIR="${PROJECT_SOURCE_DIR}" QMR_BINARY_DIR="${PROJECT_BINARY_DIR}" QMR_VERSION="${PROJECT_VERSION}")
  target_link_libraries(${target} PRIVATE qmr_test_support qmr_sim)
  add_test(NAME ${target} COMMAND ${target} --gtest_filter=-${QMR_LINUX_ONLY_CASES})
  set_tests_properties(${target} PROPERTIES LABELS "unit;windows" ENVIRONMENT "${QMR_WINE_ENVIRONMENT}")
endfunction()

# A folder's Windows-only cases live in its windows/ subfolder.
foreach(folder link device view diagnostics firmware shell)
  file(GLOB core_tests CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${folder}/*.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/${folder}/windows/*Test.cpp)
  qmr_windows_test(test_${folder} test_main_core.cpp ${core_tests})
endforeach()
# The windows, offscreen: the settings rules, the readings views, the demo, the upgrade windows.
foreach(folder view shell firmware)
  file(GLOB ui_tests CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${folder}/ui/*.cpp)
  qmr_windows_test(test_${folder}_ui test_main_gui.cpp ${ui_tests})
  target_link_libraries(test_${folder}_ui PRIVATE qmr_ui)
endforeach()
file(GLOB platform_tests CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/platform/windows/*Test.cpp)
qmr_windows_test(test_platform test_main_core.cpp ${platform_tests})
target_link_libraries(test_platform PRIVATE qmr_platform)
# The records' durable append has one test for both of its files.
target_sources(test_platform PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/platform/DurableAppendTest.cpp)

# The batch file of a TIKA flash really run by cmd.exe, with a stand-in for esptool32.exe.
add_executable(esptool_standin ${CMAKE_CURRENT_SOURCE_DIR}/firmware/windows/esptool_standin.cpp)
target_link_options(esptool_standin PRIVATE -static)
target_link_libraries(test_firmware PRIVATE qmr_platform)
target_compile_definitions(test_firmware PRIVATE QMR_ESPTOOL_STANDIN="Z:$<TARGET_FILE:esptool_standin>")
add_dependencies(test_firmware esptool_standin)

# The real programs under Wine, as a technician starts them (tests/windows/wine_smoke.py): qmr51ctl's
# version and a scan without ports; the window with --demo on Xvfb; the installer, silently, and the
# window it installed. Each says what it measured (the time until the window shows).
find_program(QMR_NEEDS_XWININFO xwininfo PATHS /usr/bin NO_DEFAULT_PATH)
find_program(QMR_NEEDS_XVFB Xvfb PATHS /usr/bin NO_DEFAULT_PATH)
if(NOT QMR_NEEDS_XWININFO OR NOT QMR_NEEDS_XVFB)
  message(FATAL_ERROR "The Windows smoke tests need Xvfb and xwininfo: install the Debian packages xvfb and x11-utils.")
endif()
set(smoke ${CMAKE_CURRENT_SOURCE_DIR}/windows/wine_smoke.py)
set(smoke_environment "WINEPREFIX=${QMR_WINE_PREFIX}" "QMR_WINDOWS_DEPS=${QMR_WINDOWS_DEPS}")
add_test(NAME windows_smoke_qmr51ctl COMMAND /usr/bin/python3 ${smoke} ctl ${PROJECT_BINARY_DIR})
add_test(NAME windows_smoke_window COMMAND /usr/bin/python3 ${smoke} window ${PROJECT_BINARY_DIR})
# qmr51ctl.exe over Wine's COM7 to the Linux simulator on a pseudo-terminal: the Windows serial
# line end to end, and Ctrl+C.
set(QMR_LINUX_SIMULATOR "" CACHE FILEPATH "The Linux device simulator (qmr51-sim) for the Windows device test")
if(NOT EXISTS "${QMR_LINUX_SIMULATOR}")
  message(FATAL_ERROR "The Windows device test needs the Linux simulator: configure with -DQMR_LINUX_SIMULATOR=<linux build>/sim/qmr51-sim (scripts/build-windows.sh does).")
endif()
add_test(NAME windows_smoke_device COMMAND /usr/bin/python3 ${smoke} device ${PROJECT_BINARY_DIR} ${QMR_LINUX_SIMULATOR})
add_test(NAME windows_package COMMAND ${CMAKE_COMMAND} --build ${PROJECT_BINARY_DIR} --target windows-package)
add_test(NAME windows_smoke_installer COMMAND /usr/bin/python3 ${smoke} installer ${PROJECT_BINARY_DIR})
# One at a time, after the unit tests: the window needs a Wine server of its own display.
set_tests_properties(windows_smoke_qmr51ctl windows_smoke_device windows_smoke_window windows_smoke_installer PROPERTIES
  LABELS "smoke;windows" ENVIRONMENT "${smoke_environment}" RUN_SERIAL ON)
set_tests_properties(windows_package PROPERTIES FIXTURES_SETUP windows_installer LABELS "windows")
set_tests_properties(windows_smoke_installer PROPERTIES FIXTURES_REQUIRED windows_installer)

# Set-up, packages and release: ./run.sh's package list, the Debian package, the Windows
# program's resources and the release command. Each runs through the end-to-end guard.
set(ks_packaging_tests ${CMAKE_SOURCE_DIR}/tests/packaging)
set(ks_guard ${CMAKE_SOURCE_DIR}/tests/e2e/guard.sh)

add_test(NAME packaging.run_list COMMAND ${ks_guard} 270 ${ks_packaging_tests}/run_list.sh ${CMAKE_SOURCE_DIR})
set_tests_properties(packaging.run_list PROPERTIES TIMEOUT 300 SKIP_RETURN_CODE 77 LABELS e2e)

# Installs the package for real only as root on CI (CI=true); elsewhere it checks an unpacked copy.
add_test(NAME packaging.deb COMMAND ${ks_guard} 270 ${ks_packaging_tests}/package.sh ${CMAKE_BINARY_DIR})
set_tests_properties(packaging.deb PROPERTIES TIMEOUT 300 LABELS e2e RESOURCE_LOCK ks_dpkg)

add_test(NAME packaging.windows_resources
  COMMAND ${ks_packaging_tests}/windows_resources.sh ${CMAKE_BINARY_DIR}/windows/kelvo-strand-windows-x86_64.zip)
set_tests_properties(packaging.windows_resources PROPERTIES FIXTURES_REQUIRED ks_windows_build TIMEOUT 60
  LABELS "windows;e2e")

# A clean clone's release: a Linux build of its own, the Windows program cross-built again and
# the web page built again (both on the dependencies the suite built).
add_test(NAME packaging.release
  COMMAND ${ks_guard} 1800 ${ks_packaging_tests}/release.sh ${CMAKE_SOURCE_DIR} ${CMAKE_BINARY_DIR}/windows
  ${CMAKE_BINARY_DIR}/web)
# It takes the web checks' lock: its page is built with Emscripten while no web check builds
# with it too (the WebGL cases) or measures real time.
set_tests_properties(packaging.release PROPERTIES FIXTURES_REQUIRED "ks_windows_build;ks_web_build" TIMEOUT 1830
  LABELS "e2e;long;windows" COST 800 RESOURCE_LOCK ks_chromium)

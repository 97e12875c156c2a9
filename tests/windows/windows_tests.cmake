# The Windows program, built from the same code by tools/windows/build.sh and checked under
# Wine. windows.build and windows.prefix are fixtures: the package and the Wine prefix are made
# once (dependencies and prefix stay cached under build/windows for later runs), and every
# check needs both. The checks share one Wine prefix, so they run one at a time. Each runs
# through the end-to-end guard, which fails it if any process it started outlives it.
set(ks_windows_dir ${CMAKE_BINARY_DIR}/windows)
set(ks_windows_zip ${ks_windows_dir}/kelvo-strand-windows-x86_64.zip)
set(ks_wine_dir ${ks_windows_dir}/wine)
set(ks_windows_tests ${CMAKE_SOURCE_DIR}/tests/windows)
set(ks_guard ${CMAKE_SOURCE_DIR}/tests/e2e/guard.sh)

add_test(NAME windows.build
  COMMAND ${CMAKE_SOURCE_DIR}/tools/windows/build.sh --build-dir ${ks_windows_dir} --data ${CMAKE_BINARY_DIR}/data)
set_tests_properties(windows.build PROPERTIES FIXTURES_SETUP ks_windows_build TIMEOUT 900 LABELS windows COST 900)

add_test(NAME windows.prefix COMMAND ${ks_guard} 300 ${ks_windows_tests}/prefix.sh ${ks_wine_dir})
set_tests_properties(windows.prefix PROPERTIES FIXTURES_SETUP ks_wine_prefix RESOURCE_LOCK ks_wine
  TIMEOUT 330 LABELS windows)

set(ks_linux_program $<TARGET_FILE:kelvo-strand> ${CMAKE_BINARY_DIR}/data)
add_test(NAME windows.show_plays
  COMMAND ${ks_guard} 170 ${ks_windows_tests}/show_plays.sh ${ks_windows_zip} ${ks_wine_dir} ${ks_linux_program})
add_test(NAME windows.silent_output
  COMMAND ${ks_guard} 140 ${ks_windows_tests}/silent_output.sh ${ks_windows_zip} ${ks_wine_dir} ${ks_linux_program})
add_test(NAME windows.data_error COMMAND ${ks_guard} 110 ${ks_windows_tests}/data_error.sh ${ks_windows_zip} ${ks_wine_dir})
add_test(NAME windows.waveout
  COMMAND ${ks_guard} 80 ${ks_windows_tests}/waveout.sh ${ks_windows_zip} ${ks_wine_dir} ${ks_windows_dir}/x86_64/waveout-check.exe)
set_tests_properties(windows.show_plays windows.silent_output windows.data_error windows.waveout PROPERTIES
  FIXTURES_REQUIRED "ks_windows_build;ks_wine_prefix" RESOURCE_LOCK ks_wine TIMEOUT 200 LABELS windows)

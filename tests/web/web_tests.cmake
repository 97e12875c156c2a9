# The page in headless Chromium (tests/web/): web.build builds the site once (tools/web/build.sh,
# into build/web/site/; its dependencies stay cached under build/web/), and every check needs it.
# Each check is a node script on the driver in driver.js (puppeteer-core, installed into
# tests/web/node_modules by `npm ci --prefix tests/web`), run through the end-to-end guard, which
# bounds it in time and fails it for any process it leaves behind. One Chromium at a time: the
# timing checks measure real time on a machine that SwiftShader keeps busy.
set(ks_web_tests ${CMAKE_SOURCE_DIR}/tests/web)
set(ks_web_dir ${CMAKE_BINARY_DIR}/web)
find_program(KS_NODE node)

add_test(NAME web.build COMMAND ${ks_web_tests}/build_site.sh --build-dir ${ks_web_dir})
set_tests_properties(web.build PROPERTIES FIXTURES_SETUP ks_web_build SKIP_RETURN_CODE 77 TIMEOUT 1800
  LABELS web COST 900 RESOURCE_LOCK ks_chromium)

# ks_web_check(NAME SECONDS): tests/web/NAME.js, labelled web.
function(ks_web_check name seconds)
  add_test(NAME web.${name} COMMAND ${CMAKE_SOURCE_DIR}/tests/e2e/guard.sh ${seconds} ${KS_NODE} ${ks_web_tests}/${name}.js)
  math(EXPR ctest_seconds "${seconds} + 30")
  set_tests_properties(web.${name} PROPERTIES FIXTURES_REQUIRED ks_web_build RESOURCE_LOCK ks_chromium
    ENVIRONMENT "KS_BUILD_DIR=${CMAKE_BINARY_DIR};KS_WEB_SITE=${ks_web_dir}/site" SKIP_RETURN_CODE 77 TIMEOUT ${ctest_seconds} LABELS web)
endfunction()

ks_web_check(frames 400)       # 13 scenes against the native capture
ks_web_check(pacing 120)       # 25 frames a second of music at 60 and 144 Hz
ks_web_check(sound 120)        # the sound clock, a stall, Escape and silence, no Web Audio
ks_web_check(choices 300)      # panel and URL choices: from, sharp, loop, offset, full screen; 1920x1080 with bars
ks_web_check(data_errors 120)  # missing and damaged content

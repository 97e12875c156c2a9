# The page in the three engines (tests/web/): web.build builds the site once (tools/web/build.sh,
# into build/web/site/; its dependencies stay cached under build/web/), and every check needs it.
# Each check is a node script on the driver in driver.js (puppeteer-core, installed into
# tests/web/node_modules by `npm ci --prefix tests/web`), run through the end-to-end guard, which
# bounds it in time and fails it for any process it leaves behind. One browser at a time: the
# timing checks measure real time on a machine that software rendering keeps busy.
set(ks_web_tests ${CMAKE_SOURCE_DIR}/tests/web)
set(ks_web_dir ${CMAKE_BINARY_DIR}/web)
find_program(KS_NODE node)

add_test(NAME web.build COMMAND ${ks_web_tests}/build_site.sh --build-dir ${ks_web_dir})
set_tests_properties(web.build PROPERTIES FIXTURES_SETUP ks_web_build SKIP_RETURN_CODE 77 TIMEOUT 1800
  LABELS web COST 900 RESOURCE_LOCK ks_chromium)

# ks_web_check(NAME SECONDS [ENGINE]): tests/web/NAME.js in Chromium as web.NAME, or in ENGINE
# (firefox, webkit) as web.NAME.ENGINE; labelled web.
function(ks_web_check name seconds)
  set(engine chromium)
  set(test web.${name})
  if(ARGC GREATER 2)
    set(engine ${ARGV2})
    set(test web.${name}.${engine})
  endif()
  add_test(NAME ${test} COMMAND ${CMAKE_SOURCE_DIR}/tests/e2e/guard.sh ${seconds} ${KS_NODE} ${ks_web_tests}/${name}.js)
  math(EXPR ctest_seconds "${seconds} + 30")
  set_tests_properties(${test} PROPERTIES FIXTURES_REQUIRED ks_web_build RESOURCE_LOCK ks_chromium
    ENVIRONMENT "KS_BUILD_DIR=${CMAKE_BINARY_DIR};KS_WEB_SITE=${ks_web_dir}/site;KS_WEB_ENGINE=${engine}"
    SKIP_RETURN_CODE 77 TIMEOUT ${ctest_seconds} LABELS web)
endfunction()

# Chromium: the frames, the pacing, the sound and the page's own logic.
ks_web_check(frames 400)       # 13 scenes against the native capture
ks_web_check(pacing 120)       # 25 frames a second of music at 60 and 144 Hz
ks_web_check(sound 120)        # the sound clock, a stall, Escape and silence, no Web Audio
ks_web_check(choices 300)      # panel and URL choices: from, sharp, loop, offset, full screen, touch; 1920x1080 with bars
ks_web_check(data_errors 120)  # missing and damaged content
ks_web_check(ready 120)        # the data fetched on the start screen over a 20 Mbit/s link, the click's start
# Firefox ESR and WebKitGTK: the frames, the sound and Escape, each in an X server of its own.
foreach(engine firefox webkit)
  ks_web_check(frames 400 ${engine})
  ks_web_check(sound 120 ${engine})
endforeach()
# The pacing and sound checks follow the animation frames and the device's position frame by
# frame: with the live checks and the fuzzer beside them on two cores, Chromium's animation
# frames fell to 14 a second and WebKit's page behind its own sound by half a second. They run
# alone.
set_tests_properties(web.pacing web.sound web.sound.firefox web.sound.webkit PROPERTIES RUN_SERIAL TRUE)

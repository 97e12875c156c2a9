# The OpenGL 1.1 stand-in against Mesa (tests/webgl/): webgl_cases runs the drawing cases of
# gl_cases.cpp natively; web.webgl_cases builds them for the browser over the stand-in (with the
# web build's GLU, so it needs the web.build fixture) and compares the two in Chromium.
add_executable(webgl_cases ${CMAKE_CURRENT_SOURCE_DIR}/webgl/native_cases.cpp ${CMAKE_CURRENT_SOURCE_DIR}/webgl/gl_cases.cpp)
target_link_libraries(webgl_cases PRIVATE ks_platform)
find_program(KS_NODE node)
add_test(NAME web.webgl_cases COMMAND ${CMAKE_SOURCE_DIR}/tests/e2e/guard.sh 400 ${KS_NODE}
  ${CMAKE_CURRENT_SOURCE_DIR}/webgl/cases.js)
set_tests_properties(web.webgl_cases PROPERTIES FIXTURES_REQUIRED ks_web_build RESOURCE_LOCK ks_chromium
  ENVIRONMENT "KS_BUILD_DIR=${CMAKE_BINARY_DIR};KS_WEB_SITE=${CMAKE_BINARY_DIR}/web/site;KS_WEB_DEPS=${CMAKE_BINARY_DIR}/web/deps;KS_WEBGL_NATIVE=$<TARGET_FILE:webgl_cases>"
  SKIP_RETURN_CODE 77 TIMEOUT 430 LABELS web)

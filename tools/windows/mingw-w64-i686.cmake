# Toolchain file: 32-bit Windows (i686) with Debian's mingw-w64.
set(KS_MINGW_TRIPLE i686-w64-mingw32)
set(KS_MINGW_PROCESSOR x86)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)

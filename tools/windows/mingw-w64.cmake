# Cross-compiling for Windows with Debian's mingw-w64 (the POSIX thread model, so that the C++
# standard threads work). Included by mingw-w64-x86_64.cmake and mingw-w64-i686.cmake, which
# set KS_MINGW_TRIPLE and KS_MINGW_PROCESSOR first. The static libraries built for Windows by
# tools/windows/deps.sh are found through KS_WINDOWS_DEPS (their install prefix).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${KS_MINGW_PROCESSOR})

set(CMAKE_C_COMPILER ${KS_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${KS_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${KS_MINGW_TRIPLE}-windres)

# Libraries and headers come only from the mingw-w64 tree and our own dependency prefix, never
# from the Linux system; programs (nasm, the shell tools) come from the Linux system.
set(CMAKE_FIND_ROOT_PATH /usr/${KS_MINGW_TRIPLE})
if(KS_WINDOWS_DEPS)
  list(PREPEND CMAKE_FIND_ROOT_PATH ${KS_WINDOWS_DEPS})
endif()
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES KS_WINDOWS_DEPS)

# One self-contained program: the C and C++ runtimes (and winpthreads) linked in statically, so
# no DLL beside the program is needed on a Windows machine.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

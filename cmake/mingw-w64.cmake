# What both MinGW-w64 toolchain files share; they set QUILLET_MINGW_TRIPLE and QUILLET_WINE first.
# The win32 thread model: nothing here starts a thread, and the posix model's library would only
# add weight.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_C_COMPILER ${QUILLET_MINGW_TRIPLE}-gcc-win32)
set(CMAKE_CXX_COMPILER ${QUILLET_MINGW_TRIPLE}-g++-win32)
set(CMAKE_RC_COMPILER ${QUILLET_MINGW_TRIPLE}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${QUILLET_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# Unit tests built for Windows run under Wine.
find_program(WINE_PROGRAM ${QUILLET_WINE} PATHS /usr/lib/wine)
if(WINE_PROGRAM)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${WINE_PROGRAM})
endif()

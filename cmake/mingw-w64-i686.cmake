# Cross build for 32-bit Windows with Debian's MinGW-w64 (package g++-mingw-w64-i686).
set(CMAKE_SYSTEM_PROCESSOR i686)
set(QUILLET_MINGW_TRIPLE i686-w64-mingw32)
set(QUILLET_WINE wine)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)

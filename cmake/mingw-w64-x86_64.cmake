# Cross build for 64-bit Windows with Debian's MinGW-w64 (package g++-mingw-w64-x86-64). Quillet
# ships as a 32-bit program; this build of the same sources exists for the tests on a machine
# whose kernel runs no 32-bit code, where only Wine's 64-bit loader (wine64) can start.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(QUILLET_MINGW_TRIPLE x86_64-w64-mingw32)
set(QUILLET_WINE wine64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)

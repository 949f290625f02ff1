# Cross build for 64-bit Windows with mingw-w64: the same programs and tests as the 32-bit build,
# for machines whose kernel cannot run 32-bit code (and so no 32-bit Wine).
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(MINGW_PREFIX x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw-common.cmake)

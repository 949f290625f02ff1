# Cross build for 32-bit Windows with mingw-w64: the shipped player. Its code is built for the
# Pentium, the oldest processor the player runs on (the compiler's default would be the Pentium
# Pro, whose conditional moves older processors lack).
set(CMAKE_SYSTEM_PROCESSOR i686)
set(MINGW_PREFIX i686-w64-mingw32)
set(CMAKE_C_FLAGS_INIT "-march=i586")
set(CMAKE_CXX_FLAGS_INIT "-march=i586")
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw-common.cmake)

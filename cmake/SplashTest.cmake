# One helper adds a GoogleTest executable and registers its cases with CTest. In the cross
# build the cases run under Wine through the project's wrapper (the cross-compiling emulator);
# discovery happens when CTest runs, so the build itself never starts a Windows program.
include(GoogleTest)

if(SPLASH_TESTS)
  if(WIN32)
    set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
    add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
    if(NOT TARGET GTest::gtest)
      add_library(GTest::gtest ALIAS gtest)
      add_library(GTest::gtest_main ALIAS gtest_main)
    endif()
    set(SPLASH_RIG_DIR ${CMAKE_BINARY_DIR}/wine-rig)
    configure_file(${CMAKE_SOURCE_DIR}/cmake/wine-run.sh.in ${CMAKE_BINARY_DIR}/wine-run @ONLY
                   FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
                                    WORLD_READ WORLD_EXECUTE)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_BINARY_DIR}/wine-run)
  else()
    find_package(GTest REQUIRED)
  endif()
endif()

# splash_add_test(NAME <name> SOURCES <files...> [LIBS <targets...>] [SCREEN WxH] [DEPTH bits]
#                 [PROPERTIES <ctest properties...>])
# SCREEN runs the cases of a cross-built test inside a Wine virtual desktop of that size, and
# DEPTH on an X screen of that colour depth.
function(splash_add_test)
  cmake_parse_arguments(T "" "NAME;SCREEN;DEPTH" "SOURCES;LIBS;PROPERTIES" ${ARGN})
  add_executable(${T_NAME} ${T_SOURCES})
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} GTest::gtest_main)
  target_compile_definitions(${T_NAME} PRIVATE
    SPLASH_SOURCE_DIR="${CMAKE_SOURCE_DIR}" SPLASH_SHARED_DIR="${CMAKE_SOURCE_DIR}/../shared")
  set(env "")
  set(props ${T_PROPERTIES})
  if(WIN32)
    target_link_options(${T_NAME} PRIVATE -mconsole)
    if(T_SCREEN)
      list(APPEND env "SPLASH_SCREEN=${T_SCREEN}")
    endif()
    if(T_DEPTH)
      list(APPEND env "SPLASH_DEPTH=${T_DEPTH}")
    endif()
    list(APPEND props FIXTURES_REQUIRED wine_rig)
  endif()
  if(env)
    list(APPEND props ENVIRONMENT "${env}")
  endif()
  gtest_discover_tests(${T_NAME} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 120
                       PROPERTIES ${props})
endfunction()

# One helper adds a GoogleTest executable and registers its cases with CTest. In the cross
# build the cases run under Wine through the project's wrapper (the cross-compiling emulator);
# discovery happens when CTest runs, so the build itself never starts a Windows program.
include(GoogleTest)

if(SPLASH_TESTS)
  if(WIN32)
    set(gtest_disable_pthreads ON CACHE BOOL "" FORCE)
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
    add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
    # The win32 thread model has no std::mutex: GoogleTest gets its start signal from here.
    target_compile_definitions(gtest PUBLIC GTEST_HAS_NOTIFICATION_=1)
    target_compile_options(gtest PUBLIC -include ${CMAKE_SOURCE_DIR}/cmake/gtest_notification_win32.h)
    if(NOT TARGET GTest::gtest)
      add_library(GTest::gtest ALIAS gtest)
      add_library(GTest::gtest_main ALIAS gtest_main)
    endif()
    set(SPLASH_RIG_DIR ${CMAKE_BINARY_DIR}/wine-rig)
    if(CMAKE_SIZEOF_VOID_P EQUAL 8)
      set(SPLASH_WINE_LOADER /usr/lib/wine/wine64)
      set(SPLASH_WINE_SERVER /usr/lib/wine/wineserver64)
    else()
      set(SPLASH_WINE_LOADER /usr/lib/wine/wine)
      set(SPLASH_WINE_SERVER /usr/bin/wineserver)
    endif()
    set(SPLASH_RIG_REGS ${CMAKE_SOURCE_DIR}/tests/e2e/rig.reg)
    file(REMOVE_RECURSE ${SPLASH_RIG_DIR}/regs)
    file(MAKE_DIRECTORY ${SPLASH_RIG_DIR}/regs)
    configure_file(${CMAKE_SOURCE_DIR}/cmake/wine-run.sh.in ${CMAKE_BINARY_DIR}/wine-run @ONLY
                   FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
                                    WORLD_READ WORLD_EXECUTE)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_BINARY_DIR}/wine-run)
  else()
    find_package(GTest REQUIRED)
  endif()
endif()

# splash_add_test(NAME <name> SOURCES <files...> [LIBS <targets...>] [SCREEN WxH] [DEPTH bits]
#                 [FIXTURE <name>] [PROPERTIES <ctest properties...>])
# SCREEN runs the cases of a cross-built test inside a Wine virtual desktop of that size, and
# DEPTH on an X screen of that colour depth. FIXTURE names a fixture the cases require instead of
# the bare Wine rig; it must require the rig itself, with a cleanup test that does too, so that
# the rig outlives the cases (the cases' properties can carry one fixture name only).
function(splash_add_test)
  cmake_parse_arguments(T "" "NAME;SCREEN;DEPTH;PREFIX;FIXTURE" "SOURCES;LIBS;PROPERTIES" ${ARGN})
  add_executable(${T_NAME} ${T_SOURCES})
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} GTest::gtest_main)
  target_compile_definitions(${T_NAME} PRIVATE
    SPLASH_SOURCE_DIR="${CMAKE_SOURCE_DIR}" SPLASH_BMP_DIR="${CMAKE_SOURCE_DIR}/tests/data/bmp")
  set(env "")
  set(props ${T_PROPERTIES})
  if(WIN32)
    target_link_options(${T_NAME} PRIVATE -mconsole)
    if(T_SCREEN)
      # Each such program gets a Wine virtual desktop of its own, of that size; the players it
      # starts share it.
      file(WRITE ${SPLASH_RIG_DIR}/regs/${T_NAME}.reg
           "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Wine\\AppDefaults\\${T_NAME}.exe\\Explorer]\n"
           "\"Desktop\"=\"${T_NAME}\"\n\n[HKEY_CURRENT_USER\\Software\\Wine\\Explorer\\Desktops]\n"
           "\"${T_NAME}\"=\"${T_SCREEN}\"\n\n")
    endif()
    if(T_DEPTH)
      list(APPEND env "SPLASH_DEPTH=${T_DEPTH}")
    endif()
    if(T_FIXTURE)
      list(APPEND props FIXTURES_REQUIRED ${T_FIXTURE})
    else()
      list(APPEND props FIXTURES_REQUIRED wine_rig)
    endif()
  endif()
  if(env)
    list(APPEND props ENVIRONMENT "${env}")
  endif()
  if(WIN32 AND NOT TARGET wine_rig_fixture)
    add_custom_target(wine_rig_fixture)
    add_test(NAME wine_rig_start COMMAND ${CMAKE_BINARY_DIR}/wine-run start)
    add_test(NAME wine_rig_stop COMMAND ${CMAKE_BINARY_DIR}/wine-run stop)
    set_tests_properties(wine_rig_start PROPERTIES FIXTURES_SETUP wine_rig TIMEOUT 600)
    set_tests_properties(wine_rig_stop PROPERTIES FIXTURES_CLEANUP wine_rig)
  endif()
  gtest_discover_tests(${T_NAME} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 120
                       TEST_PREFIX "${T_PREFIX}" PROPERTIES ${props})
endfunction()

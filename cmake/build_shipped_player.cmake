# Builds the shipped 32-bit player in the `windows` preset's folder, configuring the folder
# first when it is new; run at build time by a native build:
#   cmake -DSOURCE=<source> -DBINARY=<source>/build/windows -DWERROR=ON|OFF -P build_shipped_player.cmake
if(NOT EXISTS "${BINARY}/CMakeCache.txt")
  execute_process(COMMAND "${CMAKE_COMMAND}" --preset windows -DSPLASH_WERROR=${WERROR}
                  WORKING_DIRECTORY "${SOURCE}" OUTPUT_QUIET RESULT_VARIABLE result)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "Configuring ${BINARY} failed.")
  endif()
endif()
# One job unless told otherwise: the native build's own jobs go on beside it.
if(DEFINED ENV{CMAKE_BUILD_PARALLEL_LEVEL})
  set(jobs $ENV{CMAKE_BUILD_PARALLEL_LEVEL})
else()
  set(jobs 1)
endif()
execute_process(COMMAND "${CMAKE_COMMAND}" --build "${BINARY}" --target splash_player -j ${jobs}
                RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "Building the player in ${BINARY} failed.")
endif()

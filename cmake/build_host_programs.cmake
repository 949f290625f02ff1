# Builds targets of this project for the build machine, for a cross build that must run them;
# run at build time:
#   cmake -DSOURCE=<source> -DBINARY=<folder> -DTARGETS=<target,target> -P build_host_programs.cmake
# The programs land in <folder>/bin.
# The cross build's compilers must not reach the host build.
unset(ENV{CC})
unset(ENV{CXX})
unset(ENV{CFLAGS})
unset(ENV{CXXFLAGS})
unset(ENV{LDFLAGS})
if(NOT EXISTS "${BINARY}/CMakeCache.txt")
  execute_process(COMMAND "${CMAKE_COMMAND}" -S "${SOURCE}" -B "${BINARY}" -G Ninja
                          -DCMAKE_BUILD_TYPE=Release -DSPLASH_TESTS=OFF
                          -DCMAKE_RUNTIME_OUTPUT_DIRECTORY=${BINARY}/bin
                  OUTPUT_QUIET RESULT_VARIABLE result)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "Configuring the generators for this machine in ${BINARY} failed.")
  endif()
endif()
string(REPLACE "," ";" targets "${TARGETS}")
# One job unless told otherwise: the cross build's own jobs go on beside it.
if(DEFINED ENV{CMAKE_BUILD_PARALLEL_LEVEL})
  set(jobs $ENV{CMAKE_BUILD_PARALLEL_LEVEL})
else()
  set(jobs 1)
endif()
execute_process(COMMAND "${CMAKE_COMMAND}" --build "${BINARY}" --target ${targets} -j ${jobs}
                RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "Building the generators for this machine in ${BINARY} failed.")
endif()

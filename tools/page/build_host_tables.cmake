# Builds the code-page table generator for the build machine and runs it, for a build whose own
# programs cannot run there (the page's); run at build time:
#   cmake -DSOURCE=<tools/page/host> -DBINARY=<folder> -DTABLES=<code_page_data.cpp>
#         -DCHARACTERS=<font_characters.txt> -P build_host_tables.cmake
# The cross build's compilers must not reach the host build.
unset(ENV{CC})
unset(ENV{CXX})
unset(ENV{CFLAGS})
unset(ENV{CXXFLAGS})
unset(ENV{LDFLAGS})
if(NOT EXISTS "${BINARY}/CMakeCache.txt")
  execute_process(COMMAND "${CMAKE_COMMAND}" -S "${SOURCE}" -B "${BINARY}"
                          -DCMAKE_BUILD_TYPE=Release
                  OUTPUT_QUIET RESULT_VARIABLE result)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "Configuring the code-page table generator in ${BINARY} failed.")
  endif()
endif()
execute_process(COMMAND "${CMAKE_COMMAND}" --build "${BINARY}" RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "Building the code-page table generator in ${BINARY} failed.")
endif()
execute_process(COMMAND "${BINARY}/code_page_tables" "${TABLES}" "${CHARACTERS}"
                RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "The code-page table generator failed.")
endif()

# Programs the build runs on the build machine: the generators of the code-page tables and of
# what the table of options gives (the manual page's options, the completions, the page's form).
# A native build has them as targets of its own; a cross build (Windows, the page) cannot run its
# own programs, so it builds the same targets of this project natively, in build/<preset>/host.

set(SPLASH_HOST_PROGRAMS code_page_tables write_option_files)

# splash_host_program(<var> <target>): sets <var> to the program to run in a custom command's
# COMMAND (a path: the Windows build would run a target of its own under Wine), and
# <var>_DEPENDS to what that command depends on.
function(splash_host_program outVar target)
  if(NOT CMAKE_CROSSCOMPILING)
    set(${outVar} $<TARGET_FILE:${target}> PARENT_SCOPE)
    set(${outVar}_DEPENDS ${target} PARENT_SCOPE)
    return()
  endif()
  set(hostFolder ${CMAKE_BINARY_DIR}/host)
  if(NOT TARGET host_programs)
    set(programs)
    foreach(program ${SPLASH_HOST_PROGRAMS})
      list(APPEND programs ${hostFolder}/bin/${program})
    endforeach()
    list(JOIN SPLASH_HOST_PROGRAMS "," targets)
    # Runs on every build; the host build decides whether anything changed.
    add_custom_target(host_programs
      COMMAND ${CMAKE_COMMAND} -DSOURCE=${PROJECT_SOURCE_DIR} -DBINARY=${hostFolder}
              -DTARGETS=${targets} -P ${PROJECT_SOURCE_DIR}/cmake/build_host_programs.cmake
      BYPRODUCTS ${programs}
      COMMENT "Building the generators for this machine in ${hostFolder}"
      USES_TERMINAL
      VERBATIM)
  endif()
  set(${outVar} ${hostFolder}/bin/${target} PARENT_SCOPE)
  set(${outVar}_DEPENDS host_programs ${hostFolder}/bin/${target} PARENT_SCOPE)
endfunction()

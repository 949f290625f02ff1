# The parts of the compiler's support libraries that the 32-bit player links, built again for the
# 386 like the player's own code: Debian builds libgcc and libstdc++ for the Pentium Pro, whose
# conditional moves fault on older processors. The sources come from Debian's gcc-12-source
# package, the same release as the cross compiler, and are built with the thread layer of a
# single-threaded program, which the player is. Defines the target splash_player_runtime; the
# caller sets SPLASH_PLAYER_OPTIONS.

# Debian's cross compiler names itself "12-win32"; its package version carries the release of
# the sources it was built from (12.2.0-14+deb12u1+25.2 from gcc-12 12.2.0-14+deb12u1).
string(REGEX MATCH "^[0-9]+" gccMajor "${CMAKE_CXX_COMPILER_VERSION}")
execute_process(COMMAND dpkg-query -W -f=\${Version} gcc-mingw-w64-base
                OUTPUT_VARIABLE compilerPackage ERROR_QUIET)
execute_process(COMMAND dpkg-query -W -f=\${Version} gcc-${gccMajor}-source
                OUTPUT_VARIABLE sourcePackage ERROR_QUIET)
file(GLOB gccTarball /usr/src/gcc-${gccMajor}/gcc-${gccMajor}.*.tar.xz)
if(NOT gccTarball OR sourcePackage STREQUAL "")
  message(FATAL_ERROR "the 32-bit player needs the sources of gcc ${gccMajor}: "
                      "apt-get install gcc-${gccMajor}-source")
endif()
string(FIND "${compilerPackage}" "${sourcePackage}+" sourceAt)
if(NOT sourceAt EQUAL 0)
  message(FATAL_ERROR "gcc-${gccMajor}-source ${sourcePackage} is not the release that the cross "
                      "compiler ${compilerPackage} was built from")
endif()
list(GET gccTarball 0 gccTarball)
get_filename_component(gccTarballName ${gccTarball} NAME)
string(REGEX MATCH "^gcc-[0-9.]+[0-9]" gccRelease "${gccTarballName}")
string(REPLACE "gcc-" "" gccVersion "${gccRelease}")

set(runtimeDir ${CMAKE_BINARY_DIR}/pentium-runtime)
set(gccTree ${runtimeDir}/gcc-${gccVersion})
set(members
  libgcc/unwind-dw2.c libgcc/unwind-dw2-fde.c libgcc/unwind-dw2.h libgcc/unwind-dw2-fde.h
  libgcc/unwind-pe.h libgcc/unwind-generic.h libgcc/unwind.inc libgcc/gthr.h libgcc/gthr-single.h
  libgcc/config/i386/w32-unwind.h
  gcc/tsystem.h gcc/coretypes.h
  include/ansidecl.h include/dwarf2.h include/dwarf2.def include/filenames.h include/getopt.h
  include/hashtab.h
  libstdc++-v3/libsupc++/eh_alloc.cc libstdc++-v3/libsupc++/eh_terminate.cc
  libstdc++-v3/libsupc++/eh_personality.cc libstdc++-v3/libsupc++/eh_catch.cc
  libstdc++-v3/libsupc++/new_op.cc libstdc++-v3/libsupc++/unwind-cxx.h
  libstdc++-v3/libsupc++/eh_term_handler.h
  libstdc++-v3/src/c++98/tree.cc)
set(stamp ${runtimeDir}/extracted-${gccVersion})
if(NOT EXISTS ${stamp})
  set(paths "")
  foreach(member ${members})
    list(APPEND paths gcc-${gccVersion}/${member})
  endforeach()
  file(MAKE_DIRECTORY ${runtimeDir})
  execute_process(COMMAND tar -xJf ${gccTarball} -C ${runtimeDir} ${paths}
                  RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "cannot unpack the runtime sources from ${gccTarball}")
  endif()
  file(TOUCH ${stamp})
endif()

# What a configured compiler tree would provide. The unwinder takes nearly all it needs of the
# target from the compiler's own predefined macros (-fbuilding-libgcc); these are the rest.
set(configDir ${runtimeDir}/config)
file(WRITE ${configDir}/tconfig.h "#define USED_FOR_TARGET\n")
file(WRITE ${configDir}/auto-target.h "")
file(WRITE ${configDir}/libgcc_tm.h "")
file(WRITE ${configDir}/tm.h
     "#define DWARF_REG_TO_UNWIND_COLUMN(REGNO) (REGNO)\n"
     "#define LIBGCC2_UNWIND_ATTRIBUTE __attribute__((target(\"no-mmx,no-sse\")))\n")
file(WRITE ${configDir}/md-unwind-support.h "#include \"config/i386/w32-unwind.h\"\n")
file(WRITE ${configDir}/unwind.h "#include \"unwind-generic.h\"\n")
file(WRITE ${configDir}/gthr-default.h "#include \"gthr-single.h\"\n")
# The C++ library's headers take the single-threaded layer the same way; its runtime reads the
# unwinder's pointer encodings. Its public headers are the compiler's own.
set(supcxxConfigDir ${runtimeDir}/supcxx-config)
file(WRITE ${supcxxConfigDir}/bits/gthr-default.h "#include <bits/gthr-single.h>\n")
file(COPY ${gccTree}/libgcc/unwind-pe.h DESTINATION ${supcxxConfigDir})

set(supcxx ${gccTree}/libstdc++-v3/libsupc++)
set(unwindSources ${gccTree}/libgcc/unwind-dw2.c ${gccTree}/libgcc/unwind-dw2-fde.c)
set(supcxxSources ${supcxx}/eh_alloc.cc ${supcxx}/eh_terminate.cc ${supcxx}/eh_personality.cc
                  ${supcxx}/eh_catch.cc ${supcxx}/new_op.cc)
set(treeSource ${gccTree}/libstdc++-v3/src/c++98/tree.cc)
add_library(splash_player_runtime OBJECT ${unwindSources} ${supcxxSources} ${treeSource})
# Built as the compiler's own build builds them; their warnings are not this project's.
target_compile_options(splash_player_runtime PRIVATE ${SPLASH_PLAYER_OPTIONS} -O2 -w)
set_source_files_properties(${unwindSources} PROPERTIES
  COMPILE_DEFINITIONS "IN_GCC;CROSS_DIRECTORY_STRUCTURE;IN_LIBGCC2"
  COMPILE_OPTIONS "-fbuilding-libgcc;-fno-stack-protector;-fexceptions"
  INCLUDE_DIRECTORIES "${configDir};${gccTree}/libgcc;${gccTree}/gcc;${gccTree}/include")
set_source_files_properties(${supcxxSources} PROPERTIES
  INCLUDE_DIRECTORIES "${supcxxConfigDir}"
  COMPILE_OPTIONS "-fno-implicit-templates")
set_source_files_properties(${treeSource} PROPERTIES
  INCLUDE_DIRECTORIES "${supcxxConfigDir}"
  COMPILE_OPTIONS "-std=gnu++98;-fno-implicit-templates")

# The picture decoders the authoring core reads PNG, JPEG and GIF with: libjpeg-turbo, libpng with
# zlib, and giflib, each made for files from anywhere and fuzzed continuously where it is made.
# Defines `splash_picture_decoders`, which links them.
#
# The Linux tool links Debian's own static libraries (the -dev packages). The Windows programs
# and the page build the same releases from Debian's source packages, fetched into the build tree
# by cmake/fetch_debian_source.sh (never into the repository) and compiled here, decoder parts
# only, so that every front-end decodes with the same code. The fuzz build compiles them from the
# same sources too, so that the fuzzer sees their branches and the sanitizers check them.
include_guard(GLOBAL)

set(SPLASH_DEBIAN_SOURCES ${PROJECT_SOURCE_DIR}/build/debian-sources CACHE PATH
    "Where Debian's source packages of the picture decoders are unpacked, one folder a version")

add_library(splash_picture_decoders INTERFACE)

if(NOT (WIN32 OR EMSCRIPTEN OR SPLASH_FUZZ))
  # Static, so that the tool decodes with the release it was built and tested with.
  foreach(library jpeg png16 gif z)
    find_library(SPLASH_${library}_LIBRARY NAMES lib${library}.a)
    if(NOT SPLASH_${library}_LIBRARY)
      message(FATAL_ERROR "splashpack needs lib${library}.a: bash scripts/setup.sh installs "
                          "libjpeg62-turbo-dev, libpng-dev, libgif-dev and zlib1g-dev")
    endif()
  endforeach()
  # libpng inflates with zlib, so zlib comes after it.
  target_link_libraries(splash_picture_decoders INTERFACE
                        ${SPLASH_jpeg_LIBRARY} ${SPLASH_png16_LIBRARY} ${SPLASH_gif_LIBRARY}
                        ${SPLASH_z_LIBRARY} m)
  return()
endif()

# The folder of one source package, of the version of the installed binary package.
function(splash_debian_source binary variable)
  execute_process(
    COMMAND ${PROJECT_SOURCE_DIR}/cmake/fetch_debian_source.sh ${binary} ${SPLASH_DEBIAN_SOURCES}
    OUTPUT_VARIABLE folder OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE result)
  if(NOT result EQUAL 0 OR NOT EXISTS "${folder}")
    message(FATAL_ERROR "The source of ${binary}'s package cannot be had (see above)")
  endif()
  get_filename_component(name ${folder} NAME)
  message(STATUS "Picture decoder built from Debian's source: ${name}")
  set(${variable} ${folder} PARENT_SCOPE)
endfunction()

splash_debian_source(libjpeg62-turbo-dev jpegSource)
splash_debian_source(libpng-dev pngSource)
splash_debian_source(zlib1g-dev zlibSource)
splash_debian_source(libgif-dev gifSource)

set(generated ${CMAKE_BINARY_DIR}/picture-decoders)
file(MAKE_DIRECTORY ${generated})

# Someone else's code: its warnings are not this project's to fix.
set(libraryOptions -w)

# zlib: inflation only, which libpng and the page's code-page tables use.
add_library(splash_zlib STATIC
  ${zlibSource}/adler32.c ${zlibSource}/crc32.c ${zlibSource}/inffast.c
  ${zlibSource}/inflate.c ${zlibSource}/inftrees.c ${zlibSource}/uncompr.c
  ${zlibSource}/zutil.c)
target_include_directories(splash_zlib SYSTEM PUBLIC ${zlibSource})
target_compile_options(splash_zlib PRIVATE ${libraryOptions})
if(NOT WIN32)
  target_compile_definitions(splash_zlib PRIVATE HAVE_UNISTD_H)
endif()

# libjpeg-turbo: the decompressor in plain C (no SIMD on these targets), configured as Debian
# configures it (the libjpeg 6b interface, arithmetic decoding, memory sources), since the
# interface version decides details of scaled decoding.
math(EXPR sizeOfSizeT "${CMAKE_SIZEOF_VOID_P}")
file(WRITE ${generated}/jconfig.h.new
  "#define JPEG_LIB_VERSION 62\n"
  "#define LIBJPEG_TURBO_VERSION 2.1.5\n"
  "#define LIBJPEG_TURBO_VERSION_NUMBER 2001005\n"
  "#define D_ARITH_CODING_SUPPORTED 1\n"
  "#define MEM_SRCDST_SUPPORTED 1\n"
  "#define BITS_IN_JSAMPLE 8\n")
file(WRITE ${generated}/jconfigint.h.new
  "#define BUILD \"splash\"\n"
  "#undef inline\n"
  "#define INLINE __inline__ __attribute__((always_inline))\n"
  "#define THREAD_LOCAL\n"
  "#define PACKAGE_NAME \"libjpeg-turbo\"\n"
  "#define VERSION \"2.1.5\"\n"
  "#define SIZEOF_SIZE_T ${sizeOfSizeT}\n"
  "#define HAVE_BUILTIN_CTZL\n"
  "#define FALLTHROUGH __attribute__((fallthrough));\n")
# The version is checked against the package's own: another release needs a look at the above.
file(STRINGS ${jpegSource}/CMakeLists.txt jpegVersion REGEX "^set\\(VERSION ")
if(NOT jpegVersion MATCHES "2\\.1\\.5")
  message(FATAL_ERROR "libjpeg-turbo's configuration here is for 2.1.5, not ${jpegVersion}")
endif()
set(COPYRIGHT_YEAR "1991-2023")
configure_file(${jpegSource}/jversion.h.in ${generated}/jversion.h @ONLY)
foreach(header jconfig.h jconfigint.h)
  file(COPY_FILE ${generated}/${header}.new ${generated}/${header} ONLY_IF_DIFFERENT)
endforeach()
set(jpegFiles
  jaricom.c jcomapi.c jdapimin.c jdapistd.c jdarith.c jdatasrc.c jdcoefct.c jdcolor.c
  jddctmgr.c jdhuff.c jdicc.c jdinput.c jdmainct.c jdmarker.c jdmaster.c jdmerge.c jdphuff.c
  jdpostct.c jdsample.c jdtrans.c jerror.c jidctflt.c jidctfst.c jidctint.c jidctred.c
  jmemmgr.c jmemnobs.c jquant1.c jquant2.c jsimd_none.c jutils.c)
list(TRANSFORM jpegFiles PREPEND ${jpegSource}/)
add_library(splash_jpeg STATIC ${jpegFiles})
target_include_directories(splash_jpeg SYSTEM PUBLIC ${generated} ${jpegSource})
target_compile_options(splash_jpeg PRIVATE ${libraryOptions})

# libpng: the reader, with the package's own prebuilt configuration less the writer.
file(STRINGS ${pngSource}/scripts/pnglibconf.h.prebuilt pngConfiguration)
set(pngHeader "")
foreach(line IN LISTS pngConfiguration)
  if(NOT line MATCHES "PNG_(SIMPLIFIED_)?WRITE_|PNG_SAVE_INT_32_")
    string(APPEND pngHeader "${line}\n")
  endif()
endforeach()
file(WRITE ${generated}/pnglibconf.h.new "${pngHeader}")
file(COPY_FILE ${generated}/pnglibconf.h.new ${generated}/pnglibconf.h ONLY_IF_DIFFERENT)
set(pngFiles png.c pngerror.c pngget.c pngmem.c pngread.c pngrio.c pngrtran.c pngrutil.c
             pngset.c pngtrans.c)
list(TRANSFORM pngFiles PREPEND ${pngSource}/)
add_library(splash_png STATIC ${pngFiles})
target_include_directories(splash_png SYSTEM PUBLIC ${generated} ${pngSource})
target_compile_options(splash_png PRIVATE ${libraryOptions})
target_link_libraries(splash_png PUBLIC splash_zlib)

# giflib: the decoder.
set(gifFiles dgif_lib.c gif_err.c gifalloc.c openbsd-reallocarray.c)
list(TRANSFORM gifFiles PREPEND ${gifSource}/)
add_library(splash_gif STATIC ${gifFiles})
target_include_directories(splash_gif SYSTEM PUBLIC ${gifSource})
target_compile_options(splash_gif PRIVATE ${libraryOptions})

target_link_libraries(splash_picture_decoders INTERFACE splash_jpeg splash_png splash_gif
                                                        splash_zlib)

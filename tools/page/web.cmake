# The page's module and its files, from the emscripten build.
find_package(Python3 REQUIRED COMPONENTS Interpreter)
set(pageFolder ${CMAKE_BINARY_DIR}/page)

splash_player_source(playerSource)
add_executable(splashpack_page page_front_end.cpp ${playerSource})
target_include_directories(splashpack_page SYSTEM PRIVATE ${SPLASH_JSON_INCLUDE_DIR})
target_compile_definitions(splashpack_page PRIVATE SPLASHPACK_VERSION="${PROJECT_VERSION}")
target_link_libraries(splashpack_page PRIVATE splash_authoring
                                              splash_table_code_page splash_carried_font)
set(pageExports _page_set_input _page_build _page_inspect _page_preview _page_preview_png
                _page_version _malloc _free)
list(JOIN pageExports "," pageExports)
# One module the page's script creates: no file system, no node, memory that grows with the
# pictures the author drops (up to what a 32-bit module can address).
target_link_options(splashpack_page PRIVATE
  -sMODULARIZE=1 -sEXPORT_NAME=createSplashpack -sENVIRONMENT=web -sFILESYSTEM=0
  -sALLOW_MEMORY_GROWTH=1 -sMAXIMUM_MEMORY=2GB -sINITIAL_MEMORY=32MB
  -sEXPORTED_FUNCTIONS=${pageExports} -sEXPORTED_RUNTIME_METHODS=UTF8ToString
  -sDYNAMIC_EXECUTION=0 -sTEXTDECODER=2)
set_target_properties(splashpack_page PROPERTIES OUTPUT_NAME splashpack SUFFIX .js
                                                 RUNTIME_OUTPUT_DIRECTORY ${pageFolder})

# The page's own files, copied beside the module whenever they change.
set(pageCopies)
foreach(file index.html page.js page.css)
  add_custom_command(
    OUTPUT ${pageFolder}/${file}
    COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_CURRENT_SOURCE_DIR}/web/${file} ${pageFolder}/${file}
    DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/web/${file}
    VERBATIM)
  list(APPEND pageCopies ${pageFolder}/${file})
endforeach()
# The form's options, from the table of options, which page.js builds the form from.
splash_host_program(optionFiles write_option_files)
add_custom_command(
  OUTPUT ${pageFolder}/options.json
  COMMAND ${CMAKE_COMMAND} -E make_directory ${pageFolder}
  COMMAND ${optionFiles} page ${pageFolder}/options.json
  DEPENDS ${optionFiles_DEPENDS}
  COMMENT "Writing the page's form from the table of options"
  VERBATIM)
add_custom_target(splashpack_page_files ALL DEPENDS ${pageCopies} ${pageFolder}/options.json)

# The notices of what the page carries: the command line's, and the font's.
add_custom_command(
  OUTPUT ${pageFolder}/NOTICES.txt
  COMMAND ${Python3_EXECUTABLE} ${PROJECT_SOURCE_DIR}/cmake/package_texts.py notices
          ${CMAKE_CURRENT_SOURCE_DIR}/notices.txt /usr/share/doc/mingw-w64-common/copyright
          /usr/share/doc/fonts-dejavu-core/copyright
          ${pageFolder}/NOTICES.txt
  DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/notices.txt
          ${PROJECT_SOURCE_DIR}/cmake/package_texts.py
  COMMENT "Writing the notices of what the page carries"
  VERBATIM)
add_custom_target(splashpack_page_notices ALL DEPENDS ${pageFolder}/NOTICES.txt)

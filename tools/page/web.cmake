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
# One module, an ES module that the page's worker imports: no file system, no node, memory that
# grows with the pictures the author drops (up to what a 32-bit module can address).
target_link_options(splashpack_page PRIVATE
  -sMODULARIZE=1 -sEXPORT_ES6=1 -sEXPORT_NAME=createSplashpack -sENVIRONMENT=web,worker
  -sFILESYSTEM=0
  -sALLOW_MEMORY_GROWTH=1 -sMAXIMUM_MEMORY=2GB -sINITIAL_MEMORY=32MB
  -sEXPORTED_FUNCTIONS=${pageExports} -sEXPORTED_RUNTIME_METHODS=UTF8ToString
  -sDYNAMIC_EXECUTION=0 -sTEXTDECODER=2)
set_target_properties(splashpack_page PROPERTIES OUTPUT_NAME splashpack SUFFIX .js
                                                 RUNTIME_OUTPUT_DIRECTORY ${pageFolder})

# The page's own files, copied beside the module whenever they change.
set(pageCopies)
set(pageSources index.html page.css page.js form.js results.js builds.js worker.js bridge.js
                manifest.webmanifest)
foreach(file ${pageSources})
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
# The icons of the installed page, drawn here.
set(pageIcons ${pageFolder}/icon-192.png ${pageFolder}/icon-512.png)
add_custom_command(
  OUTPUT ${pageIcons}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${pageFolder}
  COMMAND ${Python3_EXECUTABLE} ${CMAKE_CURRENT_SOURCE_DIR}/draw_icons.py ${pageFolder} 192 512
  DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/draw_icons.py
  COMMENT "Drawing the page's icons"
  VERBATIM)
add_custom_target(splashpack_page_files ALL
                  DEPENDS ${pageCopies} ${pageFolder}/options.json ${pageIcons})

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

# The service worker that keeps the page's files for use without the network, named by a hash
# of them all: any change to the page is a new version, which the browser takes when it is served.
set(keptFiles ${pageSources} options.json icon-192.png icon-512.png NOTICES.txt)
list(TRANSFORM keptFiles PREPEND ${pageFolder}/ OUTPUT_VARIABLE keptPaths)
# The module's .wasm is written with its loader, the target's file.
list(APPEND keptFiles splashpack.js splashpack.wasm)
add_custom_command(
  OUTPUT ${pageFolder}/service-worker.js
  COMMAND ${Python3_EXECUTABLE} ${CMAKE_CURRENT_SOURCE_DIR}/write_service_worker.py
          ${CMAKE_CURRENT_SOURCE_DIR}/web/service-worker.js ${pageFolder}/service-worker.js
          ${PROJECT_VERSION} ${pageFolder} ${keptFiles}
  DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/write_service_worker.py
          ${CMAKE_CURRENT_SOURCE_DIR}/web/service-worker.js ${keptPaths}
          $<TARGET_FILE:splashpack_page>
  COMMENT "Writing the page's service worker"
  VERBATIM)
add_custom_target(splashpack_page_offline ALL DEPENDS ${pageFolder}/service-worker.js)

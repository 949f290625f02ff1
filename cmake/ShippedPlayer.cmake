# The player that a front-end copies into every splash: a built player named by
# SPLASH_PLAYER_EXE; else this build's own player target (the Windows builds); else the shipped
# 32-bit player, built through the cross toolchain in the `windows` preset's folder, so that the
# command line and the page carry the one player that is tested and shipped. Without any of them
# the front-end carries none, and every build needs --player.

set(SPLASH_PLAYER_EXE "" CACHE FILEPATH
    "Player executable built into the front-ends (empty: this build's splash_player, else the windows preset's)")

# Sets `outVar` to the source that defines embeddedPlayer() for a target in the calling folder.
function(splash_player_source outVar)
  set(player "${SPLASH_PLAYER_EXE}")
  set(playerDepends "${SPLASH_PLAYER_EXE}")
  if(player STREQUAL "" AND TARGET splash_player)
    set(player "$<TARGET_FILE:splash_player>")
    set(playerDepends splash_player)
  elseif(player STREQUAL "")
    find_program(SPLASH_I686_CXX i686-w64-mingw32-g++-win32)
    if(SPLASH_I686_CXX)
      set(shippedFolder "${PROJECT_SOURCE_DIR}/build/windows")
      set(player "${shippedFolder}/app/splash_player.exe")
      if(NOT TARGET shipped_player)
        # Runs on every build; the player's own build decides whether anything changed, and the
        # front-end embeds it again only when the player did.
        add_custom_target(shipped_player
          COMMAND ${CMAKE_COMMAND} -DSOURCE=${PROJECT_SOURCE_DIR} -DBINARY=${shippedFolder}
                  -DWERROR=${SPLASH_WERROR} -P ${PROJECT_SOURCE_DIR}/cmake/build_shipped_player.cmake
          BYPRODUCTS ${player}
          COMMENT "Building the shipped 32-bit player in build/windows"
          USES_TERMINAL
          VERBATIM)
      endif()
      set(playerDepends shipped_player ${player})
    else()
      message(WARNING "No i686 mingw-w64 compiler (g++-mingw-w64-i686): the front-ends are "
                      "built without a player, and every build needs --player.")
    endif()
  endif()

  if(player STREQUAL "")
    set(${outVar} ${PROJECT_SOURCE_DIR}/tools/authoring/splash/no_embedded_player.cpp PARENT_SCOPE)
    return()
  endif()
  set(source ${CMAKE_CURRENT_BINARY_DIR}/embedded_player.cpp)
  add_custom_command(
    OUTPUT ${source}
    COMMAND ${CMAKE_COMMAND} -DINPUT=${player} -DOUTPUT=${source}
            -P ${PROJECT_SOURCE_DIR}/cmake/embed_file.cmake
    DEPENDS ${playerDepends} ${PROJECT_SOURCE_DIR}/cmake/embed_file.cmake
    COMMENT "Embedding the player"
    VERBATIM)
  set(${outVar} ${source} PARENT_SCOPE)
endfunction()

# Writes the bytes of a file as a C++ array, run at build time:
#   cmake -DINPUT=<file> -DOUTPUT=<source> -P embed_file.cmake
# The source defines embeddedPlayer() (embedded_player.h) over those bytes.
if(NOT EXISTS "${INPUT}")
  message(FATAL_ERROR "The player to embed, ${INPUT}, does not exist.")
endif()
file(READ "${INPUT}" hex HEX)
string(LENGTH "${hex}" hexLength)
if(hexLength EQUAL 0)
  message(FATAL_ERROR "The player to embed, ${INPUT}, is empty.")
endif()
math(EXPR byteCount "${hexLength} / 2")
# Sixteen bytes a line keep the generated source readable in a diff tool.
string(REGEX REPLACE "([0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f])"
       "\\1\n" hex "${hex}")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," hex "${hex}")
file(WRITE "${OUTPUT}.part"
"// Generated at build time from ${INPUT}; not to be edited.
#include \"embedded_player.h\"

namespace {
const unsigned char playerBytes[${byteCount}] = {
${hex}};
} // namespace

PlayerImage embeddedPlayer() { return PlayerImage{playerBytes, sizeof playerBytes}; }
")
file(RENAME "${OUTPUT}.part" "${OUTPUT}")

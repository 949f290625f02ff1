# Writes the bytes of a file as a C++ array, run at build time:
#   cmake -DINPUT=<file> -DOUTPUT=<source> -P embed_file.cmake
# The source defines embeddedPlayer() (embedded_player.h) over those bytes. Another file is
# embedded by naming what it is, the header, the array, the function and what it returns:
#   -DWHAT=font -DHEADER=carried_font.h -DARRAY=fontBytes
#   "-DFUNCTION=PreviewFont carriedPreviewFont()" "-DRESULT=PreviewFont{...}"
if(NOT DEFINED WHAT)
  set(WHAT player)
  set(HEADER embedded_player.h)
  set(ARRAY playerBytes)
  set(FUNCTION "PlayerImage embeddedPlayer()")
  set(RESULT "PlayerImage{playerBytes, sizeof playerBytes}")
endif()
if(NOT EXISTS "${INPUT}")
  message(FATAL_ERROR "The ${WHAT} to embed, ${INPUT}, does not exist.")
endif()
file(READ "${INPUT}" hex HEX)
string(LENGTH "${hex}" hexLength)
if(hexLength EQUAL 0)
  message(FATAL_ERROR "The ${WHAT} to embed, ${INPUT}, is empty.")
endif()
math(EXPR byteCount "${hexLength} / 2")
# Sixteen bytes a line keep the generated source readable in a diff tool.
string(REGEX REPLACE "([0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f])"
       "\\1\n" hex "${hex}")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," hex "${hex}")
file(WRITE "${OUTPUT}.part"
"// Generated at build time from ${INPUT}; not to be edited.
#include \"${HEADER}\"

namespace {
const unsigned char ${ARRAY}[${byteCount}] = {
${hex}};
} // namespace

${FUNCTION} { return ${RESULT}; }
")
file(RENAME "${OUTPUT}.part" "${OUTPUT}")

cmake_minimum_required(VERSION 3.25)
# Checks the built player's executable image: a 32-bit GUI program for Windows 4.0 and later
# that imports only the system's known DLLs (every other library it loads itself, from the
# system directory).
# cmake -DOBJDUMP=... -DPLAYER=... [-DBUDGET=bytes] -P CheckPlayerImage.cmake
execute_process(COMMAND ${OBJDUMP} -p ${PLAYER} OUTPUT_VARIABLE dump RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "cannot read ${PLAYER}")
endif()
foreach(expected "file format pei-i386" "Magic[ \t]+010b" "MajorOSystemVersion[ \t]+4"
                 "MinorOSystemVersion[ \t]+0" "MajorSubsystemVersion[ \t]+4"
                 "MinorSubsystemVersion[ \t]+0" "Subsystem[ \t]+00000002")
  if(NOT dump MATCHES "${expected}")
    message(FATAL_ERROR "player image lacks '${expected}'")
  endif()
endforeach()
string(REGEX MATCHALL "DLL Name: [^\n]+" imports "${dump}")
set(allowed kernel32.dll user32.dll gdi32.dll shell32.dll msvcrt.dll advapi32.dll)
foreach(import ${imports})
  string(REPLACE "DLL Name: " "" dll "${import}")
  string(TOLOWER "${dll}" dll)
  string(STRIP "${dll}" dll)
  if(NOT dll IN_LIST allowed)
    message(FATAL_ERROR "player imports ${dll}, which is not one of the system's known DLLs")
  endif()
  message(STATUS "imports ${dll}")
endforeach()

# The size budget that the README states, when one is given.
if(DEFINED BUDGET)
  file(SIZE ${PLAYER} size)
  if(size GREATER BUDGET)
    message(FATAL_ERROR "the player is ${size} bytes, past its budget of ${BUDGET} bytes")
  endif()
  message(STATUS "player size ${size} bytes, budget ${BUDGET} bytes")
endif()

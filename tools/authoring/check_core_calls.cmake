# Fails when an object of the authoring core calls what only a front-end may: files, the console,
# signals, ending the process. Run after each build of the core:
#   cmake -DNM=<nm> -DLIBRARY=<libsplash_authoring.a> -P check_core_calls.cmake
execute_process(COMMAND ${NM} -C -u ${LIBRARY} OUTPUT_VARIABLE undefined RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "${NM} cannot list the calls of ${LIBRARY}")
endif()
# C and POSIX names, with the underscore that i686 Windows puts before them; Windows' own through
# their import names.
set(cNames "fopen|fopen64|freopen|fdopen|fclose|fread|fwrite|fseek|fseeko|fseeko64|ftell|ftello|fflush|fgetc|fgets|fputc|fputs|fprintf|vfprintf|printf|puts|putchar|perror|tmpfile|remove|rename|open|open64|openat|creat|read|write|close|lseek|unlink|stat|stat64|lstat|fstat|mkdir|opendir|signal|sigaction|raise|kill|exit|_exit|_Exit|quick_exit")
set(windowsNames "CreateFile[AW]|ReadFile|WriteFile|DeleteFile[AW]|MoveFile[AW]|MoveFileEx[AW]|GetStdHandle|WriteConsole[AW]|SetConsoleCtrlHandler|ExitProcess|TerminateProcess")
string(REPLACE "\n" ";" lines "${undefined}")
set(found "")
foreach(line IN LISTS lines)
  string(STRIP "${line}" symbol)
  string(REGEX REPLACE "^U +" "" symbol "${symbol}")
  if(symbol MATCHES "^_?(${cNames})$"
     OR symbol MATCHES "^(__imp_)?_?(${windowsNames})(@[0-9]+)?$"
     OR symbol MATCHES "std::(__fs::|__cxx11::)?(filesystem|basic_[io]?fstream|basic_filebuf|cout|cerr|clog|cin)")
    list(APPEND found "${symbol}")
  endif()
endforeach()
if(found)
  list(REMOVE_DUPLICATES found)
  list(JOIN found "\n  " names)
  message(FATAL_ERROR "The authoring core calls what only a front-end may:\n  ${names}")
endif()

// The code-page converter of front-ends that run on a system with one: glibc's iconv natively
// (system_code_page_posix.cpp), Windows' own tables in Windows programs
// (system_code_page_win32.cpp).
#pragma once

#include "code_page.h"

const CodePageConverter& systemCodePage();

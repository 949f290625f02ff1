// The functions the page's script calls. Each answer is a JSON text that stays valid until the
// next call; the bytes it points to (an address and a size in the module's memory) stay valid
// until the call that replaces them.
#pragma once

#include <cstddef>

// The files the author gives the page, each held until another replaces it.
enum PageInput { pageInputPicture, pageInputSound, pageInputSplash, pageInputCount };

// The splash a preview shows: the one the page built, or the one the author opened.
enum PageSplash { pageSplashBuilt, pageSplashOpened };

extern "C" {

// Holds a copy of `size` bytes as the file `name` (the name the command line gives it).
void page_set_input(int slot, const char* name, const unsigned char* bytes, std::size_t size);

// `arguments`: a JSON array of the arguments after "splashpack", as the equivalent command line
// would pass them.
const char* page_build(const char* arguments);
const char* page_inspect(const char* arguments);
const char* page_preview(int which, const char* arguments);
// The last preview as a PNG file, as `splashpack preview` writes it.
const char* page_preview_png();
// What `splashpack --version` prints: the tool's version and the player it carries.
const char* page_version();
}

// The process's one settings record. It lives in a file of its own so that tests can build
// records of their own without it.
#include "splash_settings.h"

SplashSettings splashSettings;

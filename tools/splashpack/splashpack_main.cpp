// Entry point of splashpack: everything else lives in the library so the tests can call it.
#include "splashpack.h"

#include <iostream>

int main(int argc, char** argv) {
    std::vector<std::string> arguments(argv + (argc > 0 ? 1 : 0), argv + argc);
    return runSplashpack(arguments, std::cout, std::cerr, embeddedPlayer());
}

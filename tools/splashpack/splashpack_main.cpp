// Entry point of splashpack: everything else lives in the library so the tests can call it.
#include "splashpack.h"
#include "standard_output.h"

int main(int argc, char** argv) {
    std::vector<std::string> arguments = commandLineArguments(argc, argv);
    int code = runSplashpack(arguments, resultStream(), messageStream(), embeddedPlayer());
    resultStream().flush();
    messageStream().flush();
    return code;
}

// Entry point of splashpack: everything else lives in the library so the tests can call it.
#include "option_help.h"
#include "splashpack.h"
#include "standard_output.h"

int main(int argc, char** argv) {
    std::vector<std::string> arguments = commandLineArguments(argc, argv);
    // Started without arguments in a console of its own (a double-click), the usage stays on
    // the screen until a key is pressed, instead of a window that flashes and closes.
    if (arguments.empty() && consoleIsOwn()) {
        resultStream() << helpText(CommandKind::help)
                       << "\nsplashpack runs in a command prompt: open one in this folder and "
                          "type a command,\nsuch as splashpack build --help.\n\nPress any key to "
                          "close this window.\n";
        resultStream().flush();
        waitForKey();
        return 0;
    }
    int code = runSplashpack(arguments, resultStream(), messageStream(), embeddedPlayer());
    resultStream().flush();
    messageStream().flush();
    return code;
}

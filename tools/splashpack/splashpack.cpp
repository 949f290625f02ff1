// Dispatch of the three commands, and the one place where failures become exit codes.
#include "splashpack.h"

#include "build_command.h"
#include "command_line.h"
#include "splash_report.h"
#include "tool_error.h"

#include <new>

namespace {

int build(const BuildOptions& options, std::ostream& out, std::ostream& err,
          const PlayerImage& embedded) {
    BuildOutcome outcome = runBuild(options, embedded);
    if (!options.quiet) {
        for (const std::string& note : outcome.notes)
            err << "splashpack: note: " << note << "\n";
        for (const std::string& warning : outcome.warnings)
            err << "splashpack: warning: " << warning << "\n";
    }
    for (const std::string& line : outcome.written)
        out << line << "\n";
    return exitSuccess;
}

int inspect(const InspectOptions& options, std::ostream& out) {
    SplashReport report = readSplash(options.file, options.codePage);
    out << (options.json ? reportJson(report) : reportText(report));
    return exitSuccess;
}

int extract(const ExtractOptions& options, std::ostream& out) {
    SplashReport report = readSplash(options.file);
    std::vector<std::string> lines = extractSplash(report, options);
    if (!options.quiet)
        for (const std::string& line : lines)
            out << line << "\n";
    return exitSuccess;
}

} // namespace

int runSplashpack(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err,
                  const PlayerImage& embedded) {
    try {
        CommandLine line = parseCommandLine(arguments);
        switch (line.kind) {
        case CommandKind::help:
            out << helpText(line.helpTopic);
            return exitSuccess;
        case CommandKind::version:
            out << "splashpack " << SPLASHPACK_VERSION
                << (embedded.size ? "" : " (no player built in)") << "\n";
            return exitSuccess;
        case CommandKind::build:
            return build(line.build, out, err, embedded);
        case CommandKind::inspect:
            return inspect(line.inspect, out);
        case CommandKind::extract:
            return extract(line.extract, out);
        }
    } catch (const UsageError& error) {
        err << "splashpack: " << error.what() << "\nTry 'splashpack --help'.\n";
        return exitUsage;
    } catch (const InputError& error) {
        err << "splashpack: " << error.what() << "\n";
        return exitBadInput;
    } catch (const std::string& message) {
        err << "splashpack: " << message << "\n";
        return exitBadInput;
    } catch (const std::bad_alloc&) {
        err << "splashpack: out of memory\n";
        return exitBadInput;
    }
    return exitUsage;
}

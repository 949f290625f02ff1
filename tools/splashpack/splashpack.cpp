// Dispatch of the commands; a failure is printed as the core reports it, with its exit code.
#include "splashpack.h"

#include "build_command.h"
#include "failure_report.h"
#include "option_grammar.h"
#include "option_help.h"
#include "option_table.h"
#include "player_bytes.h"
#include "preview_command.h"
#include "splash_build.h"
#include "splash_file.h"
#include "tool_error.h"

namespace {

int build(const BuildOptions& options, std::ostream& out, std::ostream& err,
          const PlayerImage& embedded) {
    BuildOutcome outcome = runBuild(options, embedded);
    if (!options.quiet) {
        for (const std::string& note : outcome.notes)
            err << "splashpack: note: " << note << "\n";
        for (const Warning& warning : outcome.warnings)
            err << "splashpack: warning: " << warning.text << "\n";
    }
    if (!options.quiet) {
        for (const std::string& line : outcome.written)
            out << line << "\n";
        out << outcome.startTimes << "\n";
    }
    return exitSuccess;
}

int inspect(const InspectOptions& options, std::ostream& out, const PlayerImage& embedded) {
    SplashReport report = readSplash(options.file, options.codePage, embedded);
    if (!options.quiet)
        out << (options.json ? reportJson(report) : reportText(report));
    return exitSuccess;
}

// Warns of a file named otherwise than what is written into it, which a file manager then opens
// with the wrong program.
void warnOfExtension(const std::string& path, const char* extension, const char* what,
                     std::ostream& err) {
    std::string warning = path.empty() ? "" : extensionWarning(path, extension, what);
    if (!warning.empty())
        err << "splashpack: warning: " << warning << "\n";
}

int extract(const ExtractOptions& options, std::ostream& out, std::ostream& err) {
    SplashReport report = readSplash(options.file);
    std::vector<std::string> lines = extractSplash(report, options);
    if (!options.quiet) {
        warnOfExtension(options.picture, ".bmp", "a BMP picture", err);
        warnOfExtension(options.sound, ".wav", "a WAV sound", err);
        for (const std::string& line : lines)
            out << line << "\n";
    }
    return exitSuccess;
}

int preview(const PreviewOptions& options, std::ostream& out, std::ostream& err) {
    PreviewOutcome outcome = runPreview(options, out);
    if (!options.quiet) {
        if (options.output != "-")
            warnOfExtension(options.output, ".png", "a PNG picture", err);
        for (const std::string& warning : outcome.warnings)
            err << "splashpack: warning: " << warning << "\n";
        // The PNG may hold standard output; the timeline then goes beside it.
        std::ostream& lines = options.output == "-" ? err : out;
        for (const std::string& line : outcome.lines)
            lines << line << "\n";
    }
    return exitSuccess;
}

// `inspect --json` answers in JSON even when it fails, also when the failure is in the command
// line itself, so the arguments are looked at before they are parsed.
bool answersInJson(const std::vector<std::string>& arguments) {
    if (arguments.empty() || arguments[0] != "inspect")
        return false;
    for (const std::string& argument : arguments) {
        if (argument == "--")
            return false;
        if (argument == "--json" || argument == "-j")
            return true;
    }
    return false;
}

// The command whose help a usage error points to; empty for the overview.
std::string helpCommand(const std::vector<std::string>& arguments) {
    if (!arguments.empty())
        for (const CommandRow& command : commandTable())
            if (command.kind != CommandKind::help && arguments[0] == command.name)
                return command.name;
    return "";
}

} // namespace

std::string playerVersionLine(const PlayerImage& embedded) {
    if (embedded.size == 0)
        return "player: none built in; every build needs --player FILE\n";
    return "player: " + std::to_string(embedded.size) + " bytes, FNV-1a 64 " +
           hashText(fnv1a64(embedded.data, embedded.size)) + "\n";
}

int runSplashpack(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err,
                  const PlayerImage& embedded) {
    try {
        CommandLine line = parseCommandLine(arguments);
        switch (line.kind) {
        case CommandKind::help:
            out << helpText(line.helpTopic);
            return exitSuccess;
        case CommandKind::version:
            out << "splashpack " << SPLASHPACK_VERSION << "\n" << playerVersionLine(embedded);
            return exitSuccess;
        case CommandKind::build:
            return build(line.build, out, err, embedded);
        case CommandKind::inspect:
            return inspect(line.inspect, out, embedded);
        case CommandKind::extract:
            return extract(line.extract, out, err);
        case CommandKind::preview:
            return preview(line.preview, out, err);
        }
    } catch (...) {
        const FailureReport failure = reportOfFailure(helpCommand(arguments));
        if (answersInJson(arguments)) {
            out << errorJson(failure.message, failure.exitCode);
            return failure.exitCode;
        }
        err << "splashpack: " << failure.message << "\n";
        if (!failure.hint.empty())
            err << failure.hint << "\n";
        return failure.exitCode;
    }
    return exitUsage;
}

// The command line of splashpack: one table of options per command, and the value syntaxes.
#include "command_line.h"

#include "message_text.h"
#include "screen_values.h"
#include "tool_error.h"

#include <cctype>
#include <functional>
#include <set>

namespace {

// One option of one command: its names, whether a value follows, and what it sets.
struct OptionRule {
    const char* longName;
    char shortName;
    bool takesValue;
    std::function<void(CommandLine&, const std::string&)> apply;
};

using Rules = std::vector<OptionRule>;

const Rules& buildRules() {
    static const Rules rules = {
        {"picture", 'p', true, [](CommandLine& c, const std::string& v) { c.build.picture = v; }},
        {"output", 'o', true, [](CommandLine& c, const std::string& v) { c.build.output = v; }},
        {"sound", 's', true, [](CommandLine& c, const std::string& v) { c.build.sound = v; }},
        {"target", 't', true, [](CommandLine& c, const std::string& v) { c.build.target = v; }},
        {"display-time", 'd', true,
         [](CommandLine& c, const std::string& v) { c.build.displayTime = parseDuration(v); }},
        {"launch-delay", 'l', true,
         [](CommandLine& c, const std::string& v) { c.build.launchDelay = parseLaunchDelay(v); }},
        {"versions", 'w', true,
         [](CommandLine& c, const std::string& v) { c.build.versionList = parseVersionNames(v); }},
        {"min-resolution", 'r', true,
         [](CommandLine& c, const std::string& v) {
             c.build.resolution = parseMinimumResolution(v);
         }},
        {"min-colour-depth", 'c', true,
         [](CommandLine& c, const std::string& v) {
             c.build.colourDepth = parseMinimumColourDepth(v);
         }},
        {"message", 'm', true, [](CommandLine& c, const std::string& v) { c.build.message = v; }},
        {"code-page", 0, true,
         [](CommandLine& c, const std::string& v) { c.build.codePage = parseCodePage(v); }},
        {"image-option", 0, true,
         [](CommandLine& c, const std::string& v) { c.build.imageOption = parseNumber32(v); }},
        {"background", 0, true,
         [](CommandLine& c, const std::string& v) { c.build.background = parseColour(v); }},
        {"max-picture", 0, true,
         [](CommandLine& c, const std::string& v) {
             parseDimensions(v, c.build.maxWidth, c.build.maxHeight);
         }},
        {"fit", 0, true,
         [](CommandLine& c, const std::string& v) {
             parseDimensions(v, c.build.fitWidth, c.build.fitHeight);
         }},
        {"max-picture-bytes", 0, true,
         [](CommandLine& c, const std::string& v) { c.build.maxPictureBytes = parseByteSize(v); }},
        {"colours", 0, true,
         [](CommandLine& c, const std::string& v) { c.build.colours = parsePictureColours(v); }},
        {"no-dither", 0, false, [](CommandLine& c, const std::string&) { c.build.dither = false; }},
        {"sound-rate", 0, true,
         [](CommandLine& c, const std::string& v) {
             c.build.soundTarget.rate = parseSoundRate(v);
         }},
        {"sound-bits", 0, true,
         [](CommandLine& c, const std::string& v) {
             c.build.soundTarget.bits = parseSoundBits(v);
         }},
        {"mono", 0, false,
         [](CommandLine& c, const std::string&) { c.build.soundTarget.mono = true; }},
        {"max-decoded-pixels", 0, true,
         [](CommandLine& c, const std::string& v) { c.build.maxDecodedPixels = parseByteSize(v); }},
        {"player", 0, true, [](CommandLine& c, const std::string& v) { c.build.player = v; }},
        {"like", 0, true, [](CommandLine& c, const std::string& v) { c.build.like = v; }},
        {"autorun", 'a', false, [](CommandLine& c, const std::string&) { c.build.autorun = true; }},
        {"autorun-label", 0, true,
         [](CommandLine& c, const std::string& v) { c.build.autorunLabel = v; }},
        {"autorun-icon", 0, true,
         [](CommandLine& c, const std::string& v) { c.build.autorunIcon = v; }},
        {"force", 'f', false, [](CommandLine& c, const std::string&) { c.build.force = true; }},
        {"quiet", 'q', false, [](CommandLine& c, const std::string&) { c.build.quiet = true; }},
    };
    return rules;
}

const Rules& inspectRules() {
    static const Rules rules = {
        {"json", 'j', false, [](CommandLine& c, const std::string&) { c.inspect.json = true; }},
        {"quiet", 'q', false, [](CommandLine& c, const std::string&) { c.inspect.quiet = true; }},
        {"code-page", 0, true,
         [](CommandLine& c, const std::string& v) { c.inspect.codePage = parseCodePage(v); }},
    };
    return rules;
}

const Rules& extractRules() {
    static const Rules rules = {
        {"directory", 'C', true,
         [](CommandLine& c, const std::string& v) { c.extract.directory = v; }},
        {"picture", 'p', true, [](CommandLine& c, const std::string& v) { c.extract.picture = v; }},
        {"sound", 's', true, [](CommandLine& c, const std::string& v) { c.extract.sound = v; }},
        {"force", 'f', false, [](CommandLine& c, const std::string&) { c.extract.force = true; }},
        {"quiet", 'q', false, [](CommandLine& c, const std::string&) { c.extract.quiet = true; }},
    };
    return rules;
}

const Rules& previewRules() {
    static const Rules rules = {
        {"screen", 0, true,
         [](CommandLine& c, const std::string& v) {
             parseDimensions(v, c.preview.screenWidth, c.preview.screenHeight);
             if (c.preview.screenWidth > largestPreviewSide ||
                 c.preview.screenHeight > largestPreviewSide)
                 throw UsageError(inQuotes(v) + " is larger than " +
                                  std::to_string(largestPreviewSide) + " pixels a side");
         }},
        {"depth", 0, true,
         [](CommandLine& c, const std::string& v) {
             c.preview.colourBits = parseColourDepth(parseMinimumColourDepth(v).c_str());
         }},
        {"sixteen-bit-layout", 0, true,
         [](CommandLine& c, const std::string& v) {
             if (v != "565" && v != "555")
                 throw UsageError(inQuotes(v) + " is neither 565 nor 555");
             c.preview.sixteenBitLayout =
                 v == "565" ? SixteenBitLayout::red5green6blue5 : SixteenBitLayout::red5green5blue5;
             c.preview.layoutGiven = true;
         }},
        {"windows", 0, true,
         [](CommandLine& c, const std::string& v) {
             std::string codes = parseVersionNames(v);
             if (codes.find(' ') != std::string::npos)
                 throw UsageError(inQuotes(v) + " names more than one Windows version");
             c.preview.windows = osVersionForCode(std::stoi(codes));
         }},
        {"output", 'o', true, [](CommandLine& c, const std::string& v) { c.preview.output = v; }},
        {"force", 'f', false, [](CommandLine& c, const std::string&) { c.preview.force = true; }},
        {"quiet", 'q', false, [](CommandLine& c, const std::string&) { c.preview.quiet = true; }},
        {"code-page", 0, true,
         [](CommandLine& c, const std::string& v) { c.preview.codePage = parseCodePage(v); }},
    };
    return rules;
}

const char* commandName(CommandKind kind) {
    switch (kind) {
    case CommandKind::build:
        return "build";
    case CommandKind::inspect:
        return "inspect";
    case CommandKind::extract:
        return "extract";
    case CommandKind::preview:
        return "preview";
    default:
        return "";
    }
}

const OptionRule* findRule(const Rules& rules, const std::string& longName, char shortName) {
    for (const OptionRule& rule : rules)
        if ((!longName.empty() && longName == rule.longName) ||
            (shortName != 0 && shortName == rule.shortName))
            return &rule;
    return nullptr;
}

// Reads the options and operands that follow the command's name.
void parseCommandArguments(CommandLine& line, const Rules& rules,
                           const std::vector<std::string>& given,
                           std::vector<std::string>& operands) {
    // Short flags written together ("-fq") are taken apart into this copy as they are met.
    std::vector<std::string> arguments = given;
    std::set<std::string> seen;
    bool optionsEnded = false;
    for (std::size_t i = 1; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (!optionsEnded && argument == "/?") {
            line.helpTopic = line.kind;
            line.kind = CommandKind::help;
            return;
        }
        if (optionsEnded || argument.size() < 2 || argument[0] != '-') {
            operands.push_back(argument);
            continue;
        }
        if (argument == "--") {
            optionsEnded = true;
            continue;
        }
        if (argument == "--help" || argument == "-h" || argument == "-?") {
            line.helpTopic = line.kind;
            line.kind = CommandKind::help;
            return;
        }
        std::string written = argument;
        std::string value;
        bool valueAttached = false;
        const OptionRule* rule = nullptr;
        if (argument[1] == '-') {
            std::string name = argument.substr(2);
            std::size_t equals = name.find('=');
            if (equals != std::string::npos) {
                value = name.substr(equals + 1);
                name = name.substr(0, equals);
                valueAttached = true;
            }
            written = "--" + name;
            if (name == "min-color-depth")
                name = "min-colour-depth";
            if (name == "colors")
                name = "colours";
            rule = findRule(rules, name, 0);
        } else {
            if (argument.size() > 2) {
                value = argument.substr(2);
                valueAttached = true;
            }
            written = argument.substr(0, 2);
            rule = findRule(rules, "", argument[1]);
            if (rule != nullptr && !rule->takesValue && valueAttached) {
                arguments.insert(arguments.begin() + static_cast<std::ptrdiff_t>(i) + 1,
                                 "-" + value);
                valueAttached = false;
            }
        }
        if (rule == nullptr)
            throw UsageError(std::string("unknown option ") + written + " for " +
                             commandName(line.kind));
        std::string canonical = std::string("--") + rule->longName;
        if (rule->takesValue && !valueAttached) {
            if (i + 1 >= arguments.size())
                throw UsageError(canonical + " needs a value");
            value = arguments[++i];
        } else if (!rule->takesValue && valueAttached) {
            throw UsageError(canonical + " takes no value");
        }
        if (!seen.insert(rule->longName).second)
            throw UsageError(canonical + " is given more than once");
        try {
            rule->apply(line, value);
        } catch (const UsageError& error) {
            throw UsageError(canonical + ": " + error.what());
        }
    }
    line.build.given = seen;
}

const char* const overviewHelp =
    "Usage: splashpack COMMAND [OPTIONS]\n"
    "\n"
    "Writes, inspects and unpacks splash executables: a copy of the player that shows a\n"
    "picture, plays a sound and opens a file beside it.\n"
    "\n"
    "Commands:\n"
    "  build     write a new splash executable from a picture, a sound and settings\n"
    "  inspect   print the settings of a splash executable\n"
    "  extract   write the picture and sound of a splash executable out as files\n"
    "  preview   draw what a splash executable shows on a given screen, as a PNG\n"
    "  help      this text, or with a command's name that command's options\n"
    "\n"
    "Run 'splashpack COMMAND --help' for the options of a command; 'splashpack --version'\n"
    "names the tool and the player it carries (its size and FNV-1a 64 hash). Exit codes:\n"
    "0 success, 1 bad input (a picture, sound or file that cannot be used), 2 usage.\n";

const char* const buildHelp =
    "Usage: splashpack build --picture FILE --output FILE [OPTIONS]\n"
    "       splashpack build --like FILE --output FILE [OPTIONS]\n"
    "\n"
    "Writes a new splash executable. Options (defaults in brackets):\n"
    "  -p, --picture FILE          picture to show: BMP, PNG, JPEG or GIF. A BMP the player\n"
    "                              reads goes in as it is; any other picture is converted to\n"
    "                              a 24-bit BMP\n"
    "  -o, --output FILE           splash executable to write\n"
    "  -s, --sound FILE            WAV sound played while the picture shows [none]\n"
    "  -t, --target NAME           file to open, relative to the splash's own folder\n"
    "                              (e.g. setup\\install.exe) [none]\n"
    "  -d, --display-time TIME     how long the picture stays up [3s]\n"
    "  -l, --launch-delay TIME     from showing the picture to opening the target [1s]\n"
    "                              TIME is a number with ms or s: 1500ms, 2.5s, 0\n"
    "  -w, --versions LIST         Windows versions the splash runs on: any of 95, 98, me,\n"
    "                              nt4 (or nt), 2000, xp separated by commas, or all [all]\n"
    "  -r, --min-resolution WxH    smallest screen, e.g. 800x600 [none]\n"
    "  -c, --min-colour-depth BITS smallest colour depth in bits, e.g. 16 [none]\n"
    "                              (also --min-color-depth)\n"
    "  -m, --message TEXT          shown when the machine falls short [the player's own]\n"
    "      --code-page N           Windows code page the target and the message are stored\n"
    "                              in: 874, 932, 936, 949, 950 or 1250-1258 [1252;\n"
    "                              with --like, the one that splash records]\n"
    "      --image-option N        number handed to the picture; BMP pictures ignore it,\n"
    "                              and every picture splashpack stores is a BMP [0]\n"
    "      --background COLOUR     colour under transparent pixels when a picture is\n"
    "                              converted, #rrggbb [#ffffff]\n"
    "      --max-picture WxH       refuse pictures wider or higher than this, after --fit\n"
    "                              [32767x32767]\n"
    "      --fit WxH               shrink a picture larger than this screen, keeping its\n"
    "                              proportions, to the size the player would show it at\n"
    "                              [none]\n"
    "      --max-picture-bytes N   refuse pictures whose BMP is larger, after --fit; k and\n"
    "                              M suffixes count 1024 and 1048576 bytes [64M]\n"
    "      --max-decoded-pixels N  refuse pictures of more pixels than this before they are\n"
    "                              read, as --fit too takes them; k and M as above [128M]\n"
    "      --colours N             store the picture in 256 or 16 colours of its own, or in\n"
    "                              the 20 colours of a 256-colour screen (system); a third\n"
    "                              or a sixth of the bytes (also --colors) [all it has]\n"
    "      --no-dither             with --colours: nearest colours, no error diffusion, for\n"
    "                              flat artwork and logos\n"
    "      --sound-rate HZ         resample the sound to 22050 or 11025 Hz [its own]\n"
    "      --sound-bits N          store the sound in 8 or 16 bits; 16 also turns 24-bit,\n"
    "                              float and extensible WAVs into plain PCM [its own]\n"
    "      --mono                  mix the sound's channels down to one\n"
    "      --player FILE           player executable to copy [the one built into the tool]\n"
    "      --like FILE             start from the settings, picture and sound of the splash\n"
    "                              FILE; the options given replace them, and an empty\n"
    "                              --sound, --target or --message leaves that out\n"
    "  -a, --autorun               also write autorun.inf beside the output, to open it;\n"
    "                              it is written in --code-page, as Windows reads it\n"
    "      --autorun-label TEXT    drive label that autorun.inf gives the disc [none]\n"
    "      --autorun-icon FILE     .ico the disc shows, copied beside the output [the\n"
    "                              output's own icon]\n"
    "  -f, --force                 replace output files that exist\n"
    "  -q, --quiet                 print nothing but errors\n"
    "\n"
    "The output is written to a temporary file and renamed into place; the inputs are never\n"
    "changed.\n";

const char* const inspectHelp =
    "Usage: splashpack inspect FILE [--json] [--quiet] [--code-page N]\n"
    "\n"
    "Reads the splash executable FILE as the player does and prints its settings: picture\n"
    "and sound, target, times, requirements and message, and whether the player shows the\n"
    "picture.\n"
    "  -j, --json         print one JSON object instead of text; a failure too, as\n"
    "                     {\"error\": TEXT, \"exitCode\": N} on standard output\n"
    "  -q, --quiet        print nothing but errors: the exit code tells whether the\n"
    "                     player reads FILE\n"
    "      --code-page N  code page the texts were stored in [the one the splash\n"
    "                     records, else 1252]\n";

const char* const extractHelp =
    "Usage: splashpack extract FILE [OPTIONS]\n"
    "\n"
    "Writes the picture and the sound of the splash executable FILE out as files, named\n"
    "after FILE with .bmp and .wav.\n"
    "  -C, --directory DIR   folder to write them to, made if need be [.]\n"
    "  -p, --picture FILE    name of the picture file instead, in DIR\n"
    "  -s, --sound FILE      name of the sound file instead, in DIR\n"
    "  -f, --force           replace files that exist\n"
    "  -q, --quiet           print nothing but errors\n";

const char* const previewHelp =
    "Usage: splashpack preview FILE --screen WxH [OPTIONS] --output FILE\n"
    "\n"
    "Draws what the splash executable FILE shows on such a screen as a PNG: the picture\n"
    "fitted and centred as the player lays it out, or the requirements box where the\n"
    "machine falls short; the rest of the screen black. Prints when the target is opened,\n"
    "when the splash closes and how long the sound plays against that.\n"
    "  -o, --output FILE    PNG file to write; - writes it to standard output (not to a\n"
    "                       terminal) and the timeline to standard error\n"
    "      --screen WxH     size of the screen, e.g. 1024x768\n"
    "      --depth BITS     colour depth of the screen in bits [32]: 16 keeps 5 or 6 bits\n"
    "                       of each colour, 15 keeps 5; 8 shows the nearest of the 20\n"
    "                       static colours, 4 and 1 (a 16-colour VGA driver's count) the\n"
    "                       nearest of the 16 VGA colours, approximations of what\n"
    "                       Windows does\n"
    "      --sixteen-bit-layout 565|555\n"
    "                       bits of red, green and blue of a 16-bit screen [565]\n"
    "      --windows NAME   Windows version: 95, 98, me, nt4, 2000 or xp [xp]\n"
    "      --code-page N    code page the texts were stored in [the one the splash\n"
    "                       records, else 1252]\n"
    "  -f, --force          replace the output file if it exists\n"
    "  -q, --quiet          print nothing but errors\n";

} // namespace

PreviewScreen previewScreenOf(const PreviewOptions& options) {
    PreviewScreen screen;
    screen.width = options.screenWidth;
    screen.height = options.screenHeight;
    screen.colourBits = options.colourBits;
    screen.sixteenBitLayout = options.sixteenBitLayout;
    screen.version = options.windows;
    return screen;
}

std::string helpText(CommandKind topic) {
    switch (topic) {
    case CommandKind::build:
        return buildHelp;
    case CommandKind::inspect:
        return inspectHelp;
    case CommandKind::extract:
        return extractHelp;
    case CommandKind::preview:
        return previewHelp;
    default:
        return overviewHelp;
    }
}

CommandLine parseCommandLine(const std::vector<std::string>& arguments) {
    CommandLine line;
    if (arguments.empty())
        throw UsageError("no command given");
    const std::string& command = arguments[0];
    // "/?" and "-?" as Windows programs take them.
    if (command == "--help" || command == "-h" || command == "help" || command == "/?" ||
        command == "-?") {
        line.kind = CommandKind::help;
        if (command == "help" && arguments.size() > 1) {
            const std::string& topic = arguments[1];
            if (topic == "build")
                line.helpTopic = CommandKind::build;
            else if (topic == "inspect")
                line.helpTopic = CommandKind::inspect;
            else if (topic == "extract")
                line.helpTopic = CommandKind::extract;
            else if (topic == "preview")
                line.helpTopic = CommandKind::preview;
            else
                throw UsageError("no help for " + inQuotes(topic));
        }
        return line;
    }
    if (command == "--version") {
        line.kind = CommandKind::version;
        return line;
    }

    const Rules* rules = nullptr;
    if (command == "build") {
        line.kind = CommandKind::build;
        rules = &buildRules();
    } else if (command == "inspect") {
        line.kind = CommandKind::inspect;
        rules = &inspectRules();
    } else if (command == "extract") {
        line.kind = CommandKind::extract;
        rules = &extractRules();
    } else if (command == "preview") {
        line.kind = CommandKind::preview;
        rules = &previewRules();
    } else {
        throw UsageError("unknown command " + inQuotes(command));
    }

    std::vector<std::string> operands;
    parseCommandArguments(line, *rules, arguments, operands);
    if (line.kind == CommandKind::help)
        return line;

    if (line.kind == CommandKind::build) {
        if (!operands.empty())
            throw UsageError("build takes no operands; " + inQuotes(operands[0]) +
                             " is not an option");
        if (line.build.picture.empty() && line.build.like.empty())
            throw UsageError("build needs --picture FILE");
        if (line.build.output.empty())
            throw UsageError("build needs --output FILE");
        const std::string& target = line.build.target;
        if (!target.empty() &&
            (target[0] == '\\' || target[0] == '/' || (target.size() > 1 && target[1] == ':')))
            throw UsageError("--target: " + inQuotes(target) +
                             " is not relative; the player joins the target to its own folder");
        if (!line.build.autorunLabel.empty() && !line.build.autorun)
            throw UsageError("--autorun-label needs --autorun");
        if (!line.build.autorunIcon.empty() && !line.build.autorun)
            throw UsageError("--autorun-icon needs --autorun");
        return line;
    }
    if (operands.size() != 1)
        throw UsageError(
            std::string(commandName(line.kind)) +
            (operands.empty() ? " needs the FILE to read" : " reads one FILE; more were given"));
    if (line.kind == CommandKind::inspect)
        line.inspect.file = operands[0];
    else if (line.kind == CommandKind::extract)
        line.extract.file = operands[0];
    else
        line.preview.file = operands[0];
    if (line.kind == CommandKind::preview && line.preview.screenWidth == 0)
        throw UsageError("preview needs --screen WxH");
    if (line.kind == CommandKind::preview && line.preview.output.empty())
        throw UsageError("preview needs --output FILE");
    // A 15-bit screen is always 5-5-5.
    if (line.kind == CommandKind::preview && line.preview.layoutGiven &&
        line.preview.colourBits != 16)
        throw UsageError("--sixteen-bit-layout needs --depth 16");
    return line;
}

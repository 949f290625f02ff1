// The rows of splashpack's options, command by command, in the order the help lists them.
#include "option_table.h"

#include "code_page.h"
#include "message_text.h"
#include "screen_values.h"
#include "tool_error.h"

#include <algorithm>
#include <utility>

namespace {

using Line = CommandLine;
using Text = const std::string&;

// The rows below are made when the table is first asked for. They hold no value that needs
// destroying (no local settings, no braced lists), so that writing them costs plain calls: in
// the page's module every call in the reach of such a value carries code that unwinds it.

std::vector<OptionChoice> valuesOf(const std::vector<std::string>& values, const char* unit = "") {
    std::vector<OptionChoice> choices;
    for (const std::string& value : values)
        choices.push_back({value, *unit == '\0' ? value : value + " " + unit});
    return choices;
}

std::vector<OptionChoice> codePageChoices() {
    std::vector<OptionChoice> choices;
    for (const AnsiCodePage& page : ansiCodePages())
        choices.push_back(
            {std::to_string(page.number), std::to_string(page.number) + " " + page.script});
    return choices;
}

std::vector<OptionChoice> versionChoices() {
    std::vector<OptionChoice> choices;
    for (int code = 1; code <= 6; ++code)
        choices.push_back({toolVersionName(osVersionForCode(code)), windowsVersionLabel(code)});
    return choices;
}

// The preview's Windows: those the splash's list names, and any later one.
const char* const laterWindowsName = "later";
const OsVersion laterWindowsVersion{2, 6, 2};

std::vector<OptionChoice> previewVersionChoices() {
    std::vector<OptionChoice> choices = versionChoices();
    choices.push_back({laterWindowsName, "later than XP"});
    return choices;
}

// Colour depths of the screens of the time; any from 1 to 32 bits is taken.
std::vector<OptionChoice> depthChoices() {
    return valuesOf({"4", "8", "16", "24", "32"}, "bits");
}

// The screens of the time, for the preview.
std::vector<OptionChoice> screenChoices() {
    return valuesOf({"640x480", "800x600", "1024x768", "1152x864", "1280x1024", "1600x1200"});
}

std::vector<OptionChoice> colourChoices() {
    const std::vector<std::string>& values = pictureColourValues();
    return {{values[0], "256 of its own"},
            {values[1], "16 of its own"},
            {values[2], "the 20 system colours"}};
}

std::vector<OptionChoice> layoutChoices() {
    return {{"565", "5-6-5"}, {"555", "5-5-5"}};
}

const BuildSettings& buildDefaults() {
    static const BuildSettings defaults;
    return defaults;
}

const PreviewOptions& previewDefaults() {
    static const PreviewOptions defaults;
    return defaults;
}

// The rows of a table, written one after the other under the command and heading last named.
class Rows {
  public:
    Rows& command(CommandKind kind) {
        current = kind;
        return *this;
    }
    Rows& heading(const char* text) {
        category = text;
        return *this;
    }
    OptionRow& add(const char* name, char shortName = 0) {
        OptionRow row;
        row.command = current;
        row.name = name;
        row.shortName = shortName;
        row.category = category;
        rows.push_back(std::move(row));
        return rows.back();
    }
    std::vector<OptionRow> rows;

  private:
    CommandKind current = CommandKind::build;
    std::string category;
};

void addBuildRows(Rows& t) {
    const BuildSettings& defaults = buildDefaults();
    t.command(CommandKind::build).heading("Files");
    t.add("picture", 'p')
        .takes("FILE", ValueKind::inputFile)
        .says("Picture (PNG, JPEG, GIF or BMP)",
              "picture to show: BMP, PNG, JPEG or GIF. A BMP the player reads goes in as it is; "
              "any other picture is converted to a 24-bit BMP")
        .onPage()
        .reads([](Line& c, Text v) { c.build.picture = v; })
        .keptFromLike([](BuildOptions& o, const LikeSplash& like) {
            if (like.report.picture.empty())
                throw InputError(inQuotes(like.file) + " holds no picture; give --picture FILE");
            o.picture = like.file;
            o.pictureOfLike = true;
        });
    t.add("output", 'o')
        .takes("FILE", ValueKind::outputFile)
        .says("Splash file name", "splash executable to write")
        .forExample("splash.exe")
        .onPage()
        .reads([](Line& c, Text v) { c.build.output = v; });
    t.add("sound", 's')
        .takes("FILE", ValueKind::inputFile)
        .says("Sound (WAV), optional", "WAV sound played while the picture shows")
        .byDefault("none")
        .onPage()
        .reads([](Line& c, Text v) { c.build.sound = v; })
        .keptFromLike([](BuildOptions& o, const LikeSplash& like) {
            if (like.report.sound.empty())
                return;
            o.sound = like.file;
            o.soundOfLike = true;
        });
    t.add("like")
        .takes("FILE", ValueKind::inputFile)
        .says("Splash to start from",
              "start from the settings, picture and sound of the splash FILE; the options given "
              "replace them, and an empty --sound, --target or --message leaves that out")
        .explains("Its picture and sound go in byte for byte as stored, unless --fit reshapes the "
                  "picture. Its texts are read in the code page it records; those of a splash that "
                  "records none, in "
                  "--code-page.")
        .reads([](Line& c, Text v) { c.build.like = v; });

    t.add("player")
        .takes("FILE", ValueKind::inputFile)
        .says("Player to copy", "player executable to copy")
        .explains(
            "For authors who build the player themselves. It must be a bare player, not a "
            "splash: a PE program for the Windows GUI subsystem, for i386 (or AMD64), that ends "
            "in no splash trailer. A signed player is copied without its signature, with a "
            "warning.")
        .byDefault("the one built into the tool")
        .reads([](Line& c, Text v) { c.build.player = v; });
    t.heading("What it does");
    t.add("target", 't')
        .takes("NAME", ValueKind::text)
        .says("Target to open, beside the splash",
              "file to open, relative to the splash's own folder")
        .forExample("setup\\install.exe")
        .byDefault("none")
        .onPage()
        .reads([](Line& c, Text v) { c.build.target = v; })
        .keptFromLike(
            [](BuildOptions& o, const LikeSplash& like) { o.target = like.settings.target; });
    t.add("display-time", 'd')
        .takes("TIME", ValueKind::text)
        .says("Display time", "how long the picture stays up")
        .byDefault(durationText(defaults.displayTime))
        .onPage()
        .reads([](Line& c, Text v) { c.build.displayTime = parseDuration(v); })
        .keptFromLike([](BuildOptions& o, const LikeSplash& like) {
            o.displayTime = like.settings.displayTime;
        });
    t.add("launch-delay", 'l')
        .takes("TIME", ValueKind::text)
        .says("Launch delay",
              "from showing the picture to opening the target; TIME is a number with ms or s: "
              "1500ms, 2.5s, 0")
        .explains("At most " + std::to_string(largestLaunchDelay) +
                  " ms, since the player keeps the splash up at least 50 ms past it and counts "
                  "that sum in 32 bits.")
        .byDefault(durationText(defaults.launchDelay))
        .onPage()
        .reads([](Line& c, Text v) { c.build.launchDelay = parseLaunchDelay(v); })
        .keptFromLike([](BuildOptions& o, const LikeSplash& like) {
            o.launchDelay = like.settings.launchDelay;
        });

    t.heading("Requirements");
    t.add("versions", 'w')
        .takes("LIST", ValueKind::choices)
        .says("Windows versions",
              "Windows versions the splash runs on: any of {values} (nt for nt4), separated by "
              "commas, or all")
        .explains("The player's test is exact, so every later Windows refuses the splash.")
        .offers(versionChoices())
        .byDefault("all")
        .onPage()
        .reads([](Line& c, Text v) { c.build.versionList = parseVersionNames(v); })
        .keptFromLike([](BuildOptions& o, const LikeSplash& like) {
            o.versionList = like.settings.versionList;
        });
    t.add("min-resolution", 'r')
        .takes("WxH", ValueKind::text)
        .says("Smallest screen", "smallest screen")
        .forExample("800x600")
        .byDefault("none")
        .onPage()
        .reads([](Line& c, Text v) { c.build.resolution = parseMinimumResolution(v); })
        .keptFromLike([](BuildOptions& o, const LikeSplash& like) {
            o.resolution = like.settings.resolution;
        });
    t.add("min-colour-depth", 'c')
        .also("min-color-depth")
        .takes("BITS", ValueKind::choice)
        .says("Smallest colour depth", "smallest colour depth in bits")
        .offers(depthChoices())
        .forExample("16")
        .byDefault("none")
        .onPage()
        .reads([](Line& c, Text v) { c.build.colourDepth = parseMinimumColourDepth(v); })
        .keptFromLike([](BuildOptions& o, const LikeSplash& like) {
            o.colourDepth = like.settings.colourDepth;
        });
    t.add("message", 'm')
        .takes("TEXT", ValueKind::text)
        .says("Message when the machine falls short", "shown when the machine falls short")
        .byDefault("the player's own")
        .onPage()
        .reads([](Line& c, Text v) { c.build.message = v; })
        .keptFromLike(
            [](BuildOptions& o, const LikeSplash& like) { o.message = like.settings.message; });
    t.add("code-page")
        .takes("N", ValueKind::choice)
        .says("Code page of the target and the message",
              "Windows code page the target and the message are stored in: {values}; with "
              "--like, by default the one that splash records")
        .explains(
            "The player hands their bytes to Windows as they are, so it shows them as written "
            "only where the machine's ANSI code page is the same. A character the code page "
            "cannot hold exactly is refused. The splash records the code page for its readers.")
        .offers(codePageChoices())
        .byDefault(std::to_string(defaults.codePage))
        .onPage()
        .reads([](Line& c, Text v) { c.build.codePage = parseCodePage(v); })
        .keptFromLike(
            [](BuildOptions& o, const LikeSplash& like) { o.codePage = like.settings.codePage; });

    t.heading("Picture");
    t.add("fit")
        .takes("WxH", ValueKind::text)
        .says("Shrink to fit a screen",
              "shrink a picture larger than this screen, keeping its proportions, to the size the "
              "player would show it at")
        .explains(
            "On every screen at least this large the player then draws it unscaled. A picture "
            "that fits goes in as it would without --fit. Without it, build warns when the "
            "picture is larger than --min-resolution.")
        .forExample("1024x768")
        .byDefault("none")
        .onPage()
        .reads([](Line& c, Text v) { parseDimensions(v, c.build.fitWidth, c.build.fitHeight); });
    t.add("background")
        .takes("COLOUR", ValueKind::text)
        .says("Under transparent pixels",
              "colour under transparent pixels when a picture is converted, #rrggbb")
        .byDefault("#ffffff")
        .onPage()
        .reads([](Line& c, Text v) { c.build.background = parseColour(v); });
    t.add("colours")
        .also("colors")
        .takes("N", ValueKind::choice)
        .says("Colours",
              "store the picture in 256 or 16 colours of its own, or in the 20 colours of a "
              "256-colour screen (system); a third or a sixth of the bytes")
        .explains(
            "An 8-bit BMP of 256 colours chosen for it, a 4-bit BMP of 16, or an 8-bit BMP of "
            "the 20 colours that a 256-colour screen shows, with error diffusion unless "
            "--no-dither is given.")
        .offers(colourChoices())
        .byDefault("all it has")
        .onPage()
        .reads([](Line& c, Text v) { c.build.colours = parsePictureColours(v); });
    t.add("no-dither")
        .says("No dithering",
              "with --colours: nearest colours, no error diffusion, for flat artwork and logos")
        .onPage()
        .reads([](Line& c, Text) { c.build.dither = false; });
    t.add("max-picture")
        .takes("WxH", ValueKind::text)
        .says("Largest picture", "refuse pictures wider or higher than this, after --fit")
        .byDefault(std::to_string(defaults.maxWidth) + "x" + std::to_string(defaults.maxHeight))
        .reads([](Line& c, Text v) { parseDimensions(v, c.build.maxWidth, c.build.maxHeight); });
    t.add("max-picture-bytes")
        .takes("N", ValueKind::text)
        .says("Largest picture in bytes",
              "refuse pictures whose BMP is larger, after --fit; k and M suffixes count 1024 and "
              "1048576 bytes")
        .byDefault(byteSizeText(defaults.maxPictureBytes))
        .reads([](Line& c, Text v) { c.build.maxPictureBytes = parseByteSize(v); });
    t.add("max-decoded-pixels")
        .takes("N", ValueKind::text)
        .says("Most pixels read",
              "refuse pictures of more pixels than this before they are read, as --fit too "
              "takes them; k and M as above")
        .explains("Reading takes four bytes a pixel.")
        .byDefault(byteSizeText(defaults.maxDecodedPixels))
        .reads([](Line& c, Text v) { c.build.maxDecodedPixels = parseByteSize(v); });
    t.add("image-option")
        .takes("N", ValueKind::text)
        .says("Number handed to the picture",
              "number handed to the picture; BMP pictures ignore it, and every picture "
              "splashpack stores is a BMP")
        .explains("A value other than 0 is stored with a warning.")
        .byDefault(std::to_string(defaults.imageOption))
        .reads([](Line& c, Text v) { c.build.imageOption = parseNumber32(v); })
        .keptFromLike([](BuildOptions& o, const LikeSplash& like) {
            o.imageOption = like.settings.imageOption;
        });

    t.heading("Extended effects");
    t.add("wait-for-target")
        .says("Close when the target shows a window",
              "close once the target shows a window or ends, at the latest at --display-time")
        .explains(
            "Players of splashes without these settings, and splashes built without them, are "
            "unchanged. On Windows 95, 98, Me, 2000 and XP the player finds the target's window "
            "through its process; on NT 4, and for a document handed to a program already "
            "running, the splash closes when the target ends or at the display time.")
        .onPage()
        .reads([](Line& c, Text) { c.build.waitForTarget = true; })
        .keptFromLike([](BuildOptions& o, const LikeSplash& like) {
            o.waitForTarget = like.settings.waitForTarget;
        });
    t.add("cut-colour")
        .also("cut-color")
        .takes("COLOUR", ValueKind::text)
        .says("Cut out a colour",
              "cut the picture's pixels of this colour, #rrggbb, out of the window: clicks there "
              "reach what lies below")
        .explains("With --colours the colour stays exact, never dithered into or out of.")
        .forExample("#ff00ff")
        .byDefault("none")
        .onPage()
        .reads([](Line& c, Text v) {
            if (c.build.shape == PictureShape::transparency)
                throw UsageError("cannot be given with --cut-transparent");
            c.build.shape = PictureShape::keyColour;
            c.build.keyColour = parseColour(v);
        })
        .keptFromLike([](BuildOptions& o, const LikeSplash& like) {
            // Its picture already holds the key colour where it is cut out.
            if (o.shape != PictureShape::none)
                return;
            o.shape = like.settings.shape;
            o.keyColour = like.settings.keyColour;
        });
    t.add("cut-transparent")
        .says("Cut out transparent pixels",
              "cut the picture's pixels below half opacity out of the window, in a colour the "
              "picture does not use")
        .onPage()
        .reads([](Line& c, Text) {
            if (c.build.shape == PictureShape::keyColour)
                throw UsageError("cannot be given with --cut-colour");
            c.build.shape = PictureShape::transparency;
        });
    t.add("fade-in")
        .takes("TIME", ValueKind::text)
        .says("Fade in", "fade the picture in over TIME from its first paint, on Windows 2000 and "
                         "later; earlier Windows show it at once")
        .forExample("500ms")
        .byDefault("0")
        .onPage()
        .reads([](Line& c, Text v) { c.build.fadeIn = parseDuration(v); })
        .keptFromLike(
            [](BuildOptions& o, const LikeSplash& like) { o.fadeIn = like.settings.fadeIn; });
    t.add("fade-out")
        .takes("TIME", ValueKind::text)
        .says("Fade out", "fade the picture out over TIME before it closes on time or when the "
                          "target shows its window, on Windows 2000 and later")
        .explains("A click or Esc still closes the splash at once.")
        .forExample("500ms")
        .byDefault("0")
        .onPage()
        .reads([](Line& c, Text v) { c.build.fadeOut = parseDuration(v); })
        .keptFromLike(
            [](BuildOptions& o, const LikeSplash& like) { o.fadeOut = like.settings.fadeOut; });
    t.add("later-windows")
        .says("Run on Windows later than XP",
              "let Windows later than XP (Vista to 11, XP x64, Server 2003) pass the version "
              "test, whatever --versions lists")
        .explains("The resolution and colour tests and the message stay.")
        .onPage()
        .reads([](Line& c, Text) { c.build.laterWindows = true; })
        .keptFromLike([](BuildOptions& o, const LikeSplash& like) {
            o.laterWindows = like.settings.laterWindows;
        });

    t.heading("Sound");
    t.add("sound-rate")
        .takes("HZ", ValueKind::choice)
        .says("Sound rate", "resample the sound to {values} Hz")
        .explains("Through a band-limited filter.")
        .offers(valuesOf(soundRateValues(), "Hz"))
        .byDefault("its own")
        .onPage()
        .reads([](Line& c, Text v) { c.build.soundTarget.rate = parseSoundRate(v); });
    t.add("sound-bits")
        .takes("N", ValueKind::choice)
        .says("Sound bits",
              "store the sound in {values} bits; 16 also turns 24-bit, float and extensible WAVs "
              "into plain PCM")
        .explains(
            "8 with dither. Windows 95 and NT 4 cannot play 24-bit, float and extensible WAVs.")
        .offers(valuesOf(soundBitValues()))
        .byDefault("its own")
        .onPage()
        .reads([](Line& c, Text v) { c.build.soundTarget.bits = parseSoundBits(v); });
    t.add("mono")
        .says("Mono", "mix the sound's channels down to one")
        .onPage()
        .reads([](Line& c, Text) { c.build.soundTarget.mono = true; });

    t.heading("CD-ROM");
    t.add("autorun", 'a')
        .says("Also write autorun.inf",
              "also write autorun.inf beside the output, to open it; it is written in "
              "--code-page, as Windows reads it")
        .explains(
            "A name or label with a character that code page cannot hold is refused. A name "
            "that is not an 8.3 name is warned about: a disc written without long names holds "
            "it under a shortened name.")
        .onPage()
        .reads([](Line& c, Text) { c.build.autorun = true; });
    t.add("autorun-label")
        .takes("TEXT", ValueKind::text)
        .says("Disc label", "drive label that autorun.inf gives the disc")
        .byDefault("none")
        .onPage()
        .reads([](Line& c, Text v) { c.build.autorunLabel = v; });
    t.add("autorun-icon")
        .takes("FILE", ValueKind::inputFile)
        .says("Disc icon", ".ico the disc shows, copied beside the output")
        .byDefault("the output's own icon")
        .reads([](Line& c, Text v) { c.build.autorunIcon = v; });

    t.heading("Output");
    t.add("force", 'f')
        .says("Replace files", "replace output files that exist")
        .reads([](Line& c, Text) { c.build.force = true; });
    t.add("quiet", 'q')
        .says("Quiet", "print nothing but errors")
        .explains("No notes, warnings or lines about the files written.")
        .reads([](Line& c, Text) { c.build.quiet = true; });
}

void addInspectRows(Rows& t) {
    t.command(CommandKind::inspect).heading("Options");
    t.add("json", 'j')
        .says("JSON", "print one JSON object instead of text; a failure too, as "
                      "{\"error\": TEXT, \"exitCode\": N} on standard output")
        .explains("The target and the message are stored as ANSI bytes; the report reads them in "
                  "the code page the splash records (else Windows-1252), so it is always valid "
                  "UTF-8.")
        .reads([](Line& c, Text) { c.inspect.json = true; });
    t.add("quiet", 'q')
        .says("Quiet",
              "print nothing but errors: the exit code tells whether the player reads FILE")
        .reads([](Line& c, Text) { c.inspect.quiet = true; });
    t.add("code-page")
        .takes("N", ValueKind::choice)
        .says("Its texts' code page", "code page the texts were stored in")
        .offers(codePageChoices())
        .byDefault("the one the splash records, else " + std::to_string(defaultCodePage))
        .onPage()
        .reads([](Line& c, Text v) { c.inspect.codePage = parseCodePage(v); });
}

void addExtractRows(Rows& t) {
    t.command(CommandKind::extract).heading("Options");
    t.add("directory", 'C')
        .takes("DIR", ValueKind::folder)
        .says("Folder", "folder to write them to; made when it does not exist")
        .byDefault(".")
        .reads([](Line& c, Text v) { c.extract.directory = v; });
    t.add("picture", 'p')
        .takes("FILE", ValueKind::outputFile)
        .says("Picture file", "name of the picture file instead, in DIR")
        .reads([](Line& c, Text v) { c.extract.picture = v; });
    t.add("sound", 's')
        .takes("FILE", ValueKind::outputFile)
        .says("Sound file", "name of the sound file instead, in DIR")
        .reads([](Line& c, Text v) { c.extract.sound = v; });
    t.add("force", 'f').says("Replace files", "replace files that exist").reads([](Line& c, Text) {
        c.extract.force = true;
    });
    t.add("quiet", 'q').says("Quiet", "print nothing but errors").reads([](Line& c, Text) {
        c.extract.quiet = true;
    });
}

void addPreviewRows(Rows& t) {
    const PreviewOptions& defaults = previewDefaults();
    t.command(CommandKind::preview).heading("Options");
    t.add("output", 'o')
        .takes("FILE", ValueKind::outputFile)
        .says("PNG file", "PNG file to write; - writes it to standard output (not to a "
                          "terminal) and the timeline to standard error")
        .reads([](Line& c, Text v) { c.preview.output = v; });
    t.add("screen")
        .takes("WxH", ValueKind::text)
        .says("Size", "size of the screen")
        .explains("At most " + std::to_string(largestPreviewSide) + " pixels a side.")
        .offers(screenChoices())
        .forExample("800x600")
        .onPage()
        .reads([](Line& c, Text v) {
            parseDimensions(v, c.preview.screenWidth, c.preview.screenHeight);
            if (c.preview.screenWidth > largestPreviewSide ||
                c.preview.screenHeight > largestPreviewSide)
                throw UsageError(inQuotes(v) + " is larger than " +
                                 std::to_string(largestPreviewSide) + " pixels a side");
        });
    t.add("depth")
        .takes("BITS", ValueKind::choice)
        .says("Colours",
              "colour depth of the screen in bits: 16 keeps 5 or 6 bits of each colour, 15 "
              "keeps 5; 8 shows the nearest of the 20 static colours, 4 and 1 (a 16-colour VGA "
              "driver's count) the nearest of the 16 VGA colours, approximations of what "
              "Windows does")
        .offers(depthChoices())
        .byDefault(std::to_string(defaults.colourBits))
        .onPage()
        .reads([](Line& c, Text v) {
            c.preview.colourBits = parseColourDepth(parseMinimumColourDepth(v).c_str());
        });
    t.add("sixteen-bit-layout")
        .takes("565|555", ValueKind::choice)
        .says("16-bit layout", "bits of red, green and blue of a 16-bit screen")
        .offers(layoutChoices())
        .byDefault("565")
        .onPage()
        .reads([](Line& c, Text v) {
            if (v != "565" && v != "555")
                throw UsageError(inQuotes(v) + " is neither 565 nor 555");
            c.preview.sixteenBitLayout =
                v == "565" ? SixteenBitLayout::red5green6blue5 : SixteenBitLayout::red5green5blue5;
            c.preview.layoutGiven = true;
        });
    t.add("windows")
        .takes("NAME", ValueKind::choice)
        .says("Windows", "Windows version: {values}")
        .explains("later stands for every Windows after XP, which reports version 6.2 to a "
                  "program without a manifest from Windows 8 on.")
        .offers(previewVersionChoices())
        .byDefault(toolVersionName(defaults.windows))
        .onPage()
        .reads([](Line& c, Text v) {
            if (v == laterWindowsName) {
                c.preview.windows = laterWindowsVersion;
                return;
            }
            std::string codes = parseVersionNames(v);
            if (codes.find(' ') != std::string::npos)
                throw UsageError(inQuotes(v) + " names more than one Windows version");
            c.preview.windows = osVersionForCode(std::stoi(codes));
        });
    t.add("code-page")
        .takes("N", ValueKind::choice)
        .says("Its texts' code page", "code page the texts were stored in")
        .offers(codePageChoices())
        .byDefault("the one the splash records, else " + std::to_string(defaultCodePage))
        .reads([](Line& c, Text v) { c.preview.codePage = parseCodePage(v); });
    t.add("force", 'f')
        .says("Replace files", "replace the output file if it exists")
        .reads([](Line& c, Text) { c.preview.force = true; });
    t.add("quiet", 'q').says("Quiet", "print nothing but errors").reads([](Line& c, Text) {
        c.preview.quiet = true;
    });
}

std::vector<OptionRow> makeTable() {
    Rows rows;
    addBuildRows(rows);
    addInspectRows(rows);
    addExtractRows(rows);
    addPreviewRows(rows);
    return std::move(rows.rows);
}

} // namespace

// Kept out of line: each of the table's many calls then stays one plain call, where an inlined
// body would bring the page's module its code for unwinding with every call.
[[gnu::noinline]] OptionRow& OptionRow::also(const char* longName) noexcept {
    alias = longName;
    return *this;
}

[[gnu::noinline]] OptionRow& OptionRow::takes(const char* argumentName,
                                              ValueKind valueKind) noexcept {
    argument = argumentName;
    kind = valueKind;
    return *this;
}

[[gnu::noinline]] OptionRow& OptionRow::says(const char* words, const char* text) noexcept {
    summary = words;
    help = text;
    return *this;
}

[[gnu::noinline]] OptionRow& OptionRow::explains(const char* manual) noexcept {
    details = manual;
    return *this;
}

[[gnu::noinline]] OptionRow& OptionRow::explains(const std::string& manual) noexcept {
    details = manual;
    return *this;
}

[[gnu::noinline]] OptionRow& OptionRow::byDefault(const char* text) noexcept {
    defaultText = text;
    return *this;
}

[[gnu::noinline]] OptionRow& OptionRow::byDefault(const std::string& text) noexcept {
    defaultText = text;
    return *this;
}

[[gnu::noinline]] OptionRow& OptionRow::forExample(const char* value) noexcept {
    example = value;
    return *this;
}

[[gnu::noinline]] OptionRow& OptionRow::offers(std::vector<OptionChoice> values) noexcept {
    choices = std::move(values);
    return *this;
}

[[gnu::noinline]] OptionRow& OptionRow::onPage() noexcept {
    frontEnds |= pageFrontEnd;
    return *this;
}

[[gnu::noinline]] OptionRow& OptionRow::reads(Reader reader) noexcept {
    read = reader;
    return *this;
}

[[gnu::noinline]] OptionRow& OptionRow::keptFromLike(LikeReader reader) noexcept {
    keptByLike = reader;
    return *this;
}

std::string OptionRow::written() const {
    return "--" + name + (argument.empty() ? "" : " " + argument);
}

std::string OptionRow::helpText() const {
    std::string text = help;
    const std::string slot = "{values}";
    const std::size_t at = text.find(slot);
    if (at != std::string::npos) {
        std::vector<std::string> values;
        for (const OptionChoice& choice : choices)
            values.push_back(choice.value);
        // Numbers read best in their order, whatever order a form lists them in.
        const bool numbers = std::all_of(values.begin(), values.end(), [](const std::string& v) {
            return v.find_first_not_of("0123456789") == std::string::npos;
        });
        if (numbers)
            std::stable_sort(values.begin(), values.end(),
                             [](const std::string& a, const std::string& b) {
                                 return std::stoul(a) < std::stoul(b);
                             });
        text.replace(at, slot.size(), wordsWithOr(values));
    }
    return text;
}

const std::vector<OptionRow>& optionTable() {
    static const std::vector<OptionRow> table = makeTable();
    return table;
}

std::vector<const OptionRow*> optionsOf(CommandKind command) {
    std::vector<const OptionRow*> rows;
    for (const OptionRow& row : optionTable())
        if (row.command == command)
            rows.push_back(&row);
    return rows;
}

const OptionRow* findOption(CommandKind command, const std::string& name, char shortName) {
    for (const OptionRow& row : optionTable())
        if (row.command == command && ((!name.empty() && (name == row.name || name == row.alias)) ||
                                       (shortName != 0 && shortName == row.shortName)))
            return &row;
    return nullptr;
}

const std::vector<CommandRow>& commandTable() {
    static const std::vector<CommandRow> commands = {
        {CommandKind::build,
         "build",
         "write a new splash executable from a picture, a sound and settings",
         "",
         {"splashpack build --picture FILE --output FILE [OPTIONS]",
          "splashpack build --like FILE --output FILE [OPTIONS]"},
         "Writes a new splash executable. Options (defaults in brackets):",
         "The output is written to a temporary file and renamed into place; the inputs are never "
         "changed."},
        {CommandKind::inspect,
         "inspect",
         "print the settings of a splash executable",
         "FILE",
         {"splashpack inspect FILE [--json] [--quiet] [--code-page N]"},
         "Reads the splash executable FILE as the player does and prints its settings: picture "
         "and sound, target, times, requirements and message, and whether the player shows the "
         "picture.",
         ""},
        {CommandKind::extract,
         "extract",
         "write the picture and sound of a splash executable out as files",
         "FILE",
         {"splashpack extract FILE [OPTIONS]"},
         "Writes the picture and the sound of the splash executable FILE out as files, named "
         "after FILE with .bmp and .wav.",
         ""},
        {CommandKind::preview,
         "preview",
         "draw what a splash executable shows on a given screen, as a PNG",
         "FILE",
         {"splashpack preview FILE --screen WxH [OPTIONS] --output FILE"},
         "Draws what the splash executable FILE shows on such a screen as a PNG: the picture "
         "fitted and centred as the player lays it out, or the requirements box where the machine "
         "falls short; the rest of the screen black. Prints when the target is opened, when the "
         "splash closes and how long the sound plays against that.",
         ""},
        {CommandKind::help,
         "help",
         "this text, or with a command's name that command's options",
         "COMMAND",
         {"splashpack help [COMMAND]"},
         "",
         ""},
    };
    return commands;
}

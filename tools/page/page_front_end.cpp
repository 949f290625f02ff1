// The page's front-end: the authoring core behind a few C functions that the page's script calls
// with the arguments of a splashpack command line and the bytes of the files the author dropped.
// The same parser reads the arguments, so the page and the command line share every default, every
// value syntax and every message; what the command line writes to files, the page hands back as
// bytes to download.
#include "page_front_end.h"

#include "carried_font.h"
#include "command_line.h"
#include "embedded_player.h"
#include "message_text.h"
#include "player_bytes.h"
#include "splash_build.h"
#include "splash_preview.h"
#include "splash_report.h"
#include "table_code_page.h"
#include "tool_error.h"

#include <nlohmann/json.hpp>

#include <exception>
#include <new>
#include <optional>
#include <string>
#include <vector>

using nlohmann::json;

namespace {

// A file the author gave the page, by the name the command line shows for it.
struct HeldFile {
    std::string name;
    ByteVector bytes;
};

// A splash the page holds whole, read back as the player reads it, for the preview.
struct HeldSplash {
    std::string name;
    ByteVector bytes;
    UINT codePage = defaultCodePage;
    SplashReport report;
};

struct PageState {
    HeldFile inputs[pageInputCount];
    std::optional<HeldSplash> built;
    ByteVector autorun;
    std::optional<HeldSplash> opened;
    PreviewImage preview;
    ByteVector previewRgba;
    ByteVector previewPngBytes;
    std::string answer; // the last JSON answer, alive until the next call
};

PageState& state() {
    static PageState page;
    return page;
}

const CodePageConverter& pageCodePages() {
    static const TableCodePage tables;
    return tables;
}

const char* answerWith(json answer) {
    state().answer = answer.dump(-1, ' ', false, json::error_handler_t::replace);
    return state().answer.c_str();
}

// The failure as the command line words it: the message, and for a usage error the help it
// points to.
const char* answerFailure(const std::string& message, bool usage, const std::string& command) {
    json answer = {{"ok", false}, {"error", message}};
    if (usage)
        answer["hint"] = "Try 'splashpack " + command + " --help'.";
    return answerWith(answer);
}

// Runs `action` on the parsed command line, and turns every failure into an answer: a bad input
// never ends the page's module, whatever the author drops on it.
template <typename Action>
const char* answerCommand(const char* argumentsJson, CommandKind expected, const char* command,
                          Action action) {
    try {
        json given = json::parse(argumentsJson);
        std::vector<std::string> arguments = given.get<std::vector<std::string>>();
        CommandLine line = parseCommandLine(arguments);
        if (line.kind != expected)
            throw UsageError(std::string("the page runs only ") + command + " here");
        return answerWith(action(line));
    } catch (const UsageError& error) {
        return answerFailure(error.what(), true, command);
    } catch (const InputError& error) {
        return answerFailure(error.what(), false, command);
    } catch (const std::string& message) {
        return answerFailure(message, false, command);
    } catch (const std::bad_alloc&) {
        return answerFailure("out of memory", false, command);
    } catch (const std::exception& error) {
        return answerFailure(error.what(), false, command);
    }
}

// The input the command line names, which must be the file the author gave the page.
const HeldFile& heldInput(PageInput slot, const std::string& named, const char* what) {
    const HeldFile& held = state().inputs[slot];
    if (held.name.empty() || held.name != named)
        throw InputError(inQuotes(named) + " has not been given to the page; choose the " + what +
                         " file again");
    return held;
}

json outputOf(const ByteVector& bytes) {
    return json{{"address", reinterpret_cast<std::uintptr_t>(bytes.data())},
                {"size", bytes.size()}};
}

json buildSplashFromPage(CommandLine& line) {
    BuildOptions& options = line.build;
    for (const std::string* unsupported : {&options.like, &options.player, &options.autorunIcon})
        if (!unsupported->empty())
            throw UsageError("the page takes no --like, --player or --autorun-icon: they name "
                             "files of a computer, and the page sees only what is dropped on it");
    PageState& page = state();
    page.built.reset();
    page.autorun.clear();

    // In the command line's order: the name autorun.inf opens, the inputs that the command the
    // page shows would write over, then autorun.inf's texts in the code page.
    const std::string outputName = fileNameOf(options.output);
    if (options.autorun)
        checkAutorunName(outputName);
    for (const std::string* input : {&options.picture, &options.sound})
        if (!input->empty() && fileNameOf(*input) == outputName)
            throw InputError(inQuotes(options.output) +
                             " is an input of this build; inputs are never written");
    AutorunFile autorun;
    if (options.autorun)
        autorun =
            autorunFile(outputName, "", options.autorunLabel, options.codePage, pageCodePages());
    MemoryInput picture(heldInput(pageInputPicture, options.picture, "picture").bytes);
    std::optional<MemoryInput> sound;
    if (!options.sound.empty())
        sound.emplace(heldInput(pageInputSound, options.sound, "sound").bytes);

    BuildInputs inputs;
    inputs.player = embeddedPlayer();
    inputs.picture = &picture;
    inputs.sound = sound ? &*sound : nullptr;
    inputs.converter = &pageCodePages();
    inputs.targetUtf8 = options.target;
    inputs.messageUtf8 = options.message;
    // The page cannot see the disc: the warning about a missing target is the page's own.
    inputs.target.found = true;
    SplashBuild splash = buildSplash(options, inputs);

    HeldSplash built;
    built.name = outputName;
    built.bytes = joinParts(splash.parts);
    built.codePage = options.codePage;
    built.report = readSplashBytes(built.bytes, built.name, pageCodePages(), options.codePage,
                                   embeddedPlayer());
    page.built = std::move(built);
    page.autorun = std::move(autorun.bytes);

    std::vector<std::string> warnings = splash.warnings;
    warnings.insert(warnings.end(), autorun.warnings.begin(), autorun.warnings.end());
    std::vector<std::string> written = {"wrote " + inQuotes(options.output) + " (" +
                                        std::to_string(splash.size) + " bytes)"};
    json answer = {{"ok", true},
                   {"notes", splash.notes},
                   {"warnings", warnings},
                   {"startTimes", splash.startTimes},
                   {"splash", outputOf(page.built->bytes)}};
    if (!options.target.empty())
        answer["targetReminder"] = "put " + inQuotes(options.target) + " beside " +
                                   inQuotes(outputName) +
                                   " on the disc: the player opens it from there";
    if (options.autorun) {
        written.push_back("wrote " + inQuotes("autorun.inf"));
        answer["autorun"] = outputOf(page.autorun);
    }
    answer["written"] = written;
    return answer;
}

json inspectSplashFromPage(CommandLine& line) {
    PageState& page = state();
    page.opened.reset();
    const HeldFile& file = heldInput(pageInputSplash, line.inspect.file, "splash");
    HeldSplash opened;
    opened.name = file.name;
    opened.bytes = file.bytes;
    opened.report = readSplashBytes(opened.bytes, opened.name, pageCodePages(),
                                    line.inspect.codePage, embeddedPlayer());
    opened.codePage = opened.report.codePage;
    const SplashReport& report = opened.report;
    BuildSettings settings = settingsOfSplash(report);
    settings.output = opened.name;
    TargetSearch target;
    target.found = true;
    json answer = {{"ok", true},
                   {"text", reportText(report)},
                   {"report", json::parse(reportJson(report))},
                   {"warnings", settingsWarnings(settings, target)}};
    page.opened = std::move(opened);
    if (!page.opened->report.picture.empty())
        answer["picture"] = outputOf(page.opened->report.picture);
    if (!page.opened->report.sound.empty())
        answer["sound"] = outputOf(page.opened->report.sound);
    return answer;
}

// The characters of the message that the carried font lacks: the page carries a font for the
// single-byte code pages only, so it says so where the command line names a package.
std::string missingGlyphsWarning(const std::string& message,
                                 const std::vector<PreviewFont>& fonts) {
    const std::u32string missing = charactersNoFontHas(message, fonts);
    if (missing.empty())
        return "";
    return "the page's font has no " + missingCharactersInWords(missing) +
           " of the message, and the page carries none for code pages 874, 932, 936, 949 and "
           "950; the preview draws empty boxes for them, where `splashpack preview` draws them "
           "with a font of the system it runs on";
}

json previewSplashFromPage(CommandLine& line, PageSplash which) {
    PageState& page = state();
    std::optional<HeldSplash>& held = which == pageSplashBuilt ? page.built : page.opened;
    if (!held)
        throw InputError("there is no splash to preview yet");
    const PreviewOptions& options = line.preview;
    const SplashReport& report = held->report;
    const PreviewScreen screen = previewScreenOf(options);
    PreviewPlan plan = planPreview(report, screen);
    std::vector<PreviewFont> fonts;
    std::vector<std::string> warnings;
    if (previewNeedsFont(plan)) {
        fonts.push_back(carriedPreviewFont());
        std::string warning = missingGlyphsWarning(plan.message, fonts);
        if (!warning.empty())
            warnings.push_back(warning);
    }
    page.preview = renderPreview(report, screen, plan, fonts);
    page.previewPngBytes.clear();
    // A canvas takes four bytes a pixel.
    const std::vector<unsigned char>& rgb = page.preview.rgb;
    page.previewRgba.resize(rgb.size() / 3 * 4);
    for (std::size_t from = 0, to = 0; from + 2 < rgb.size(); from += 3, to += 4) {
        page.previewRgba[to] = rgb[from];
        page.previewRgba[to + 1] = rgb[from + 1];
        page.previewRgba[to + 2] = rgb[from + 2];
        page.previewRgba[to + 3] = 255;
    }
    return json{{"ok", true},
                {"width", page.preview.width},
                {"height", page.preview.height},
                {"pixels", outputOf(page.previewRgba)},
                {"timeline", previewTimeline(report, screen, plan)},
                {"warnings", warnings}};
}

} // namespace

extern "C" {

void page_set_input(int slot, const char* name, const unsigned char* bytes, std::size_t size) {
    if (slot < 0 || slot >= pageInputCount)
        return;
    HeldFile& held = state().inputs[slot];
    try {
        held.name = name != nullptr ? name : "";
        held.bytes.assign(bytes, bytes + size);
    } catch (const std::bad_alloc&) {
        held = HeldFile();
    }
}

const char* page_build(const char* argumentsJson) {
    return answerCommand(argumentsJson, CommandKind::build, "build",
                         [](CommandLine& line) { return buildSplashFromPage(line); });
}

const char* page_inspect(const char* argumentsJson) {
    return answerCommand(argumentsJson, CommandKind::inspect, "inspect",
                         [](CommandLine& line) { return inspectSplashFromPage(line); });
}

const char* page_preview(int which, const char* argumentsJson) {
    return answerCommand(
        argumentsJson, CommandKind::preview, "preview", [which](CommandLine& line) {
            return previewSplashFromPage(line, which == pageSplashOpened ? pageSplashOpened
                                                                         : pageSplashBuilt);
        });
}

const char* page_preview_png() {
    try {
        PageState& page = state();
        if (page.previewPngBytes.empty())
            page.previewPngBytes = previewPng(page.preview);
        return answerWith(json{{"ok", true}, {"png", outputOf(page.previewPngBytes)}});
    } catch (const std::exception& error) {
        return answerFailure(error.what(), false, "preview");
    }
}

const char* page_version() {
    const PlayerImage player = embeddedPlayer();
    return answerWith(json{{"version", SPLASHPACK_VERSION},
                           {"playerBytes", player.size},
                           {"playerHash", hashText(fnv1a64(player.data, player.size))}});
}

} // extern "C"

// The page's front-end: the authoring core behind a few C functions that the page's script calls
// with the arguments of a splashpack command line and the bytes of the files the author dropped.
// The same parser reads the arguments, so the page and the command line share every default, every
// value syntax and every message; what the command line writes to files, the page hands back as
// bytes to download.
#include "page_front_end.h"

#include "build_sequence.h"
#include "carried_font.h"
#include "embedded_player.h"
#include "failure_report.h"
#include "message_text.h"
#include "option_grammar.h"
#include "option_table.h"
#include "player_bytes.h"
#include "sound_check.h"
#include "splash_build.h"
#include "splash_preview.h"
#include "splash_report.h"
#include "table_code_page.h"
#include "tool_error.h"

#include <nlohmann/json.hpp>

#include <exception>
#include <memory>
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

// The screen last drawn and what it was drawn from: a preview of the same picture on the same
// screen, planned the same (after a change of the target or of the timing), is not drawn again.
struct DrawnPreview {
    std::string drawing; // previewDrawing's text of all but the picture; empty: none drawn
    ByteVector picture;
};

struct PageState {
    HeldFile inputs[pageInputCount];
    KeptPicture keptPicture; // the picture as the last build prepared it, for the next
    std::optional<HeldSplash> built;
    ByteVector autorun;
    std::optional<HeldSplash> opened;
    PreviewImage preview;
    DrawnPreview drawn; // what `preview` was drawn from
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

json failureAnswer(const FailureReport& failure) {
    json answer = {{"ok", false}, {"error", failure.message}};
    if (!failure.hint.empty())
        answer["hint"] = failure.hint;
    if (!failure.option.empty())
        answer["option"] = failure.option;
    return answer;
}

// Runs `action` on the parsed command line, and turns every failure into an answer as the
// command line words it: a bad input never ends the page's module, whatever the author drops on
// it.
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
    } catch (...) {
        return answerWith(failureAnswer(reportOfFailure(command)));
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

// Each warning with the option it concerns, which the page places it beside.
json warningsOf(const std::vector<Warning>& warnings) {
    json list = json::array();
    for (const Warning& warning : warnings)
        list.push_back({{"option", warning.option}, {"text", warning.text}});
    return list;
}

json outputOf(const ByteVector& bytes) {
    return json{{"address", reinterpret_cast<std::uintptr_t>(bytes.data())},
                {"size", bytes.size()}};
}

// The build's questions, answered from what the author gave the page: a page has no folders,
// so files are known by their names alone, and the disc the splash goes on is not there to see.
class PageBuildFiles : public BuildFiles {
  public:
    std::string fileName(const std::string& path) const override { return fileNameOf(path); }
    std::string besideOutput(const std::string&, const std::string& name) const override {
        return name;
    }
    bool sameFile(const std::string& output, const std::string& input) const override {
        return fileNameOf(output) == fileNameOf(input);
    }
    void checkOutputFree(const std::string&, bool) const override {}
    TargetSearch searchTarget(const std::string&, const std::string&) const override {
        // The reminder to put the target on the disc is the page's own.
        TargetSearch search;
        search.found = true;
        return search;
    }
    std::unique_ptr<InputSource> openInput(const std::string& path,
                                           const std::string& what) override {
        const PageInput slot = what == "sound" ? pageInputSound : pageInputPicture;
        return std::make_unique<MemoryInput>(heldInput(slot, path, what.c_str()).bytes);
    }
    SplashReport readSplash(const std::string& path, UINT) override {
        throw InputError(inQuotes(path) + " has not been given to the page");
    }
    const CodePageConverter& codePages() const override { return pageCodePages(); }
};

// The options that name files of a computer, which the page cannot open; refused by name.
void refuseFilesOfAComputer(const BuildOptions& options) {
    std::vector<std::string> names;
    bool given = false;
    for (const OptionRow* row : optionsOf(CommandKind::build))
        if (row->kind == ValueKind::inputFile && !row->offeredOn(pageFrontEnd)) {
            names.push_back("--" + row->name);
            given = given || options.given.count(row->name) != 0;
        }
    if (given)
        throw UsageError("the page takes no " + wordsWithOr(names) +
                         ": they name files of a computer, and the page sees only what is "
                         "dropped on it");
}

// The limits of a picture the page has no field for, and the field that brings a picture within
// them.
struct PageRemedy {
    const char* limit;
    const char* remedy;
};
const PageRemedy pageRemedies[] = {{"max-picture", "fit"}, {"max-picture-bytes", "fit"}};

// A refusal that names a limit the page has no field for names the page's field that helps
// instead, and stands beside it.
void nameThePagesRemedy(json& answer) {
    std::string message = answer["error"];
    for (const PageRemedy& remedy : pageRemedies) {
        const std::string named = "(--" + std::string(remedy.limit) + ")";
        const std::size_t at = message.find(named);
        const OptionRow* row = findOption(CommandKind::build, remedy.remedy);
        if (at == std::string::npos || row == nullptr)
            continue;
        answer["error"] = message.replace(
            at, named.size(), "(shrink it with \"" + row->summary + "\", --" + row->name + ")");
        answer["option"] = row->name;
        return;
    }
}

// The sound's own refusal, when the build stopped at the picture before it came to the sound:
// the page shows both at once, so that the author mends both at once. Null for a usable sound.
json soundFailure(const BuildOptions& options) {
    if (options.sound.empty())
        return nullptr;
    try {
        try {
            checkSound(heldInput(pageInputSound, options.sound, "sound").bytes, options.sound);
        } catch (const InputError&) {
            raiseAgainConcerning("sound");
        }
        return nullptr;
    } catch (...) {
        return failureAnswer(reportOfFailure("build"));
    }
}

// A failed build as the command line words it, with what the page adds: the field that helps,
// and the sound's refusal behind the picture's.
json pageBuildFailure(const BuildOptions& options) {
    json answer = failureAnswer(reportOfFailure("build"));
    if (answer.value("option", "") != "picture")
        return answer;
    nameThePagesRemedy(answer);
    json sound = soundFailure(options);
    if (!sound.is_null())
        answer["also"] = json::array({sound});
    return answer;
}

json buildSplashFromPage(CommandLine& line) {
    const BuildOptions& options = line.build;
    refuseFilesOfAComputer(options);
    PageState& page = state();
    page.built.reset();
    page.autorun.clear();

    PageBuildFiles files;
    BuildResult result;
    try {
        result = runBuildSequence(options, files, embeddedPlayer(), &page.keptPicture);
    } catch (...) {
        return pageBuildFailure(options);
    }
    HeldSplash built;
    built.name = fileNameOf(options.output);
    std::vector<std::string> written;
    for (const BuildOutput& output : result.outputs) {
        if (output.kind == BuildOutput::splash)
            built.bytes = joinParts(output.parts);
        else if (output.kind == BuildOutput::autorun)
            page.autorun = joinParts(output.parts);
        written.push_back(output.line);
    }
    built.codePage = options.codePage;
    built.report = readSplashBytes(built.bytes, built.name, pageCodePages(), options.codePage,
                                   embeddedPlayer());
    page.built = std::move(built);

    json answer = {{"ok", true},
                   {"notes", result.notes},
                   {"warnings", warningsOf(result.warnings)},
                   {"startTimes", result.startTimes},
                   {"written", written},
                   {"splash", outputOf(page.built->bytes)}};
    if (!options.target.empty())
        answer["targetReminder"] = "put " + inQuotes(options.target) + " beside " +
                                   inQuotes(page.built->name) +
                                   " on the disc: the player opens it from there";
    if (options.autorun)
        answer["autorun"] = outputOf(page.autorun);
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
                   {"warnings", warningsOf(settingsWarnings(settings, target))}};
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

// What a preview's pixels depend on besides the picture, as one text.
std::string previewDrawing(const SplashReport& report, const PreviewScreen& screen,
                           const PreviewPlan& plan) {
    const auto number = [](auto value) { return std::to_string(value) + "|"; };
    const SplashExtension& extension = report.extension;
    return number(screen.width) + number(screen.height) + number(screen.colourBits) +
           number(screen.version.platformId) + number(screen.version.major) +
           number(screen.version.minor) + number(static_cast<int>(screen.sixteenBitLayout)) +
           number(plan.pictureShown) + number(plan.window.x) + number(plan.window.y) +
           number(plan.window.width) + number(plan.window.height) + number(extension.shaped) +
           number(extension.keyColour.red) + number(extension.keyColour.green) +
           number(extension.keyColour.blue) + plan.details + "|" + plan.message;
}

// A canvas takes four bytes a pixel.
ByteVector canvasPixels(const PreviewImage& image) {
    const std::vector<unsigned char>& rgb = image.rgb;
    ByteVector rgba(rgb.size() / 3 * 4);
    for (std::size_t from = 0, to = 0; from + 2 < rgb.size(); from += 3, to += 4) {
        rgba[to] = rgb[from];
        rgba[to + 1] = rgb[from + 1];
        rgba[to + 2] = rgb[from + 2];
        rgba[to + 3] = 255;
    }
    return rgba;
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
    const std::string drawing = previewDrawing(report, screen, plan);
    if (page.drawn.drawing != drawing || page.drawn.picture != report.picture) {
        page.drawn.drawing.clear();
        page.preview = renderPreview(report, screen, plan, fonts);
        page.previewPngBytes.clear();
        page.previewRgba = canvasPixels(page.preview);
        page.drawn.picture = report.picture;
        page.drawn.drawing = drawing;
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
    // Another picture: what the last build prepared is of the one before.
    if (slot == pageInputPicture)
        state().keptPicture = KeptPicture();
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
    } catch (...) {
        return answerWith(json{{"ok", false}, {"error", reportOfFailure("preview").message}});
    }
}

const char* page_version() {
    const PlayerImage player = embeddedPlayer();
    return answerWith(json{{"version", SPLASHPACK_VERSION},
                           {"playerBytes", player.size},
                           {"playerHash", hashText(fnv1a64(player.data, player.size))}});
}

} // extern "C"

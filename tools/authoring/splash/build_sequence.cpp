// The one order of a build's checks, for every front-end: the outputs' names and places first,
// then the player, the --like splash, the picture and the sound as the build comes to them.
#include "build_sequence.h"

#include "message_text.h"
#include "option_table.h"
#include "tool_error.h"

#include <optional>
#include <utility>

namespace {

// An input opened only when the build first asks for its bytes, so that a fault of the picture
// is reported before one of the sound, as the build meets them.
class LaterInput : public InputSource {
  public:
    LaterInput(BuildFiles& files, std::string path, std::string what)
        : files(files), path(std::move(path)), what(std::move(what)) {}
    std::uint64_t size() const override { return opened().size(); }
    ByteVector head(std::size_t count) const override { return opened().head(count); }
    ByteVector readAll() const override { return opened().readAll(); }

  private:
    const InputSource& opened() const {
        if (!input)
            input = files.openInput(path, what);
        return *input;
    }
    BuildFiles& files;
    std::string path;
    std::string what;
    mutable std::unique_ptr<InputSource> input;
};

// Raises InputError when `output` would be written over an input of the build.
void checkNotAnInput(const std::string& output, const BuildOptions& options,
                     const BuildFiles& files) {
    for (const std::string* input :
         {&options.picture, &options.sound, &options.player, &options.like, &options.autorunIcon})
        if (!input->empty() && files.sameFile(output, *input))
            throw InputError(inQuotes(output) +
                             " is an input of this build; inputs are never written");
}

// Checks that `path` may be written by this build, and adds it to the outputs.
void claimOutput(BuildResult& result, BuildOutput::Kind kind, const std::string& path,
                 const BuildOptions& options, const BuildFiles& files) {
    checkNotAnInput(path, options, files);
    files.checkOutputFree(path, options.force);
    BuildOutput output;
    output.kind = kind;
    output.path = path;
    result.outputs.push_back(std::move(output));
}

// The author's icon, copied beside the output unless it is there already.
void claimIcon(BuildResult& result, const BuildOptions& options, BuildFiles& files) {
    result.icon = files.openInput(options.autorunIcon, "icon")->readAll();
    checkAutorunIcon(result.icon, options.autorunIcon);
    const std::string beside =
        files.besideOutput(options.output, files.fileName(options.autorunIcon));
    if (files.sameFile(beside, options.autorunIcon))
        return;
    const std::string name = files.fileName(beside);
    if (name == files.fileName(options.output) || name == "autorun.inf")
        throw InputError("the icon " + inQuotes(options.autorunIcon) +
                         " would be copied over another output of this build");
    claimOutput(result, BuildOutput::icon, beside, options, files);
}

PlayerImage choosePlayer(BuildResult& result, const BuildOptions& options, BuildFiles& files,
                         const PlayerImage& carried) {
    if (!options.player.empty()) {
        result.player = files.openInput(options.player, "player")->readAll();
        checkPlayerImage(result.player, options.player);
        return PlayerImage{result.player.data(), result.player.size()};
    }
    if (carried.size == 0)
        throw UsageError("this splashpack was built without a player; name one with --player FILE",
                         "player");
    return carried;
}

// The options that --like keeps and were not given take the splash's values.
std::optional<LikeSplash> applyLike(BuildOptions& options, BuildFiles& files) {
    if (options.like.empty())
        return std::nullopt;
    LikeSplash like;
    like.file = options.like;
    // Its texts are read in the code page it records; for a splash that records none, in the one
    // --code-page names, as the author knows it.
    like.report = files.readSplash(options.like, 0);
    if (like.report.recordedCodePage == 0 && options.given.count("code-page") != 0)
        readTextsIn(like.report, options.codePage, files.codePages());
    like.settings = settingsOfSplash(like.report);
    for (const OptionRow* row : optionsOf(CommandKind::build))
        if (row->keptByLike != nullptr && options.given.count(row->name) == 0)
            row->keptByLike(options, like);
    return like;
}

BuildOutput* outputOf(BuildResult& result, BuildOutput::Kind kind) {
    for (BuildOutput& output : result.outputs)
        if (output.kind == kind)
            return &output;
    return nullptr;
}

// The build's stages in their order; `stage` names the option each is busy with.
BuildResult runStages(const BuildOptions& given, BuildFiles& files, const PlayerImage& carried,
                      KeptPicture* kept, const char*& stage) {
    BuildOptions options = given;
    BuildResult result;
    const std::string outputName = files.fileName(options.output);
    stage = "autorun";
    if (options.autorun)
        checkAutorunName(outputName);
    stage = "output";
    claimOutput(result, BuildOutput::splash, options.output, options, files);
    stage = "autorun";
    if (options.autorun)
        claimOutput(result, BuildOutput::autorun, files.besideOutput(options.output, "autorun.inf"),
                    options, files);
    stage = "autorun-icon";
    if (!options.autorunIcon.empty())
        claimIcon(result, options, files);
    BuildInputs inputs;
    stage = "player";
    inputs.player = choosePlayer(result, options, files, carried);
    inputs.playerFile = options.player;
    stage = "like";
    std::optional<LikeSplash> like = applyLike(options, files);
    inputs.targetUtf8 = options.target;
    inputs.messageUtf8 = options.message;
    // Decided before the picture is read, so that a name the code page cannot hold is refused
    // at once; after --like, whose code page it may be written in.
    stage = "autorun";
    AutorunFile autorun;
    if (options.autorun)
        autorun = autorunFile(outputName, files.fileName(options.autorunIcon), options.autorunLabel,
                              options.codePage, files.codePages());
    stage = "picture";
    if (options.pictureOfLike)
        result.picture = std::make_unique<MemoryInput>(std::move(like->report.picture));
    else
        result.picture = files.openInput(options.picture, "picture");
    inputs.picture = result.picture.get();
    // Only the picture file the front-end keeps track of: not the one --like carries.
    inputs.keptPicture = options.pictureOfLike ? nullptr : kept;
    if (options.soundOfLike)
        result.sound = std::make_unique<MemoryInput>(std::move(like->report.sound));
    else if (!options.sound.empty())
        result.sound = std::make_unique<LaterInput>(files, options.sound, "sound");
    inputs.sound = result.sound.get();
    inputs.converter = &files.codePages();
    inputs.target = files.searchTarget(options.output, options.target);

    // The splash's own stages name their options.
    stage = "";
    result.splash = buildSplash(options, inputs);
    result.notes = std::move(result.splash.notes);
    result.warnings = std::move(result.splash.warnings);
    result.warnings.insert(result.warnings.end(), autorun.warnings.begin(), autorun.warnings.end());
    result.startTimes = result.splash.startTimes;

    BuildOutput& splash = *outputOf(result, BuildOutput::splash);
    splash.parts = result.splash.parts;
    splash.line =
        "wrote " + inQuotes(splash.path) + " (" + std::to_string(result.splash.size) + " bytes)";
    if (BuildOutput* file = outputOf(result, BuildOutput::autorun)) {
        result.autorun = std::move(autorun.bytes);
        file->parts = {OutputPart(result.autorun)};
        file->line = "wrote " + inQuotes(file->path);
    }
    if (BuildOutput* file = outputOf(result, BuildOutput::icon)) {
        file->parts = {OutputPart(result.icon)};
        file->line = "wrote " + inQuotes(file->path);
    }
    return result;
}

} // namespace

BuildResult runBuildSequence(const BuildOptions& options, BuildFiles& files,
                             const PlayerImage& carried, KeptPicture* kept) {
    const char* stage = "";
    try {
        return runStages(options, files, carried, kept, stage);
    } catch (const InputError&) {
        raiseAgainConcerning(stage);
    }
}

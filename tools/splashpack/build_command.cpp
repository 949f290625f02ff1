// The build from files: the outputs checked and the inputs opened first, the splash decided by
// the core, then written.
#include "build_command.h"

#include "file_output.h"
#include "file_path.h"
#include "message_text.h"
#include "splash_file.h"
#include "system_code_page.h"
#include "target_search.h"
#include "tool_error.h"

#include <filesystem>
#include <optional>

namespace fs = std::filesystem;

namespace {

PlayerImage choosePlayer(const BuildOptions& options, const PlayerImage& embedded,
                         ByteVector& storage) {
    if (!options.player.empty()) {
        storage = readInputFile(options.player, "player");
        checkPlayerImage(storage, options.player);
        return PlayerImage{storage.data(), storage.size()};
    }
    if (embedded.size == 0)
        throw UsageError("this splashpack was built without a player; name one with --player FILE");
    return embedded;
}

void checkNotAnInput(const std::string& output, const BuildOptions& options) {
    for (const std::string* input :
         {&options.picture, &options.sound, &options.player, &options.like, &options.autorunIcon})
        if (!input->empty() && sameFile(output, *input))
            throw InputError(inQuotes(output) +
                             " is an input of this build; inputs are never written");
}

// The sound file, opened when the build comes to the sound, so that a fault of the picture is
// reported before one of the sound, as the build meets them.
class SoundFile : public InputSource {
  public:
    explicit SoundFile(const std::string& path) : path(path) {}
    std::uint64_t size() const override { return file().size(); }
    ByteVector head(std::size_t count) const override { return file().head(count); }
    ByteVector readAll() const override { return file().readAll(); }

  private:
    const InputFile& file() const {
        if (!opened)
            opened.emplace(path, "sound");
        return *opened;
    }
    std::string path;
    mutable std::optional<InputFile> opened;
};

// The settings of the splash that --like names, under the options given; its picture and sound
// for those not given, as the player reads them (a picture the player shows goes in byte for
// byte unless --fit reshapes it).
class LikeSplash {
  public:
    LikeSplash(BuildOptions& options, BuildInputs& inputs) {
        if (options.like.empty())
            return;
        // Its texts are read in the code page it records; for a splash that records none, in
        // the one --code-page names, as the author knows it.
        auto kept = [&options](const char* name) { return options.given.count(name) == 0; };
        report = readSplash(options.like);
        if (report.recordedCodePage == 0 && !kept("code-page"))
            readTextsIn(report, options.codePage, systemCodePage());
        const BuildSettings old = settingsOfSplash(report);
        if (kept("code-page"))
            options.codePage = old.codePage;
        if (kept("target")) {
            options.target = old.target;
            inputs.targetUtf8 = old.target;
        }
        if (kept("message")) {
            options.message = old.message;
            inputs.messageUtf8 = old.message;
        }
        if (kept("display-time"))
            options.displayTime = old.displayTime;
        if (kept("launch-delay"))
            options.launchDelay = old.launchDelay;
        if (kept("versions"))
            options.versionList = old.versionList;
        if (kept("min-resolution"))
            options.resolution = old.resolution;
        if (kept("min-colour-depth"))
            options.colourDepth = old.colourDepth;
        if (kept("image-option"))
            options.imageOption = old.imageOption;
        if (kept("picture")) {
            if (report.picture.empty())
                throw InputError(inQuotes(options.like) + " holds no picture; give --picture FILE");
            options.picture = options.like;
            inputs.picture = &picture.emplace(std::move(report.picture));
        }
        if (kept("sound") && !report.sound.empty()) {
            options.sound = options.like;
            inputs.sound = &sound.emplace(std::move(report.sound));
        }
    }

  private:
    SplashReport report;
    std::optional<MemoryInput> picture;
    std::optional<MemoryInput> sound;
};

} // namespace

BuildOutcome runBuild(const BuildOptions& given, const PlayerImage& embedded) {
    BuildOptions options = given;
    BuildOutcome outcome;
    std::string autorunPath;
    std::string iconPath; // where the author's icon is copied to; empty when it is there already
    ByteVector icon;
    if (options.autorun) {
        checkAutorunName(textOf(pathOf(options.output).filename()));
        autorunPath =
            textOf((pathOf(options.output).parent_path() / "autorun.inf").make_preferred());
    }
    checkNotAnInput(options.output, options);
    checkOutputFree(options.output, options.force);
    if (!autorunPath.empty()) {
        checkNotAnInput(autorunPath, options);
        checkOutputFree(autorunPath, options.force);
    }
    if (!options.autorunIcon.empty()) {
        icon = readInputFile(options.autorunIcon, "icon");
        checkAutorunIcon(icon, options.autorunIcon);
        std::string beside =
            textOf((pathOf(options.output).parent_path() / pathOf(options.autorunIcon).filename())
                       .make_preferred());
        if (!sameFile(beside, options.autorunIcon)) {
            iconPath = beside;
            fs::path name = pathOf(iconPath).filename();
            if (name == pathOf(options.output).filename() || name == "autorun.inf")
                throw InputError("the icon " + inQuotes(options.autorunIcon) +
                                 " would be copied over another output of this build");
            checkNotAnInput(iconPath, options);
            checkOutputFree(iconPath, options.force);
        }
    }
    ByteVector playerStorage;
    BuildInputs inputs;
    inputs.player = choosePlayer(options, embedded, playerStorage);
    inputs.playerFile = options.player;
    inputs.targetUtf8 = options.target;
    inputs.messageUtf8 = options.message;
    LikeSplash like(options, inputs);
    // Decided before the picture is read, so that a name the code page cannot hold is refused
    // at once.
    AutorunFile autorun;
    if (!autorunPath.empty())
        autorun = autorunFile(textOf(pathOf(options.output).filename()),
                              textOf(pathOf(options.autorunIcon).filename()), options.autorunLabel,
                              options.codePage, systemCodePage());
    std::optional<InputFile> pictureFile;
    if (inputs.picture == nullptr)
        inputs.picture = &pictureFile.emplace(options.picture, "picture");
    std::optional<SoundFile> soundFile;
    if (inputs.sound == nullptr && !options.sound.empty())
        inputs.sound = &soundFile.emplace(options.sound);
    inputs.converter = &systemCodePage();
    inputs.target = searchTarget(options.output, options.target);
    SplashBuild splash = buildSplash(options, inputs);
    outcome.notes = std::move(splash.notes);
    outcome.warnings = std::move(splash.warnings);
    outcome.warnings.insert(outcome.warnings.end(), autorun.warnings.begin(),
                            autorun.warnings.end());

    // An author who names a folder that is not there yet means a new one, as extract -C does.
    const std::string madeFolder = makeFolderFor(options.output);
    if (!madeFolder.empty())
        outcome.written.push_back("made the folder " + inQuotes(madeFolder));
    writeJoinedFileAtomically(options.output, splash.parts, options.force);
    outcome.written.push_back("wrote " + inQuotes(options.output) + " (" +
                              std::to_string(splash.size) + " bytes)");
    outcome.startTimes = splash.startTimes;
    if (!autorunPath.empty()) {
        writeFileAtomically(autorunPath, autorun.bytes, options.force);
        outcome.written.push_back("wrote " + inQuotes(autorunPath));
    }
    if (!iconPath.empty()) {
        writeFileAtomically(iconPath, icon, options.force);
        outcome.written.push_back("wrote " + inQuotes(iconPath));
    }
    return outcome;
}

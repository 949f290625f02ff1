// The build from files: the core's build sequence asks the file system its questions, and the
// outputs it decides are written one after the other.
#include "build_command.h"

#include "build_sequence.h"
#include "file_output.h"
#include "file_path.h"
#include "message_text.h"
#include "splash_file.h"
#include "system_code_page.h"
#include "target_search.h"

namespace {

// The build's questions, answered from the file system.
class FileSystemBuildFiles : public BuildFiles {
  public:
    std::string fileName(const std::string& path) const override {
        return textOf(pathOf(path).filename());
    }
    std::string besideOutput(const std::string& output, const std::string& name) const override {
        return textOf((pathOf(output).parent_path() / pathOf(name)).make_preferred());
    }
    bool sameFile(const std::string& output, const std::string& input) const override {
        return ::sameFile(output, input);
    }
    void checkOutputFree(const std::string& path, bool replace) const override {
        ::checkOutputFree(path, replace);
    }
    TargetSearch searchTarget(const std::string& output, const std::string& target) const override {
        return ::searchTarget(output, target);
    }
    std::unique_ptr<InputSource> openInput(const std::string& path,
                                           const std::string& what) override {
        return std::make_unique<InputFile>(path, what);
    }
    SplashReport readSplash(const std::string& path, UINT codePage) override {
        return ::readSplash(path, codePage);
    }
    const CodePageConverter& codePages() const override { return systemCodePage(); }
};

} // namespace

BuildOutcome runBuild(const BuildOptions& options, const PlayerImage& embedded) {
    FileSystemBuildFiles files;
    BuildResult result = runBuildSequence(options, files, embedded);
    BuildOutcome outcome;
    // An author who names a folder that is not there yet means a new one, as extract -C does.
    const std::string madeFolder = makeFolderFor(options.output);
    if (!madeFolder.empty())
        outcome.written.push_back("made the folder " + inQuotes(madeFolder));
    for (const BuildOutput& output : result.outputs) {
        writeJoinedFileAtomically(output.path, output.parts, options.force);
        outcome.written.push_back(output.line);
    }
    outcome.notes = std::move(result.notes);
    outcome.warnings = std::move(result.warnings);
    outcome.startTimes = std::move(result.startTimes);
    return outcome;
}

// The build as every front-end runs it: the checks in their order, the autorun file, the splash,
// the warnings and the lines that say what was written. A front-end answers the questions about
// files through BuildFiles and writes (or hands over) the outputs the result lists.
#pragma once

#include "code_page.h"
#include "input_source.h"
#include "option_grammar.h"
#include "player_image.h"
#include "splash_build.h"
#include "splash_report.h"

#include <memory>
#include <string>
#include <vector>

// The questions a build asks about the files around it: the command line answers them from the
// file system, the page from the files dropped on it.
class BuildFiles {
  public:
    BuildFiles() = default;
    virtual ~BuildFiles() = default;
    BuildFiles(const BuildFiles&) = delete;
    BuildFiles& operator=(const BuildFiles&) = delete;

    // The file name at the end of `path`, as the front-end's system splits it.
    virtual std::string fileName(const std::string& path) const = 0;
    // The name `name` in the folder of `output`.
    virtual std::string besideOutput(const std::string& output, const std::string& name) const = 0;
    // Whether writing `output` would write over the input `input`, however it is spelled.
    virtual bool sameFile(const std::string& output, const std::string& input) const = 0;
    // Raises InputError when `path` may not be written: it exists and `replace` is false, or it
    // is a folder.
    virtual void checkOutputFree(const std::string& path, bool replace) const = 0;
    // Whether the target stands beside the output, as Windows would find it there.
    virtual TargetSearch searchTarget(const std::string& output,
                                      const std::string& target) const = 0;
    // An input, held from now until the build's outputs are written. Raises InputError naming
    // `what` ("picture") and the file when it cannot be had.
    virtual std::unique_ptr<InputSource> openInput(const std::string& path,
                                                   const std::string& what) = 0;
    // The splash at `path` as the player reads it, its texts read in `codePage`.
    virtual SplashReport readSplash(const std::string& path, UINT codePage) = 0;
    // The front-end's conversions to and from the Windows code pages.
    virtual const CodePageConverter& codePages() const = 0;
};

// A file the build writes: its place, its bytes in order, and the line that reports it.
struct BuildOutput {
    enum Kind { splash, autorun, icon };
    Kind kind = splash;
    std::string path;
    std::vector<OutputPart> parts;
    std::string line; // "wrote "splash.exe" (141216 bytes)"
};

struct BuildResult {
    std::vector<std::string> notes;   // what was done to the inputs
    std::vector<Warning> warnings;    // where the player will surprise the author
    std::vector<BuildOutput> outputs; // in the order they are written
    std::string startTimes;           // how long the picture takes to show from a CD-ROM

    // What the outputs' parts point into.
    SplashBuild splash;
    ByteVector autorun;
    ByteVector icon;
    ByteVector player;
    std::unique_ptr<InputSource> picture;
    std::unique_ptr<InputSource> sound;
};

// Runs the build's checks in their order and decides every output, reading the inputs through
// `files`; `carried` is the player the front-end carries. Raises UsageError when no player is
// known, InputError for unusable inputs and outputs that may not be written; nothing is written.
// `kept`, when given, keeps the prepared picture for the next build of the same picture file.
BuildResult runBuildSequence(const BuildOptions& options, BuildFiles& files,
                             const PlayerImage& carried, KeptPicture* kept = nullptr);

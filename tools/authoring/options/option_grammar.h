// The command line of splashpack, which every front-end reads: its commands, the options each
// takes (their rows are in option_table.cpp) and the settings they fill in.
#pragma once

#include "os_version.h"
#include "screen_depth.h"
#include "setting_values.h"
#include "splash_build.h"
#include "splash_preview.h"
#include "text_error.h"

#include <cstdint>
#include <set>
#include <string>
#include <vector>

// The build's settings, and what only a front-end decides: which player, whether outputs are
// replaced, whether the notes are printed.
struct BuildOptions : BuildSettings {
    std::string like;            // a splash whose settings, picture and sound the build starts from
    std::set<std::string> given; // the long names of the options given, which --like keeps
    std::string player;          // empty: the player built into the tool
    bool force = false;
    bool quiet = false;
    bool pictureOfLike = false; // the picture and the sound are those of the --like splash
    bool soundOfLike = false;
};

struct InspectOptions {
    std::string file;
    bool json = false;
    bool quiet = false; // only the exit code and errors tell whether the player reads it
    UINT codePage = 0;  // of the stored texts; 0: as the splash records, else 1252
};

struct ExtractOptions {
    std::string file;
    std::string directory = ".";
    std::string picture; // in `directory`; empty: the splash's name with .bmp
    std::string sound;   // in `directory`; empty: the splash's name with .wav
    bool force = false;
    bool quiet = false;
};

struct PreviewOptions {
    std::string file;
    std::string output; // "-": standard output
    UINT screenWidth = 0;
    UINT screenHeight = 0;
    std::int32_t colourBits = 32;
    SixteenBitLayout sixteenBitLayout = SixteenBitLayout::red5green6blue5;
    bool layoutGiven = false;
    OsVersion windows = osVersionForCode(6);
    UINT codePage = 0; // of the stored texts; 0: as the splash records, else 1252
    bool force = false;
    bool quiet = false;
};

// The machine a preview stands for, as the options describe it.
PreviewScreen previewScreenOf(const PreviewOptions& options);

enum class CommandKind { help, version, build, inspect, extract, preview };

struct CommandLine {
    CommandKind kind = CommandKind::help;
    CommandKind helpTopic = CommandKind::help; // the command whose help was asked for
    BuildOptions build;
    InspectOptions inspect;
    ExtractOptions extract;
    PreviewOptions preview;
};

// The name a command is typed with ("build"); empty for help and version.
const char* commandName(CommandKind kind);

// Reads the arguments after the program's name; raises UsageError for anything it cannot use.
CommandLine parseCommandLine(const std::vector<std::string>& arguments);

// The launcher's portable pieces: splitting paths, building the target's path, recognising the
// word processor that needs the extended shell call, and the texts of the launch.
#pragma once

#include "text_error.h"

#include <string>

// Shell results of 32 or less are error codes; 31 says the file type has no program.
constexpr UINT shellErrorLimit = 32;
constexpr UINT shellNoAssociation = 31;

// The text before the last backslash or slash, or the whole text without one; "." when
// that leaves nothing.
std::string directoryOf(const std::string& path);

// The text after the last colon, backslash or slash, or the whole text without one.
std::string fileNameOf(const std::string& path);

// The target's full path: the folder of the program's own file, a backslash and the target
// name exactly as stored.
std::string targetPathOf(const std::string& modulePath, const std::string& targetFile);

// True when the associated program's file name is "WinWord.exe" in any mix of case; that
// program is opened through the extended shell call with the "open" verb.
bool needsExtendedOpen(const std::string& associatedProgram);

// True when the shell found no program for the file type and the Open With dialog is offered.
bool needsOpenWith(UINT shellResult);

// A launch counts as done when the shell succeeded or left no error code behind.
bool launchSucceeded(UINT shellResult, UINT lastError);

// Parameters that make RUNDLL32.EXE show the Open With dialog for `targetPath`.
std::string openWithParameters(const std::string& targetPath);

// Body of the "Cannot Run File" box, naming the target as stored.
std::string cannotRunFileText(const std::string& targetFile);

constexpr const char* cannotRunFileCaption = "Cannot Run File";
constexpr const char* openWithProgram = "RUNDLL32.EXE";
constexpr const char* unknownTargetText =
    "The application to load is unknown.\nCould not load the resource IDS_FILE_TO_SHELL.";
constexpr const char* unknownTargetCaption = "Execute the target application error.";

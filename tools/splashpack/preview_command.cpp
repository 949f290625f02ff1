// The preview from files: the system's fonts are read only when the requirements box needs them.
#include "preview_command.h"

#include "carried_font.h"
#include "file_output.h"
#include "file_path.h"
#include "message_text.h"
#include "preview_fonts.h"
#include "splash_file.h"
#include "standard_output.h"
#include "tool_error.h"

#include <filesystem>

namespace {

// The box's fonts: the part of DejaVu Sans the tool carries, then the first font of the system
// with the letters of the code page the texts were read in. Warns when the message holds
// characters that none of them has, saying in the system's words how to get the font.
std::vector<PreviewFont> boxFonts(const std::string& message, UINT codePage,
                                  std::vector<std::string>& warnings) {
    std::vector<PreviewFont> fonts = {carriedPreviewFont()};
    const ScriptFonts script = scriptFontsFor(codePage);
    for (const ScriptFont& font : script.candidates) {
        std::error_code error;
        if (std::filesystem::is_regular_file(pathOf(font.file), error)) {
            fonts.push_back(PreviewFont{font.file, readInputFile(font.file, "font"), font.index});
            break;
        }
    }
    const std::u32string missing = charactersNoFontHas(message, fonts);
    if (!missing.empty())
        warnings.push_back(
            "no font the preview found has " + missingCharactersInWords(missing) +
            " of the message; the preview draws empty boxes for them" +
            (script.whenMissing.empty() ? std::string() : " (" + script.whenMissing + ")"));
    return fonts;
}

} // namespace

PreviewOutcome runPreview(const PreviewOptions& options, std::ostream& standardOutput) {
    const bool toStandardOutput = options.output == "-";
    if (toStandardOutput && standardOutputIsTerminal())
        throw InputError("standard output is a terminal; -o - writes the PNG only into a file "
                         "or a pipe");
    if (!toStandardOutput) {
        if (sameFile(options.output, options.file))
            throw InputError(inQuotes(options.output) +
                             " is the splash itself; it is never written");
        checkOutputFree(options.output, options.force);
    }
    SplashReport report = readSplash(options.file, options.codePage);
    const PreviewScreen screen = previewScreenOf(options);
    PreviewPlan plan = planPreview(report, screen);
    PreviewOutcome outcome;
    std::vector<PreviewFont> fonts;
    if (previewNeedsFont(plan))
        fonts = boxFonts(plan.message, report.codePage, outcome.warnings);
    const std::string hint = codePageHint(report);
    if (!hint.empty())
        outcome.warnings.push_back(hint);
    PreviewImage image = renderPreview(report, screen, plan, fonts);
    const ByteVector png = previewPng(image);
    outcome.lines = previewTimeline(report, screen, plan);
    if (toStandardOutput) {
        writeStandardOutputAsBytes();
        standardOutput.write(reinterpret_cast<const char*>(png.data()),
                             static_cast<std::streamsize>(png.size()));
        standardOutput.flush();
        if (!standardOutput)
            throw InputError("the PNG cannot be written to standard output");
        outcome.lines.push_back("wrote the PNG to standard output (" +
                                sizeText(image.width, image.height) + ")");
    } else {
        writeFileAtomically(options.output, png, options.force);
        outcome.lines.push_back("wrote \"" + options.output + "\" (" +
                                sizeText(image.width, image.height) + ")");
    }
    return outcome;
}

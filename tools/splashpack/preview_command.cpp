// The preview from files: the fonts are read only when the requirements box needs them.
#include "preview_command.h"

#include "file_output.h"
#include "message_text.h"
#include "splash_file.h"
#include "standard_output.h"
#include "tool_error.h"

#include <filesystem>

namespace {

// The box's fonts: DejaVu Sans, then the first installed font with the letters of the code page
// the texts were stored in. Warns when the message holds characters that none of them has.
std::vector<PreviewFont> boxFonts(const std::string& message, UINT codePage,
                                  std::vector<std::string>& warnings) {
    std::vector<PreviewFont> fonts = {readPreviewFont(previewFontFile)};
    const ScriptFonts script = scriptFontsFor(codePage);
    for (const char* file : script.files) {
        std::error_code error;
        if (std::filesystem::is_regular_file(file, error)) {
            fonts.push_back(PreviewFont{file, readInputFile(file, "font")});
            break;
        }
    }
    const std::u32string missing = charactersNoFontHas(message, fonts);
    if (!missing.empty())
        warnings.push_back("no font the preview found has " + missingCharactersInWords(missing) +
                           " of the message; the preview draws empty boxes for them" +
                           (script.package != nullptr
                                ? std::string(" (apt-get install ") + script.package + ")"
                                : std::string()));
    return fonts;
}

} // namespace

PreviewFont readPreviewFont(const std::string& file) {
    try {
        return PreviewFont{file, readInputFile(file, "font")};
    } catch (const InputError& error) {
        throw InputError(std::string(error.what()) +
                         "; the preview draws the requirements box with it "
                         "(apt-get install fonts-dejavu-core)");
    }
}

ScriptFonts scriptFontsFor(UINT codePage) {
    // TrueType outlines only: stb_truetype reads them all, and these hold the whole script.
    const char* const droid = "/usr/share/fonts/truetype/droid/DroidSansFallbackFull.ttf";
    switch (codePage) {
    case 932:
    case 936:
    case 949:
    case 950:
        return ScriptFonts{{droid}, "fonts-droid-fallback"};
    case 874:
        return ScriptFonts{{"/usr/share/fonts/truetype/tlwg/Garuda.ttf",
                            "/usr/share/fonts/truetype/tlwg/Loma.ttf",
                            "/usr/share/fonts/truetype/noto/NotoSansThai-Regular.ttf"},
                           "fonts-tlwg-garuda-ttf"};
    default:
        return ScriptFonts{};
    }
}

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
        fonts = boxFonts(plan.message, options.codePage, outcome.warnings);
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

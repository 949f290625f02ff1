// The preview from files: the font is read only when the requirements box needs it.
#include "preview_command.h"

#include "file_output.h"
#include "message_text.h"
#include "splash_file.h"
#include "tool_error.h"

PreviewFont readPreviewFont(const std::string& file) {
    try {
        return PreviewFont{file, readInputFile(file, "font")};
    } catch (const InputError& error) {
        throw InputError(std::string(error.what()) +
                         "; the preview draws the requirements box with it "
                         "(apt-get install fonts-dejavu-core)");
    }
}

std::vector<std::string> runPreview(const PreviewOptions& options) {
    if (sameFile(options.output, options.file))
        throw InputError(inQuotes(options.output) + " is the splash itself; it is never written");
    checkOutputFree(options.output, options.force);
    SplashReport report = readSplash(options.file, options.codePage);
    PreviewScreen screen;
    screen.width = options.screenWidth;
    screen.height = options.screenHeight;
    screen.colourBits = options.colourBits;
    screen.version = options.windows;
    PreviewPlan plan = planPreview(report, screen);
    PreviewFont font;
    if (previewNeedsFont(plan))
        font = readPreviewFont(previewFontFile);
    PreviewImage image = renderPreview(report, screen, plan, font);
    writeFileAtomically(options.output, previewPng(image), options.force);
    std::vector<std::string> lines = previewTimeline(report, screen, plan);
    lines.push_back("wrote \"" + options.output + "\" (" + sizeText(image.width, image.height) +
                    ")");
    return lines;
}

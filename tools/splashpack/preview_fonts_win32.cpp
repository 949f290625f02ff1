// The script fonts on Windows, in its fonts folder: which a Windows has varies (Windows XP has
// the Chinese, Japanese and Korean fonts only with its East Asian languages installed, and Thai
// beyond Tahoma with its complex scripts; Windows 10 and 11 always have MS Gothic, SimSun,
// Malgun Gothic and Microsoft JhengHei), so each script has fallbacks, newest systems' last.
#include "preview_fonts.h"

#include "file_path.h"

#include <windows.h>

namespace {

struct WindowsFont {
    const char* name; // as Windows lists it
    const char* file; // in the fonts folder
};

// The fonts folder, `GetWindowsDirectory`\Fonts, in UTF-8.
std::string fontsFolder() {
    wchar_t folder[MAX_PATH] = {};
    const UINT length = GetWindowsDirectoryW(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return "C:\\WINDOWS\\Fonts";
    return textOf(std::filesystem::path(folder) / L"Fonts");
}

// "MS Gothic (msgothic.ttc), Meiryo (meiryo.ttc) or MS Mincho (msmincho.ttc)".
std::string namesOf(const std::vector<WindowsFont>& fonts) {
    std::string text;
    for (std::size_t i = 0; i < fonts.size(); ++i)
        text += std::string(i == 0                  ? ""
                            : i + 1 == fonts.size() ? " or "
                                                    : ", ") +
                fonts[i].name + " (" + fonts[i].file + ")";
    return text;
}

} // namespace

ScriptFonts scriptFontsFor(unsigned codePage) {
    // Each collection's first font is the one named: MS Gothic before MS PGothic, SimSun before
    // NSimSun, Gulim before GulimChe, MingLiU before PMingLiU.
    std::vector<WindowsFont> fonts;
    const char* languages = "East Asian languages";
    switch (codePage) {
    case 932:
        fonts = {
            {"MS Gothic", "msgothic.ttc"}, {"MS Mincho", "msmincho.ttc"}, {"Meiryo", "meiryo.ttc"}};
        break;
    case 936:
        fonts = {{"SimSun", "simsun.ttc"},
                 {"SimHei", "simhei.ttf"},
                 {"Microsoft YaHei", "msyh.ttc"},
                 {"Microsoft YaHei", "msyh.ttf"}};
        break;
    case 949:
        fonts = {{"Gulim", "gulim.ttc"}, {"Batang", "batang.ttc"}, {"Malgun Gothic", "malgun.ttf"}};
        break;
    case 950:
        fonts = {{"MingLiU", "mingliu.ttc"},
                 {"Microsoft JhengHei", "msjh.ttc"},
                 {"Microsoft JhengHei", "msjh.ttf"}};
        break;
    case 874:
        fonts = {{"Tahoma", "tahoma.ttf"},
                 {"Angsana New", "angsa.ttf"},
                 {"Leelawadee UI", "LeelawUI.ttf"},
                 {"Leelawadee", "leelawad.ttf"}};
        languages = "complex script and right-to-left languages (including Thai)";
        break;
    default:
        return ScriptFonts{};
    }
    const std::string folder = fontsFolder();
    ScriptFonts script;
    for (const WindowsFont& font : fonts)
        script.candidates.push_back(ScriptFont{folder + "\\" + font.file, 0});
    script.whenMissing = "Windows draws them with " + namesOf(fonts) + ", none of which " + folder +
                         " holds; Windows XP installs them with the files for " + languages +
                         ": Control Panel, Regional and Language Options, Languages";
    return script;
}

// The carried part of the preview's font draws every character the single-byte code pages show
// as the whole font draws it: same glyphs, advances and kerning.
#include "carried_font.h"
#include "code_page.h"
#include "table_code_page.h"

#include <stb_truetype.h>

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

namespace {

PreviewFont wholeFont() {
    std::ifstream file(SPLASH_PREVIEW_FONT, std::ios::binary);
    return PreviewFont{"DejaVu Sans", ByteVector(std::istreambuf_iterator<char>(file), {}), 0};
}

} // namespace

TEST(CarriedFont, DrawsAsTheWholeFont) {
    const PreviewFont whole = wholeFont();
    ASSERT_FALSE(whole.bytes.empty()) << SPLASH_PREVIEW_FONT;
    const PreviewFont carried = carriedPreviewFont();
    std::u32string characters;
    for (char32_t c = 0x20; c < 0x7F; ++c)
        characters += c;
    characters += TableCodePage().singleByteCharacters();
    characters += U'\uFFFD';

    // The box of a message of every character, in words of twelve; a malformed byte and a
    // character neither font has (an empty box) at the end.
    std::u32string message;
    for (std::size_t i = 0; i < characters.size(); ++i)
        message += (i % 12 || i == 0 ? U"" : U" ") + std::u32string(1, characters[i]);
    PreviewPlan plan;
    plan.details = "The screen is too small.";
    plan.message = utf8Of(message + U" \u4E2D") + "\xff";
    PreviewScreen screen;
    screen.width = 1024;
    screen.height = 1024;
    const PreviewImage expected = renderPreview(SplashReport{}, screen, plan, {whole});
    const PreviewImage drawn = renderPreview(SplashReport{}, screen, plan, {carried});
    EXPECT_TRUE(drawn.rgb == expected.rgb);
    EXPECT_EQ(charactersNoFontHas(plan.message, {carried}),
              charactersNoFontHas(plan.message, {whole}));

    // Kerning of every pair, most of which no message above puts side by side.
    stbtt_fontinfo wholeInfo{}, carriedInfo{};
    ASSERT_TRUE(stbtt_InitFont(&wholeInfo, whole.bytes.data(), 0));
    ASSERT_TRUE(stbtt_InitFont(&carriedInfo, carried.bytes.data(), 0));
    int differences = 0;
    for (char32_t first : characters)
        for (char32_t second : characters)
            differences += stbtt_GetCodepointKernAdvance(&wholeInfo, static_cast<int>(first),
                                                         static_cast<int>(second)) !=
                           stbtt_GetCodepointKernAdvance(&carriedInfo, static_cast<int>(first),
                                                         static_cast<int>(second));
    EXPECT_EQ(differences, 0);
}

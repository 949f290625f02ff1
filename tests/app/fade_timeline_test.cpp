// The fade's opacity and its next step at moments of a splash's life, and which systems fade.
#include "fade_timeline.h"

#include <gtest/gtest.h>

TEST(FadeTimeline, OpacityRisesFromTheFirstPaintAndFallsBeforeTheClose) {
    struct Row {
        const char* what;
        UINT since, until, fadeIn, fadeOut;
        unsigned opacity;
        UINT next;
    };
    const Row rows[] = {
        {"no fades", 0, 4000, 0, 0, 255, 0},
        {"the first paint", 0, 4000, 1000, 0, 0, fadeStepInterval},
        {"half-way in", 500, 3500, 1000, 0, 127, fadeStepInterval},
        {"in", 1000, 3000, 1000, 0, 255, 0},
        {"in, a fade-out to come", 1000, 3000, 1000, 800, 255, 2200},
        {"held until the fade-out", 2000, 2000, 0, 800, 255, 1200},
        {"the fade-out starts", 3200, 800, 0, 800, 255, fadeStepInterval},
        {"a quarter of the fade-out left", 3800, 200, 0, 800, 63, fadeStepInterval},
        {"the close", 4000, 0, 1000, 800, 0, 0},
        {"fades that overlap take the lower", 300, 400, 1000, 800, 76, fadeStepInterval},
        {"a fade-in longer than the display", 4000, 0, 60000, 0, 17, 0},
        {"the longest fade-in", 0x7FFFFFFFu, 1, 0xFFFFFFFFu, 0, 127, fadeStepInterval},
        {"the longest fade-out", 0, 0x7FFFFFFFu, 0, 0xFFFFFFFFu, 127, fadeStepInterval},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        EXPECT_EQ(fadeOpacity(row.since, row.until, row.fadeIn, row.fadeOut), row.opacity);
        EXPECT_EQ(nextFadeStep(row.since, row.until, row.fadeIn, row.fadeOut), row.next);
    }
}

TEST(FadeTimeline, OnlyWindows2000AndLaterFade) {
    EXPECT_FALSE(systemFades(OsVersion{1, 4, 0}));
    EXPECT_FALSE(systemFades(OsVersion{1, 4, 10}));
    EXPECT_FALSE(systemFades(OsVersion{1, 4, 90}));
    EXPECT_FALSE(systemFades(OsVersion{2, 4, 0}));
    EXPECT_TRUE(systemFades(OsVersion{2, 5, 0}));
    EXPECT_TRUE(systemFades(OsVersion{2, 5, 1}));
    EXPECT_TRUE(systemFades(OsVersion{2, 10, 0}));
    EXPECT_FALSE(systemFades(OsVersion{0, 0, 0}));
}

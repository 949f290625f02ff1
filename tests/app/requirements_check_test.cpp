// The requirements check on the running system: each test at its boundary, the message chosen,
// and one box however many tests fail.
#include "requirements_check.h"

#include "os_version.h"
#include "screen_values.h"
#include "splash_settings.h"
#include "test_windows.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const char* const defaultText =
    "Sorry, your system does not meet all of the necessary system requirements.";

// Requirements that the running machine meets exactly, at every boundary.
void requireThisMachine() {
    splashSettings.requiredVersions = VersionSet{currentOsVersion()};
    splashSettings.requiredResolution = currentScreenResolution();
    splashSettings.requiredColourBits = currentColourDepth();
    splashSettings.requirementsMessage.clear();
}

struct CheckCase {
    const char* name;
    void (*adjust)();
    bool met;
};

const CheckCase checkCases[] = {
    {"exactly this machine", [] {}, true},
    {"no requirements but the version",
     [] {
         splashSettings.requiredResolution = ScreenResolution();
         splashSettings.requiredColourBits = 0;
     },
     true},
    {"one pixel wider", [] { splashSettings.requiredResolution.width += 1; }, false},
    {"one pixel higher", [] { splashSettings.requiredResolution.height += 1; }, false},
    {"one pixel wider, lower",
     [] {
         splashSettings.requiredResolution.width += 1;
         splashSettings.requiredResolution.height -= 1;
     },
     false},
    {"one pixel higher, narrower",
     [] {
         splashSettings.requiredResolution.height += 1;
         splashSettings.requiredResolution.width -= 1;
     },
     false},
    {"smaller screen required",
     [] {
         splashSettings.requiredResolution.width -= 1;
         splashSettings.requiredResolution.height -= 1;
     },
     true},
    {"one bit more", [] { splashSettings.requiredColourBits += 1; }, false},
    {"negative depth compared signed", [] { splashSettings.requiredColourBits = -1; }, true},
    {"no allowed version", [] { splashSettings.requiredVersions.clear(); }, false},
    {"another version only",
     [] {
         OsVersion other = currentOsVersion();
         other.minor += 1;
         splashSettings.requiredVersions = VersionSet{other};
     },
     false},
    {"this version among others",
     [] {
         OsVersion other = currentOsVersion();
         other.major += 1;
         splashSettings.requiredVersions.insert(other);
     },
     true},
};

TEST(RequirementsCheck, EachTestAtItsBoundary) {
    for (const CheckCase& c : checkCases) {
        SCOPED_TRACE(c.name);
        requireThisMachine();
        c.adjust();
        BoxWatcher watcher;
        const bool met = checkSystemRequirements();
        const std::vector<SeenBox> boxes = watcher.finish();
        EXPECT_EQ(met, c.met);
        ASSERT_EQ(boxes.size(), c.met ? 0u : 1u);
        if (!c.met) {
            EXPECT_EQ(boxes[0].caption, "System Requirements Not Met");
            EXPECT_EQ(boxes[0].text, defaultText);
            EXPECT_EQ(boxes[0].owner, static_cast<HWND>(NULL));
        }
    }
}

TEST(RequirementsCheck, AllThreeFailingGiveOneBox) {
    requireThisMachine();
    splashSettings.requiredVersions.clear();
    splashSettings.requiredResolution.width += 1;
    splashSettings.requiredColourBits += 1;
    BoxWatcher watcher;
    EXPECT_FALSE(checkSystemRequirements());
    pumpFor(200);
    EXPECT_EQ(watcher.finish().size(), 1u);
}

struct MessageCase {
    const char* custom;
    const char* shown;
};

const MessageCase messageCases[] = {
    {"", defaultText},
    {" \t\r\n ", defaultText},
    {"  Needs a larger screen.", "  Needs a larger screen."},
    {"Upgrade\tplease", "Upgrade\tplease"},
};

TEST(RequirementsCheck, CustomMessageOrTheDefault) {
    for (const MessageCase& c : messageCases) {
        SCOPED_TRACE(c.custom);
        requireThisMachine();
        splashSettings.requiredVersions.clear();
        splashSettings.requirementsMessage = c.custom;
        BoxWatcher watcher;
        EXPECT_FALSE(checkSystemRequirements());
        const std::vector<SeenBox> boxes = watcher.finish();
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].text, c.shown);
    }
}

} // namespace

// The splash window class as the system holds it after registerSplashClass.
#include "splash_app.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

TEST(SplashClass, RegisteredWithTheClassTable) {
    HINSTANCE instance = GetModuleHandleA(NULL);
    // The player takes the name from its string table; this program has none, so it names the
    // class itself.
    std::strcpy(windowClassName, "SPLASH_BMP_TEST");
    ASSERT_NE(registerSplashClass(instance), 0);

    WNDCLASSEXA found;
    std::memset(&found, 0xCC, sizeof(found));
    found.cbSize = sizeof(found);
    ASSERT_TRUE(GetClassInfoExA(instance, "SPLASH_BMP_TEST", &found));
    EXPECT_EQ(found.style, static_cast<UINT>(CS_HREDRAW | CS_VREDRAW));
    EXPECT_EQ(found.style, 3u);
    EXPECT_EQ(found.lpfnWndProc, splashWindowProc);
    EXPECT_EQ(found.cbClsExtra, 0);
    EXPECT_EQ(found.cbWndExtra, 0);
    EXPECT_EQ(found.hInstance, instance);
    EXPECT_EQ(found.hIcon, static_cast<HICON>(NULL));
    EXPECT_EQ(found.hIconSm, static_cast<HICON>(NULL));
    EXPECT_EQ(found.hCursor, LoadCursorA(NULL, IDC_ARROW));
    EXPECT_NE(found.hCursor, static_cast<HCURSOR>(NULL));
    EXPECT_EQ(found.hbrBackground, static_cast<HBRUSH>(NULL));
    EXPECT_EQ(found.lpszMenuName, static_cast<LPCSTR>(NULL));

    EXPECT_TRUE(UnregisterClassA("SPLASH_BMP_TEST", instance));
}

} // namespace

// The player's resources as the system loads them back from this executable: the two strings,
// the accelerator table and the two file icons, with their languages.
#include "resource.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>

namespace {

const WORD usEnglish = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);
const WORD ukEnglish = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_UK);

HMODULE self() {
    return GetModuleHandleA(nullptr);
}

BOOL CALLBACK collectLanguage(HMODULE, LPCSTR, LPCSTR, WORD language, LONG_PTR param) {
    reinterpret_cast<std::set<WORD>*>(param)->insert(language);
    return TRUE;
}

std::set<WORD> languagesOf(LPCSTR type, UINT id) {
    std::set<WORD> languages;
    EnumResourceLanguagesA(self(), type, MAKEINTRESOURCEA(id), collectLanguage,
                           reinterpret_cast<LONG_PTR>(&languages));
    return languages;
}

// The bytes of one resource in exactly the given language; empty when there is none.
std::string rawResource(LPCSTR type, UINT id, WORD language) {
    HRSRC found = FindResourceExA(self(), type, MAKEINTRESOURCEA(id), language);
    if (found == nullptr)
        return std::string();
    HGLOBAL loaded = LoadResource(self(), found);
    const char* bytes = static_cast<const char*>(LockResource(loaded));
    return bytes == nullptr ? std::string() : std::string(bytes, SizeofResource(self(), found));
}

unsigned readWord(const std::string& bytes, size_t at) {
    return static_cast<unsigned char>(bytes[at]) | (static_cast<unsigned char>(bytes[at + 1]) << 8);
}

unsigned long readDword(const std::string& bytes, size_t at) {
    return readWord(bytes, at) | (static_cast<unsigned long>(readWord(bytes, at + 2)) << 16);
}

} // namespace

// ---------------------------------------------------------------------------- strings

TEST(Resources, StringsLoadWithTheirTexts) {
    const struct {
        UINT id;
        const char* text;
    } cases[] = {{IDS_WINDOW_TITLE, "Splash_BMP"}, {IDS_WINDOW_CLASS, "SPLASH_BMP"}};
    for (const auto& c : cases) {
        char buffer[100];
        std::memset(buffer, 'x', sizeof buffer);
        int length = LoadStringA(self(), c.id, buffer, sizeof buffer);
        EXPECT_EQ(length, static_cast<int>(std::strlen(c.text))) << c.id;
        EXPECT_STREQ(buffer, c.text) << c.id;
    }
}

TEST(Resources, StringIdsAreTheOnesTheStartUpLoads) {
    EXPECT_EQ(IDS_WINDOW_TITLE, 103);
    EXPECT_EQ(IDS_WINDOW_CLASS, 109);
    EXPECT_EQ(IDR_SPLASH_ACCELERATORS, 109);
    EXPECT_EQ(IDM_CLOSE_SPLASH, 105);
    EXPECT_EQ(IDM_IGNORE_ALT_F4, 32772);
    EXPECT_EQ(IDI_SPLASH_PICTURE, 129);
    EXPECT_EQ(IDI_SPLASH_WINDOW, 130);
}

TEST(Resources, StringBlockIsUsEnglishOnly) {
    // Strings are stored sixteen to a block; 103 and 109 share block 7.
    const UINT block = IDS_WINDOW_TITLE / 16 + 1;
    ASSERT_EQ(block, IDS_WINDOW_CLASS / 16 + 1u);
    EXPECT_EQ(languagesOf(RT_STRING, block), std::set<WORD>{usEnglish});
    EXPECT_FALSE(rawResource(RT_STRING, block, usEnglish).empty());
}

// ---------------------------------------------------------------------------- accelerators

TEST(Resources, AcceleratorTableIsUsEnglishWithTwoRawEntries) {
    EXPECT_EQ(languagesOf(RT_ACCELERATOR, IDR_SPLASH_ACCELERATORS), std::set<WORD>{usEnglish});
    std::string table = rawResource(RT_ACCELERATOR, IDR_SPLASH_ACCELERATORS, usEnglish);
    // Each stored entry: flags, key, command, padding (four 16-bit words); the last entry
    // carries the end-of-table flag 0x80.
    ASSERT_EQ(table.size(), 16u);
    const struct {
        unsigned flags, key, command;
    } expected[] = {{0x03, VK_ESCAPE, 105}, {0x93, VK_F4, 32772}};
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(readWord(table, i * 8), expected[i].flags) << i;
        EXPECT_EQ(readWord(table, i * 8 + 2), expected[i].key) << i;
        EXPECT_EQ(readWord(table, i * 8 + 4), expected[i].command) << i;
    }
}

TEST(Resources, AcceleratorTableCopiesBackItsTwoEntries) {
    HACCEL accelerators = LoadAcceleratorsA(self(), MAKEINTRESOURCEA(IDR_SPLASH_ACCELERATORS));
    ASSERT_NE(accelerators, nullptr);
    ASSERT_EQ(CopyAcceleratorTableA(accelerators, nullptr, 0), 2);
    ACCEL entries[2] = {};
    ASSERT_EQ(CopyAcceleratorTableA(accelerators, entries, 2), 2);
    // The copy leaves out the end-of-table flag.
    EXPECT_EQ(entries[0].fVirt, FVIRTKEY | FNOINVERT);
    EXPECT_EQ(entries[0].fVirt, 0x03);
    EXPECT_EQ(entries[0].key, VK_ESCAPE);
    EXPECT_EQ(entries[0].cmd, IDM_CLOSE_SPLASH);
    EXPECT_EQ(entries[1].fVirt, FVIRTKEY | FNOINVERT | FALT);
    EXPECT_EQ(entries[1].fVirt, 0x13);
    EXPECT_EQ(entries[1].key, VK_F4);
    EXPECT_EQ(entries[1].cmd, IDM_IGNORE_ALT_F4);
    DestroyAcceleratorTable(accelerators);
}

namespace {

WPARAM lastCommand = 0;
int commandCount = 0;

LRESULT CALLBACK recordCommands(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COMMAND) {
        lastCommand = wParam;
        ++commandCount;
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

// Presses or releases Alt in this thread's key state, which the translation reads.
void setAltDown(bool down) {
    BYTE keys[256];
    GetKeyboardState(keys);
    keys[VK_MENU] = keys[VK_LMENU] = down ? 0x80 : 0;
    SetKeyboardState(keys);
}

} // namespace

// The message loop hands each message to the table; keys must come out as the commands the
// window procedure acts on, and nothing else may be taken.
TEST(Resources, AcceleratorTableTranslatesEscAndAltF4) {
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = recordCommands;
    windowClass.hInstance = self();
    windowClass.lpszClassName = "ResourcesTestCommands";
    ASSERT_NE(RegisterClassA(&windowClass), 0);
    HWND window = CreateWindowA("ResourcesTestCommands", "", WS_POPUP, 0, 0, 10, 10, nullptr,
                                nullptr, self(), nullptr);
    ASSERT_NE(window, nullptr);
    HACCEL accelerators = LoadAcceleratorsA(self(), MAKEINTRESOURCEA(IDR_SPLASH_ACCELERATORS));
    ASSERT_NE(accelerators, nullptr);

    const struct {
        UINT message;
        WPARAM key;
        bool alt;
        bool translated;
        WORD command;
    } cases[] = {
        {WM_KEYDOWN, VK_ESCAPE, false, true, IDM_CLOSE_SPLASH},
        {WM_SYSKEYDOWN, VK_F4, true, true, IDM_IGNORE_ALT_F4},
        {WM_KEYDOWN, VK_F4, false, false, 0}, // F4 alone is not in the table
        {WM_KEYDOWN, VK_RETURN, false, false, 0},
        {WM_KEYUP, VK_ESCAPE, false, false, 0}, // only the key press counts
    };
    for (const auto& c : cases) {
        setAltDown(c.alt);
        lastCommand = 0;
        commandCount = 0;
        MSG message = {};
        message.hwnd = window;
        message.message = c.message;
        message.wParam = c.key;
        message.lParam = 1 | (c.alt ? 0x20000000 : 0) | (c.message == WM_KEYUP ? 0xC0000000 : 0);
        int translated = TranslateAcceleratorA(window, accelerators, &message);
        EXPECT_EQ(translated != 0, c.translated) << c.key;
        EXPECT_EQ(commandCount, c.translated ? 1 : 0) << c.key;
        if (c.translated) {
            EXPECT_EQ(LOWORD(lastCommand), c.command) << c.key;
            EXPECT_EQ(HIWORD(lastCommand), 1) << c.key; // 1: sent by an accelerator
        }
    }
    setAltDown(false);
    DestroyAcceleratorTable(accelerators);
    DestroyWindow(window);
    UnregisterClassA("ResourcesTestCommands", self());
}

// ---------------------------------------------------------------------------- icons

namespace {

struct IconImage {
    unsigned size;
    unsigned bitCount;
};

// The order the groups list their images in.
const IconImage expectedImages[9] = {{48, 4},  {48, 8}, {48, 32}, {32, 4}, {32, 8},
                                     {32, 32}, {16, 4}, {16, 8},  {16, 32}};

const size_t groupHeaderSize = 6;
const size_t groupEntrySize = 14;

// Draws one icon image on magenta and reads back a corner and the centre.
void drawOnMagenta(HICON icon, unsigned size, COLORREF& corner, COLORREF& centre) {
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = static_cast<LONG>(size);
    info.bmiHeader.biHeight = static_cast<LONG>(size);
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ previous = SelectObject(dc, bitmap);
    HBRUSH magenta = CreateSolidBrush(RGB(255, 0, 255));
    RECT all = {0, 0, static_cast<LONG>(size), static_cast<LONG>(size)};
    FillRect(dc, &all, magenta);
    DrawIconEx(dc, 0, 0, icon, static_cast<int>(size), static_cast<int>(size), 0, nullptr,
               DI_NORMAL);
    GdiFlush();
    corner = GetPixel(dc, 0, 0);
    centre = GetPixel(dc, static_cast<int>(size / 2), static_cast<int>(size / 2));
    SelectObject(dc, previous);
    DeleteObject(magenta);
    DeleteObject(bitmap);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
}

} // namespace

TEST(Resources, IconGroupsAreUkEnglishWithNineImages) {
    for (UINT group : {IDI_SPLASH_PICTURE, IDI_SPLASH_WINDOW}) {
        SCOPED_TRACE(group);
        EXPECT_EQ(languagesOf(RT_GROUP_ICON, group), std::set<WORD>{ukEnglish});
        std::string directory = rawResource(RT_GROUP_ICON, group, ukEnglish);
        ASSERT_EQ(directory.size(), groupHeaderSize + 9 * groupEntrySize);
        EXPECT_EQ(readWord(directory, 0), 0u); // reserved
        EXPECT_EQ(readWord(directory, 2), 1u); // icons, not cursors
        ASSERT_EQ(readWord(directory, 4), 9u);
        for (int i = 0; i < 9; ++i) {
            SCOPED_TRACE(i);
            size_t at = groupHeaderSize + i * groupEntrySize;
            const IconImage& image = expectedImages[i];
            EXPECT_EQ(static_cast<unsigned char>(directory[at]), image.size);
            EXPECT_EQ(static_cast<unsigned char>(directory[at + 1]), image.size);
            EXPECT_EQ(static_cast<unsigned char>(directory[at + 2]), image.bitCount == 4 ? 16 : 0);
            EXPECT_EQ(readWord(directory, at + 4), 1u); // planes
            EXPECT_EQ(readWord(directory, at + 6), image.bitCount);
        }
    }
}

// Every listed image exists in the same language, is the bitmap the directory says it is, and
// draws with a transparent corner and an opaque centre.
TEST(Resources, IconImagesAreValidAndMasked) {
    for (UINT group : {IDI_SPLASH_PICTURE, IDI_SPLASH_WINDOW}) {
        std::string directory = rawResource(RT_GROUP_ICON, group, ukEnglish);
        ASSERT_EQ(directory.size(), groupHeaderSize + 9 * groupEntrySize);
        for (int i = 0; i < 9; ++i) {
            SCOPED_TRACE(::testing::Message() << "group " << group << " image " << i);
            size_t at = groupHeaderSize + i * groupEntrySize;
            const IconImage& image = expectedImages[i];
            UINT id = readWord(directory, at + 12);
            EXPECT_EQ(languagesOf(RT_ICON, id), std::set<WORD>{ukEnglish});
            std::string bits = rawResource(RT_ICON, id, ukEnglish);
            ASSERT_EQ(bits.size(), readDword(directory, at + 8));
            ASSERT_GE(bits.size(), 40u);
            EXPECT_EQ(readDword(bits, 0), 40u); // BITMAPINFOHEADER
            EXPECT_EQ(readDword(bits, 4), image.size);
            EXPECT_EQ(readDword(bits, 8), 2 * image.size); // colour bits and mask
            EXPECT_EQ(readWord(bits, 14), image.bitCount);
            unsigned long paletteSize = image.bitCount <= 8 ? 1ul << image.bitCount : 0;
            unsigned long stride = (image.size * image.bitCount + 31) / 32 * 4;
            unsigned long maskStride = (image.size + 31) / 32 * 4;
            EXPECT_EQ(bits.size(), 40 + 4 * paletteSize + image.size * (stride + maskStride));

            HICON icon = CreateIconFromResourceEx(
                reinterpret_cast<PBYTE>(&bits[0]), static_cast<DWORD>(bits.size()), TRUE,
                0x00030000, static_cast<int>(image.size), static_cast<int>(image.size), 0);
            ASSERT_NE(icon, nullptr);
            COLORREF corner = 0, centre = 0;
            drawOnMagenta(icon, image.size, corner, centre);
            EXPECT_EQ(corner, RGB(255, 0, 255));
            EXPECT_NE(centre, RGB(255, 0, 255));
            DestroyIcon(icon);
        }
    }
}

// The shell picks an image per size from the group; each standard size must find its own.
TEST(Resources, IconGroupsServeEachStandardSize) {
    for (UINT group : {IDI_SPLASH_PICTURE, IDI_SPLASH_WINDOW}) {
        std::string directory = rawResource(RT_GROUP_ICON, group, ukEnglish);
        ASSERT_FALSE(directory.empty());
        for (int size : {16, 32, 48}) {
            SCOPED_TRACE(::testing::Message() << "group " << group << " size " << size);
            int id = LookupIconIdFromDirectoryEx(reinterpret_cast<PBYTE>(&directory[0]), TRUE, size,
                                                 size, LR_DEFAULTCOLOR);
            bool listed = false;
            for (int i = 0; i < 9; ++i) {
                size_t at = groupHeaderSize + i * groupEntrySize;
                if (static_cast<int>(readWord(directory, at + 12)) == id)
                    listed = static_cast<unsigned char>(directory[at]) == size;
            }
            EXPECT_TRUE(listed) << id;
            HANDLE icon = LoadImageA(self(), MAKEINTRESOURCEA(group), IMAGE_ICON, size, size, 0);
            EXPECT_NE(icon, nullptr);
            if (icon != nullptr)
                DestroyIcon(static_cast<HICON>(icon));
        }
    }
}

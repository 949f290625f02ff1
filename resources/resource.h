// Identifiers of the player's resources, shared by the resource script and the code that loads
// them; plain defines so that the resource compiler reads this file too.
#pragma once

// Strings: the splash window's title and its window class name.
#define IDS_WINDOW_TITLE 103
#define IDS_WINDOW_CLASS 109

// Keyboard accelerators translated by the message loop.
#define IDR_SPLASH_ACCELERATORS 109

// Commands of the accelerator table: Esc closes the splash; Alt+F4 is taken by the table so
// that the system's own close never sees it, and its command does nothing.
#define IDM_CLOSE_SPLASH 105
#define IDM_IGNORE_ALT_F4 32772

// The file's icons, shown by the shell only.
#define IDI_SPLASH_PICTURE 129
#define IDI_SPLASH_WINDOW 130

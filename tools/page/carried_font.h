// The part of DejaVu Sans the page and splashpack carry for their previews: every character the
// single-byte code pages but 874 can show, ASCII and U+FFFD, drawn as the whole font draws them.
#pragma once

#include "splash_preview.h"

PreviewFont carriedPreviewFont();

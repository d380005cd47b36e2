// The four icons a message box shows (stop, exclamation, information, question), drawn in
// the classic 32 × 32 look.
#pragma once

#include "Windows.h"

constexpr int kSystemIconSize = 32;

// Draws the icon of a box type's MB_ICON* bits with its top-left at (x, y); an icon value
// that names none of the four draws nothing and answers FALSE.
BOOL DrawSystemIcon(HDC dc, int x, int y, UINT icon);

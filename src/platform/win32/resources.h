// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Resource numbers shared by the window code and moltiplix.rc.
#define IDI_MOLTIPLIX 1
#define IDC_GAME_POINTER 2
#define IDC_ICON_POINTER 3
#define IDI_NEXT 10
#define IDI_NEXT_PRESSED 11
#define IDI_NEXT_DISABLED 12
#define IDI_EXIT 13
#define IDI_CLOCK 14

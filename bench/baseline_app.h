// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>

class QApplication;

// A bare Qt Widgets program: one input dialog, then one maximised main window with a
// label that a one-second timer counts down.
int runBaseline(int& argc, char** argv, const std::function<void(QApplication&)>& prepare = {});

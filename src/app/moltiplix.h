// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>

class QApplication;

// The whole program: creates the game window and runs it until the game ends.
// prepare, if given, runs once the application object exists (the benchmark uses it).
int runMoltiplix(int& argc, char** argv, const std::function<void(QApplication&)>& prepare = {});

// SPDX-License-Identifier: GPL-3.0-or-later
#include "baseline_app.h"

int main(int argc, char* argv[])
{
    return runBaseline(argc, argv);
}

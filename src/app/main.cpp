// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/moltiplix.h"

int main(int argc, char* argv[])
{
    return runMoltiplix(argc, argv);
}

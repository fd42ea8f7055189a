#include "app/moltiplix.h"

int main(int argc, char* argv[])
{
    return runMoltiplix(argc, argv);
}

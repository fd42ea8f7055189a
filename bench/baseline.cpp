#include "baseline_app.h"

int main(int argc, char* argv[])
{
    return runBaseline(argc, argv);
}

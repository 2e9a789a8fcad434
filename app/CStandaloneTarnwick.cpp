#include "app/CStandaloneTarnwick.h"

// The save engine is not in this build yet: the command-line run saves nothing and reports
// failure through its exit code.
int CStandaloneTarnwick::Run(const CommandLineOptions&)
{
    return 1;
}

bool CStandaloneTarnwick::Progress(double)
{
    return true;
}

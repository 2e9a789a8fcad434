#include "framework/AppModule.h"

CAppModule& AppModule()
{
    static CAppModule module;
    return module;
}

// Whether an INF name is a third-party ("oem") driver's rather than one of the system's own.
#pragma once

#include <string>

// True when "oem" occurs anywhere in the name, in any case.
bool IsOemInfName(const std::wstring& name);

#pragma once

// True only when this is a 32-bit process running on 64-bit Windows. IsWow64Process is
// looked up at run time, so the program still starts on systems that lack it.
bool IsWow64();

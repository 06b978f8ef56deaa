// A library that loads but lacks the archive entry point.
#include <windows.h>

extern "C" __declspec(dllexport) int WINAPI NotTheEntry() { return 0; }

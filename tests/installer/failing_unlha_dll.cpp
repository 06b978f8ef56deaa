// Stands in for the archive library: it has the entry point, and any
// extraction asked of it fails.
#include <windows.h>

extern "C" __declspec(dllexport) int WINAPI Unlha(HWND, LPCSTR, LPSTR, DWORD) { return 1; }

#pragma once
// What the installer can use as ProjectName and GameTitle: both become file
// names on the target system (the game folder and archive, the shortcut),
// and both travel through Setup.ini, whose reader trims blanks and quotes.
#include <string>

namespace gamedisk {

// Throws std::invalid_argument with the reason when `text`, already in the
// installer's code page, cannot serve as the named setting. The check walks
// double-byte characters whole: the 0x5C trail byte of a Shift-JIS
// character is not a backslash.
void checkSetupName(const std::string& text, unsigned codePage, const char* setting, std::size_t maxBytes);

}  // namespace gamedisk

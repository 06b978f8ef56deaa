#pragma once
// The command line Unlha accepts (syntax in Unlha32.h).
#include <string>
#include <string_view>
#include <vector>

namespace unlha {

struct Argument {
    std::string text;
    bool quoted = false;  // any part was in double quotes: never a switch
};

// Splits at blanks outside double quotes; throws Failure(BAD_COMMAND) on an
// unclosed quote.
std::vector<Argument> splitArguments(std::string_view line);

struct ExtractCommand {
    std::string archive;
    std::string folder;
    bool unattended = false;  // -+
};

// Throws Failure(BAD_COMMAND) naming what is wrong.
ExtractCommand parseCommand(std::string_view line);

}  // namespace unlha

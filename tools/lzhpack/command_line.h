#pragma once
// Command-line pieces shared by the packing tools. Errors are
// std::invalid_argument carrying the message for the user.
#include <string>

namespace lzhpack {

// Matches argv[i] against "-s VALUE", "--long VALUE" or "--long=VALUE"
// (shortOpt may be null); on a match stores VALUE, advancing i past a
// separate one.
bool optionValue(int& i, int argc, char** argv, const char* shortOpt, const char* longOpt, std::string& value);

// A decimal number in [min, max]; `what` names it in the error.
unsigned decimalOption(const std::string& text, unsigned min, unsigned max, const char* what);

}  // namespace lzhpack

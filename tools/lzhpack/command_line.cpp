#include "command_line.h"

#include <cstdlib>
#include <stdexcept>

namespace lzhpack {

bool optionValue(int& i, int argc, char** argv, const char* shortOpt, const char* longOpt, std::string& value) {
    const std::string a = argv[i], longPrefix = std::string(longOpt) + "=";
    if ((shortOpt && a == shortOpt) || a == longOpt) {
        if (i + 1 >= argc) throw std::invalid_argument(a + " needs a value");
        value = argv[++i];
        return true;
    }
    if (a.rfind(longPrefix, 0) == 0) {
        value = a.substr(longPrefix.size());
        return true;
    }
    return false;
}

unsigned decimalOption(const std::string& text, unsigned min, unsigned max, const char* what) {
    char* end = nullptr;
    const unsigned long v = std::strtoul(text.c_str(), &end, 10);
    if (text.empty() || text[0] == '-' || *end || v < min || v > max)
        throw std::invalid_argument(std::string("bad ") + what + " '" + text + "'");
    return static_cast<unsigned>(v);
}

}  // namespace lzhpack

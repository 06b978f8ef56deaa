#include "setup_names.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <stdexcept>
#include <string_view>

#include "lha/path.h"

namespace gamedisk {
namespace {

std::string upper(std::string_view s) {
    std::string out(s);
    std::transform(out.begin(), out.end(), out.begin(), [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return out;
}

// CON, NUL, COM1 ... name devices on Windows with or without an extension,
// so "NUL.lzh" or "CON.lnk" would never become files.
bool isDeviceName(std::string_view name) {
    const std::string stem = upper(name.substr(0, name.find('.')));
    static const std::array<std::string_view, 6> plain = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"};
    if (std::find(plain.begin(), plain.end(), stem) != plain.end()) return true;
    return stem.size() == 4 && (stem.starts_with("COM") || stem.starts_with("LPT")) && stem[3] >= '1' && stem[3] <= '9';
}

}  // namespace

void checkSetupName(const std::string& text, unsigned codePage, const char* setting, std::size_t maxBytes) {
    const std::string what = setting;
    if (text.empty()) throw std::invalid_argument(std::string(setting) + " is empty");
    if (text.size() > maxBytes) throw std::invalid_argument(what + " is longer than " + std::to_string(maxBytes) + " bytes");
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (lha::isLeadByte(codePage, c)) {
            ++i;
            continue;
        }
        if (c < 0x20 || c == 0x7F) throw std::invalid_argument(std::string(setting) + " holds a control character");
        if (std::string_view("\\/:*?\"<>|").find(static_cast<char>(c)) != std::string_view::npos)
            throw std::invalid_argument(what + " holds '" + std::string(1, static_cast<char>(c)) +
                                        "', which file names cannot contain");
    }
    if (text.front() == ' ' || text.back() == ' ' || text.back() == '.')
        throw std::invalid_argument(what + " starts or ends with a blank or ends with a dot, which Windows drops from names");
    if (text.size() >= 2 && text.front() == '\'' && text.back() == '\'')
        throw std::invalid_argument(what + " is enclosed in quotes, which Setup.ini readers strip");
    if (isDeviceName(text)) throw std::invalid_argument(what + " is a Windows device name; its files would collide with the device");
}

}  // namespace gamedisk

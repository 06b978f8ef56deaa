#include "native_names.h"

#include <vector>

#include "lha/error.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <cerrno>
#include <iconv.h>
#endif

namespace lzhpack {
namespace {

lha::Error unconvertible(const std::string& what, unsigned codePage) {
    return lha::Error(lha::Errc::Limit, "\"" + what + "\" cannot be written in code page " + std::to_string(codePage) +
                                            " (choose another with --codepage)");
}

#ifdef _WIN32

std::string fromWide(const std::wstring& wide, unsigned codePage, const std::string& shown) {
    if (wide.empty()) return {};
    const DWORD flags = codePage == CP_UTF8 ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS;
    BOOL usedDefault = FALSE;
    BOOL* usedDefaultArg = codePage == CP_UTF8 ? nullptr : &usedDefault;
    const int n = WideCharToMultiByte(codePage, flags, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, usedDefaultArg);
    if (n <= 0 || usedDefault) throw unconvertible(shown, codePage);
    std::string out(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(codePage, flags, wide.data(), static_cast<int>(wide.size()), out.data(), n, nullptr, usedDefaultArg);
    return out;
}

#else

// Converts UTF-8 bytes with iconv, refusing anything inexact.
std::string fromUtf8(const std::string& utf8, unsigned codePage) {
    if (codePage == 65001) return utf8;
    const std::string target = "CP" + std::to_string(codePage);
    iconv_t cd = iconv_open(target.c_str(), "UTF-8");
    if (cd == reinterpret_cast<iconv_t>(-1)) throw lha::Error(lha::Errc::Limit, "code page " + std::to_string(codePage) + " is not supported here");
    struct Closer {
        iconv_t cd;
        ~Closer() { iconv_close(cd); }
    } closer{cd};
    std::string in = utf8;
    std::vector<char> out(in.size() * 4 + 16);
    char* inPtr = in.data();
    std::size_t inLeft = in.size();
    char* outPtr = out.data();
    std::size_t outLeft = out.size();
    if (iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) == static_cast<std::size_t>(-1) || inLeft != 0) throw unconvertible(utf8, codePage);
    return std::string(out.data(), out.size() - outLeft);
}

#endif

}  // namespace

std::string toCodePage(const std::filesystem::path& name, unsigned codePage) {
#ifdef _WIN32
    return fromWide(name.wstring(), codePage, name.string());
#else
    return fromUtf8(name.string(), codePage);
#endif
}

#ifdef _WIN32
namespace {

std::wstring fromLocal(const std::string& localText) {
    const int n = MultiByteToWideChar(CP_ACP, 0, localText.data(), static_cast<int>(localText.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(n > 0 ? n : 0), L'\0');
    if (n > 0) MultiByteToWideChar(CP_ACP, 0, localText.data(), static_cast<int>(localText.size()), wide.data(), n);
    return wide;
}

}  // namespace
#endif

std::filesystem::path localPath(const std::string& text) {
#ifdef _WIN32
    return std::filesystem::path(fromLocal(text));
#else
    return std::filesystem::path(text);
#endif
}

std::string textToCodePage(const std::string& localText, unsigned codePage) {
#ifdef _WIN32
    return fromWide(fromLocal(localText), codePage, localText);
#else
    return fromUtf8(localText, codePage);
#endif
}

}  // namespace lzhpack

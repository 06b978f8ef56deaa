#pragma once
// Errors of the LHA library. Every failure is reported by throwing lha::Error
// with one of these codes; nothing in the library aborts or crashes on bad
// input. A caller that needs a plain status (the DLL) catches lha::Error.
#include <stdexcept>
#include <string>

namespace lha {

enum class Errc {
    Io = 1,             // the input or output failed (read error, short write, open failure)
    NotAnArchive,       // no member header found (within the self-extractor scan limit)
    BadHeader,          // a member header is malformed: sizes, checksum, extended headers
    BadHeaderCrc,       // the level 1..3 header CRC (extended header 0x00) does not match
    Truncated,          // the archive ends inside a header or inside a member's data
    UnsupportedMethod,  // the member uses a method this library does not decode
    BadData,            // the compressed stream is invalid (bad table, distance, overrun)
    CrcMismatch,        // decoded data does not match the member's CRC-16
    LengthMismatch,     // decoded data length differs from the member's stated length
    Cancelled,          // the progress callback asked to stop
    Limit,              // an option's limit was exceeded (e.g. the output size cap)
};

const char* errcName(Errc code) noexcept;

class Error : public std::runtime_error {
public:
    Error(Errc code, const std::string& what) : std::runtime_error(what), code_(code) {}
    Errc code() const noexcept { return code_; }

private:
    Errc code_;
};

}  // namespace lha

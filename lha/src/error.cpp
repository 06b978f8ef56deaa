#include "lha/error.h"

namespace lha {

const char* errcName(Errc code) noexcept {
    switch (code) {
    case Errc::Io: return "I/O error";
    case Errc::NotAnArchive: return "not an LHA archive";
    case Errc::BadHeader: return "bad header";
    case Errc::BadHeaderCrc: return "header CRC error";
    case Errc::Truncated: return "truncated";
    case Errc::UnsupportedMethod: return "unsupported method";
    case Errc::BadData: return "bad compressed data";
    case Errc::CrcMismatch: return "CRC error";
    case Errc::LengthMismatch: return "length mismatch";
    case Errc::Cancelled: return "cancelled";
    case Errc::Limit: return "limit exceeded";
    }
    return "error";
}

}  // namespace lha

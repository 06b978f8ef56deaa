#pragma once
// Codes members of at most one encoder chunk in one call, for callers that
// code many small members in parallel: the output is byte for byte what the
// streaming Encoder makes of the same data, and one coder's tables serve
// member after member.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "lha/encoder.h"

namespace lha::encoder_detail {

inline constexpr std::size_t kWholeMemberLimit = std::size_t{1} << 20;  // the encoder's chunk

class WholeMemberCoder {
public:
    explicit WholeMemberCoder(CompressionMethod method);
    ~WholeMemberCoder();
    WholeMemberCoder(const WholeMemberCoder&) = delete;
    WholeMemberCoder& operator=(const WholeMemberCoder&) = delete;

    // The compressed stream of `data` (at most kWholeMemberLimit bytes).
    std::vector<std::uint8_t> code(std::span<const std::uint8_t> data);

private:
    struct State;
    std::unique_ptr<State> state_;
};

}  // namespace lha::encoder_detail

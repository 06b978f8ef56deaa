#pragma once
// The one error type of the library: a result code for the caller and a
// message for the output buffer. It never leaves Unlha.
#include <stdexcept>
#include <string>

#include "Unlha32.h"

namespace unlha {

class Failure : public std::runtime_error {
public:
    Failure(UnlhaResult result, const std::string& message) : std::runtime_error(message), result_(result) {}
    UnlhaResult result() const noexcept { return result_; }

private:
    UnlhaResult result_;
};

}  // namespace unlha

#pragma once
// Where a member may land inside the target folder (policy in Unlha32.h).
#include <cstdint>
#include <string>
#include <vector>

#include "lha/header.h"

namespace unlha {

struct MemberPath {
    std::vector<std::string> components;  // folders, then the file name; empty when refused
    std::string shown;                    // the name for messages and the progress window
    bool refused = false;
    std::string refusal;                  // why, when refused
    bool nothingToDo = false;             // a nameless folder entry: skipped, not a failure
};

// The member's path rewritten for `systemCodePage` (the names are written
// with the ANSI API) and made safe.
MemberPath safeMemberPath(const lha::MemberHeader& member, unsigned systemCodePage);

// Components joined with backslashes.
std::string joinPath(const std::vector<std::string>& parts);

}  // namespace unlha

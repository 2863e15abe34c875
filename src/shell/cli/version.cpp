#include "shell/cli/version.h"

// QUORLIX_VERSION and QUORLIX_GIT_COMMIT, written when the build is
// configured (the commit is empty outside a git checkout).
#include "quorlix_build_info.h"

namespace quorlix::cli {

std::string version_text(std::string_view commit) {
    std::string text = "quorlix (Quorlix) " QUORLIX_VERSION "\n";
    if (!commit.empty()) {
        text += "Built from commit ";
        text += commit;
        text += ".\n";
    }
    text +=
        "Copyright (c) 2026 The Quorlix authors.\n"
        "License MIT: <https://opensource.org/license/mit>.\n"
        "This is free software: you are free to change and redistribute it.\n"
        "There is NO WARRANTY, to the extent permitted by law.\n";
    return text;
}

std::string version_text() { return version_text(QUORLIX_GIT_COMMIT); }

}  // namespace quorlix::cli

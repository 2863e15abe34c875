// Replacing a page so that at every instant it exists under its own name,
// either as it was or converted: the backup is made beside it (a hard link,
// or a copy where links are not possible) and the converted file then takes
// the page's name in one atomic step.
#pragma once

#include <string>

namespace quorlix::platform {

// Makes backup hold the content of original. A file already at the
// backup's name is never replaced (the call fails then). The original is
// not touched. False when no backup could be made.
bool make_backup(const std::string& original, const std::string& backup);

// Moves from onto to in one step, replacing to if it exists.
bool replace_file(const std::string& from, const std::string& to);

}  // namespace quorlix::platform

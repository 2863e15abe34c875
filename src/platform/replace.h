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

// The permission bits of a page, given to the converted file that this
// process created for itself alone (Linux; Windows keeps the attributes the
// file was created with).
void give_mode_to_converted(const std::string& converted, unsigned mode);

// The mode of a page, given to its converted copy in an output directory
// once that has its name: a read-only page gives a read-only copy (Windows;
// on Linux the converted file had the page's bits already).
void give_mode_to_copy(const std::string& copy, unsigned mode);

}  // namespace quorlix::platform

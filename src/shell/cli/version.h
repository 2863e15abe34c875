// The text of --version: name and version, the commit the program was built
// from when the build knew it, copyright, licence and warranty.
#pragma once

#include <string>
#include <string_view>

namespace quorlix::cli {

// The text for a build of the given commit; no commit line when it is empty.
std::string version_text(std::string_view commit);

// The text for this build.
std::string version_text();

}  // namespace quorlix::cli

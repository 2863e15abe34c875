#include "shell/cli/version.h"
#include "supervisor/conversion_run.h"

#include <gtest/gtest.h>

#include <string>

namespace quorlix::cli {
namespace {

// --version and the banner of a run ("Quorlix 1.0.0") tell the same
// version; a build from a commit names it on the second line.
TEST(Version, NamesTheBannersVersionAndTheCommit) {
    const std::string plain = version_text(""), built = version_text("1a2b3c4");
    const std::string first = plain.substr(0, plain.find('\n'));
    const std::string banner = product_banner_name;
    EXPECT_EQ(first.substr(first.rfind(' ')), banner.substr(banner.rfind(' ')));
    EXPECT_EQ(built, first + "\nBuilt from commit 1a2b3c4.\n" + plain.substr(first.size() + 1));
}

}  // namespace
}  // namespace quorlix::cli

// Helpers shared by the unit and golden tests: scratch folders, whole-file
// reads and writes, and a conversion of a text through the real pipeline.
#pragma once

#include "base/options.h"

#include <filesystem>
#include <string>
#include <vector>

namespace quorlix::testing {

namespace fs = std::filesystem;

// A fresh empty folder, removed with everything in it when the object dies.
class ScratchDir {
public:
    ScratchDir();
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;
    const fs::path& path() const { return path_; }
    std::string file(const std::string& name) const { return (path_ / name).string(); }

private:
    fs::path path_;
};

std::string read_file(const fs::path& path);
void write_file(const fs::path& path, const std::string& bytes);

// The native path of relative (with /) below dir, as the program joins it.
std::string path_in(const fs::path& dir, const std::string& relative);

// Names in the folder that start with "qlx" (temporary files left behind).
std::vector<std::string> temporary_files_in(const fs::path& folder);

// Converts bytes as the file page.html in a scratch folder.
struct ConversionResult {
    int status = 0;
    std::string output;  // the page afterwards
    std::string log;     // everything the conversion printed
    bool temporary_left = false;
};
ConversionResult convert_text(const std::string& input, const ConversionOptions& options = {});

// The folder with the test data (tests/).
fs::path test_data_dir();

}  // namespace quorlix::testing

#include "support/test_support.h"

#include "base/diagnostics.h"
#include "base/paths.h"
#include "converter/pipeline.h"

#include <atomic>
#include <chrono>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace quorlix::testing {

ScratchDir::ScratchDir() {
    static std::atomic<unsigned> counter{0};
    auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    fs::path base = fs::temp_directory_path();
    for (;;) {
        path_ = base / ("quorlix-test-" + std::to_string(stamp) + "-" + std::to_string(counter++));
        if (fs::create_directory(path_)) break;
    }
}

ScratchDir::~ScratchDir() {
    std::error_code error;
    // Read-only files must become writable again before removal on Windows.
    for (auto& entry : fs::recursive_directory_iterator(path_, error)) {
        fs::permissions(entry.path(), fs::perms::owner_write, fs::perm_options::add, error);
    }
    fs::remove_all(path_, error);
}

std::string read_file(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + path.string());
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void write_file(const fs::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + path.string());
}

std::string path_in(const fs::path& dir, const std::string& relative) {
    std::string path = dir.string();
    for (const auto& part : fs::path(relative)) path = *join_path(path, part.string(), std::nullopt);
    return path;
}

std::vector<std::string> temporary_files_in(const fs::path& folder) {
    std::vector<std::string> names;
    for (auto& entry : fs::directory_iterator(folder)) {
        std::string name = entry.path().filename().string();
        if (name.rfind("qlx", 0) == 0) names.push_back(name);
    }
    return names;
}

ConversionResult convert_text(const std::string& input, const ConversionOptions& options) {
    ScratchDir dir;
    std::string page = dir.file("page.html");
    write_file(page, input);
    StringSink sink;
    Diagnostics diagnostics(options, sink, sink);
    ConversionResult result;
    result.status = convert_file(page, options, diagnostics);
    result.output = read_file(page);
    result.log = sink.text();
    result.temporary_left = !temporary_files_in(dir.path()).empty();
    return result;
}

fs::path test_data_dir() { return fs::path(QUORLIX_TEST_DATA); }

}  // namespace quorlix::testing

// Converts arbitrary bytes through the whole in-process conversion:
// screening, the rewriter, the final write and the table section pass.
// The first byte chooses the options. Besides the sanitizers' findings it
// checks the all-or-nothing promise: a failed conversion leaves the page as
// it was, and no temporary file is ever left behind.
#include "converter/diagnostics.h"
#include "converter/pipeline.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// A scratch folder of the run's own, removed when the run ends.
struct WorkFolder {
    fs::path path;
    WorkFolder() {
        char name[] = "/tmp/quorlix-fuzz-XXXXXX";
        if (::mkdtemp(name) == nullptr) std::abort();
        path = name;
    }
    ~WorkFolder() {
        std::error_code ignored;
        fs::remove_all(path, ignored);
    }
};

const fs::path& work_folder() {
    static const WorkFolder folder;
    return folder.path;
}

std::string read_all(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    quorlix::ConversionOptions options;
    options.verbose = false;
    options.no_backup = true;
    if (size > 0) {
        std::uint8_t switches = data[0];
        options.standard_css_only = switches & 1;
        options.delete_img_border = switches & 2;
        options.delete_td_scope = switches & 4;
        options.move_viewport_meta = switches & 8;
        options.drop_prev_next_links = switches & 16;
        options.verbose = switches & 32;
        ++data;
        --size;
    }
    const std::string input(reinterpret_cast<const char*>(data), size);
    const fs::path page = work_folder() / "page.html";
    {
        std::ofstream out(page, std::ios::binary | std::ios::trunc);
        out.write(input.data(), static_cast<std::streamsize>(input.size()));
    }
    quorlix::StringSink log;
    quorlix::Diagnostics diagnostics(options, log, log);
    int status = quorlix::convert_file(page.string(), options, diagnostics);

    if (status != 0 && read_all(page) != input) {
        std::fprintf(stderr, "a failed conversion changed the page:\n%s\n", log.text().c_str());
        std::abort();
    }
    for (const auto& entry : fs::directory_iterator(work_folder())) {
        if (entry.path().filename() != "page.html") {
            std::fprintf(stderr, "left behind: %s\n", entry.path().c_str());
            std::abort();
        }
    }
    return 0;
}

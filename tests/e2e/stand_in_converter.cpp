// A converter process for the tests of the launch: it loads its settings
// block and attaches its output exactly as the real converter does, but
// instead of converting it writes the file's bytes into the pipe in one
// piece, and fails when they start with "FAIL"; when they start with "CRASH"
// it ends at once with status 70, as a converter killed from outside or
// crashed would end, without finishing. For a file that holds NOPIPE it
// plays a converter that could not attach its pipe: it says so in the block
// alone and ends with status 1. The file REPORT makes it
// describe the process it runs in (Linux: its descriptors and its process
// group).
#include "converter/converter_entry.h"
#include "platform/process.h"
#include "settings_block/settings_block.h"

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#ifndef _WIN32
#include <dirent.h>
#include <unistd.h>
#endif

namespace {

std::string describe_process() {
    std::string report;
#ifndef _WIN32
    report += getpgid(0) == getpid() ? "own process group\n" : "shared process group\n";
    if (DIR* dir = opendir("/proc/self/fd")) {
        int own = dirfd(dir);
        while (const dirent* entry = readdir(dir)) {
            std::string name = entry->d_name;
            if (name == "." || name == ".." || std::stoi(name) == own) continue;
            char target[512];
            ssize_t n = readlink(("/proc/self/fd/" + name).c_str(), target, sizeof target - 1);
            std::string where = n > 0 ? std::string(target, static_cast<std::size_t>(n)) : "?";
            if (where.rfind("pipe:", 0) == 0) where = "pipe";
            report += "fd " + name + " " + where + "\n";
        }
        closedir(dir);
    }
#endif
    return report;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return 3;
    auto handle_text = quorlix::find_converter_argument(argv[1]);
    if (!handle_text) return 3;
    if (auto handle = quorlix::block::parse_handle(*handle_text)) {
        // A copy of the handle: the real start below opens the block again.
        auto memory = quorlix::platform::SharedMemory::open_inherited(
            quorlix::platform::duplicate_handle(static_cast<quorlix::platform::NativeHandle>(*handle)),
            quorlix::block::fixed_size);
        if (memory) {
            std::span<unsigned char> region(memory->data(), memory->size());
            std::ifstream in(quorlix::block::read(region).file_name, std::ios::binary);
            std::string first;
            in >> first;
            if (first == "NOPIPE") {
                quorlix::block::store_redirect_result(region, -1);
                return 1;
            }
        }
    }
    auto status = quorlix::run_converter_process(
        *handle_text, [](const std::string& file, const quorlix::ConversionOptions&,
                         quorlix::Diagnostics& diagnostics) {
            std::ifstream in(file, std::ios::binary);
            std::ostringstream bytes;
            bytes << in.rdbuf();
            std::string content = bytes.str();
            if (content == "REPORT") content = describe_process();
            diagnostics.progress_stream().write(content);
            diagnostics.progress_stream().flush();
            if (content.rfind("CRASH", 0) == 0) std::_Exit(70);
            return content.rfind("FAIL", 0) == 0 ? -1 : 0;
        });
    // 4: the block was refused.
    return status.value_or(4);
}

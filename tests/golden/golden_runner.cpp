// Runs every golden case under tests/golden/<area>/<case>/:
//   input.html      the page as it is before the conversion
//   expected.html   the page afterwards, byte for byte (absent: it must stay
//                   byte-identical to input.html)
//   expected.log    everything the conversion prints (LF line ends)
//   case.txt        optional lines "key: value":
//                     options: command-line options for the conversion
//                     status:  expected result, 0 (default), 1 (refused) or
//                              2 (skipped: HTML5 already)
//                     setup:   read-only-input, old-backup, output-dir,
//                              output-dir-same, read-only-existing-target
//                     rendering: for tests/rendering/render_check.py (check,
//                              xhtml, or "differs: REASON"); not read here
// The page is converted as page.html in a scratch folder that is the current
// directory, so the names in the log are short and the same everywhere.
#include "base/diagnostics.h"
#include "converter/pipeline.h"
#include "shell/cli/cli_options.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <sstream>

namespace quorlix::testing {
namespace {

std::map<std::string, std::string> read_case_file(const fs::path& path) {
    std::map<std::string, std::string> keys;
    if (!fs::exists(path)) return keys;
    std::istringstream lines(read_file(path));
    std::string line;
    while (std::getline(lines, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        auto colon = line.find(':');
        if (line.empty() || line[0] == '#' || colon == std::string::npos) continue;
        std::string value = line.substr(colon + 1);
        value.erase(0, value.find_first_not_of(' '));
        keys[line.substr(0, colon)] = value;
    }
    return keys;
}

std::vector<std::string> split_words(const std::string& text) {
    std::istringstream words(text);
    std::vector<std::string> result;
    std::string word;
    while (words >> word) result.push_back(word);
    return result;
}

// Slashes as on Linux, so that one expected log serves both platforms.
std::string with_forward_slashes(std::string text) {
    std::replace(text.begin(), text.end(), '\\', '/');
    return text;
}

class GoldenCase : public ::testing::Test {
public:
    explicit GoldenCase(fs::path folder) : folder_(std::move(folder)) {}

    void TestBody() override {
        auto keys = read_case_file(folder_ / "case.txt");
        const std::string input = read_file(folder_ / "input.html");
        const bool expect_output = fs::exists(folder_ / "expected.html");
        const int expected_status = keys.count("status") ? std::stoi(keys["status"])
                                                         : (expect_output ? 0 : 1);
        const std::string setup = keys["setup"];

        ScratchDir dir;
        fs::path previous = fs::current_path();
        fs::current_path(dir.path());
        struct Restore {
            fs::path to;
            ~Restore() { fs::current_path(to); }
        } restore{previous};

        write_file("page.html", input);
        std::vector<std::string> arguments = split_words(keys["options"]);
        fs::path target_folder = ".";
        const std::string old_backup = "an older backup\n";
        if (setup == "read-only-input") {
            fs::permissions("page.html", fs::perms::owner_write | fs::perms::group_write |
                                             fs::perms::others_write, fs::perm_options::remove);
        } else if (setup == "old-backup") {
            write_file("page.html.bak", old_backup);
        } else if (setup == "output-dir" || setup == "read-only-existing-target") {
            fs::create_directory("out");
            arguments.push_back("-o");
            arguments.push_back("out");
            target_folder = "out";
            if (setup == "read-only-existing-target") {
                write_file("out/page.html", "already there\n");
                fs::permissions("out/page.html", fs::perms::owner_write | fs::perms::group_write |
                                                     fs::perms::others_write,
                                fs::perm_options::remove);
            }
        } else if (setup == "output-dir-same") {
            arguments.push_back("-o");
            arguments.push_back(".");
        } else {
            ASSERT_TRUE(setup.empty()) << "unknown setup " << setup;
        }
        arguments.push_back("page.html");

        Result<cli::CommandLine> parsed = cli::parse_command_line(arguments);
        ASSERT_TRUE(parsed.ok()) << parsed.message();
        const cli::CommandLine& command = *parsed;
        StringSink log;
        Diagnostics diagnostics(command.options, log, log);
        const int result = convert_file("page.html", command.options, diagnostics);
        const int status = result == 0 ? 0 : result == conversion_skipped ? 2 : 1;

        EXPECT_EQ(status, expected_status);
        EXPECT_EQ(with_forward_slashes(log.text()), read_file(folder_ / "expected.log"));
        EXPECT_TRUE(temporary_files_in(dir.path()).empty()) << "a temporary file was left";
        if (target_folder != ".") {
            EXPECT_TRUE(temporary_files_in(target_folder).empty()) << "a temporary file was left";
        }

        if (expect_output) {
            EXPECT_EQ(read_file(target_folder / "page.html"), read_file(folder_ / "expected.html"));
        }
        const bool in_place = target_folder == ".";
        if (!expect_output || !in_place) {
            EXPECT_EQ(read_file("page.html"), input) << "the input was changed";
        }
        if (status == 0 && in_place) {
            if (command.options.no_backup) {
                EXPECT_FALSE(fs::exists("page.html.bak"));
            } else {
                EXPECT_EQ(read_file("page.html.bak"), input);
            }
        } else if (setup == "old-backup") {
            EXPECT_EQ(read_file("page.html.bak"), old_backup);
        } else if (in_place) {
            EXPECT_FALSE(fs::exists("page.html.bak"));
        }

        // The same page through standard input and output ("quorlix -"):
        // the bytes of the in-place conversion, nothing for a refused page.
        if (setup.empty()) {
            StringSink filter_log;
            Diagnostics filter_diagnostics(command.options, filter_log, filter_log);
            std::string piped;
            const int filtered = convert_text(input, piped, command.options, filter_diagnostics);
            EXPECT_EQ(filtered, result) << "standard input ends unlike the file";
            EXPECT_EQ(piped, status == 1 ? std::string() : read_file("page.html"));
        }
    }

private:
    fs::path folder_;
};

void register_cases() {
    fs::path root = test_data_dir() / "golden";
    std::vector<fs::path> folders;
    for (auto& area : fs::directory_iterator(root)) {
        if (!area.is_directory()) continue;
        for (auto& item : fs::directory_iterator(area.path())) {
            if (item.is_directory() && fs::exists(item.path() / "input.html")) {
                folders.push_back(item.path());
            }
        }
    }
    std::sort(folders.begin(), folders.end());
    for (const fs::path& folder : folders) {
        std::string area = folder.parent_path().filename().string();
        std::string name = folder.filename().string();
        std::replace(name.begin(), name.end(), '-', '_');
        ::testing::RegisterTest(("golden_" + area).c_str(), name.c_str(), nullptr, nullptr,
                                __FILE__, __LINE__,
                                [folder]() -> ::testing::Test* { return new GoldenCase(folder); });
    }
}

}  // namespace
}  // namespace quorlix::testing

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    quorlix::testing::register_cases();
    return RUN_ALL_TESTS();
}

// Conversion runs with real converter processes: the command-line program
// as the converter (as in a user's run), and a stand-in converter that
// writes chosen bytes, for the capture of the output. Runs natively on Linux
// and under Wine for the Windows build.
#include "base/paths.h"
#include "supervisor/conversion_run.h"
#include "supervisor/converter_launch.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <cstdio>

#ifdef _WIN32
#include "platform/win32/wide_names.h"

#include <direct.h>
#include <fcntl.h>
#include <io.h>
#include <process.h>
#else
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
extern char** environ;
#endif

namespace quorlix {
namespace {

using testing::ScratchDir;
using testing::path_in;
using testing::read_file;
using testing::write_file;
namespace fs = std::filesystem;

const std::string cli_program = QUORLIX_CLI_PROGRAM;
const std::string stand_in_program = QUORLIX_STAND_IN_PROGRAM;
const bool on_windows = native_path_style == PathStyle::windows;

// What a converter writes arrives with the platform's line ends.
std::string native(const std::string& text) {
    if (!on_windows) return text;
    std::string out;
    for (char c : text) {
        if (c == '\n') out += '\r';
        out += c;
    }
    return out;
}

// Records every piece the run writes.
class PieceSink final : public OutputSink {
public:
    void write(std::string_view text) override {
        if (!text.empty()) pieces.emplace_back(text);
    }
    std::string text() const {
        std::string all;
        for (const auto& p : pieces) all += p;
        return all;
    }
    std::vector<std::string> pieces;
};

struct Outcome {
    RunCounts counts;
    std::string log;
    std::vector<std::string> pieces;
};

Outcome run_with(const std::string& program, const ConversionJob& job,
                 const ConversionOptions& options = {}) {
    PieceSink log;
    RunSettings settings;
    settings.banner = false;
    settings.verbose = options.verbose;
    Outcome outcome;
    outcome.counts = perform_conversion_run(job, log, settings, [&]() -> Result<std::unique_ptr<FileConverter>> {
        return ConverterLauncher::prepare(options, program);
    });
    outcome.log = log.text();
    outcome.pieces = log.pieces;
    return outcome;
}


// Runs a program with arguments, its standard output sent to the null
// device; returns the exit status.
int run_program(const std::string& program, const std::vector<std::string>& arguments) {
#ifdef _WIN32
    // A UTF-16 command line, as Windows passes it on.
    std::vector<std::wstring> quoted;
    quoted.push_back(L"\"" + platform::to_wide(program) + L"\"");
    for (const auto& a : arguments) quoted.push_back(L"\"" + platform::to_wide(a) + L"\"");
    std::vector<const wchar_t*> argv;
    for (const auto& q : quoted) argv.push_back(q.c_str());
    argv.push_back(nullptr);
    std::fflush(stdout);
    int saved = _dup(1);
    int null = _open("NUL", _O_WRONLY);
    _dup2(null, 1);
    _close(null);
    intptr_t status = _wspawnv(_P_WAIT, platform::to_wide(program).c_str(), argv.data());
    _dup2(saved, 1);
    _close(saved);
    return static_cast<int>(status);
#else
    std::vector<std::string> all = {program};
    all.insert(all.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (auto& a : all) argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    int rc = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) return -1;
    int status = 0;
    if (waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) return -1;
    return WEXITSTATUS(status);
#endif
}

// Files and directories named as the program names them: in UTF-8, through
// the wide functions on Windows, so that a name means the same to the test
// and to the program.
std::FILE* open_named(const std::string& path, bool for_writing) {
#ifdef _WIN32
    return ::_wfopen(platform::to_wide(path).c_str(), for_writing ? L"wb" : L"rb");
#else
    return std::fopen(path.c_str(), for_writing ? "wb" : "rb");
#endif
}

void put_file(const std::string& path, const std::string& bytes) {
    std::FILE* f = open_named(path, true);
    ASSERT_NE(f, nullptr) << path;
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
}

std::string get_file(const std::string& path) {
    std::FILE* f = open_named(path, false);
    if (f == nullptr) return "(missing)";
    std::string bytes;
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, f)) > 0;) bytes.append(buffer, n);
    std::fclose(f);
    return bytes;
}

void make_dir(const std::string& path) {
#ifdef _WIN32
    ASSERT_EQ(::_wmkdir(platform::to_wide(path).c_str()), 0) << path;
#else
    ASSERT_EQ(::mkdir(path.c_str(), 0777), 0) << path;
#endif
}

// Runs with the current directory changed, as a user in that directory.
class InDirectory {
public:
    explicit InDirectory(const fs::path& dir) : saved_(fs::current_path()) { fs::current_path(dir); }
    ~InDirectory() { fs::current_path(saved_); }

private:
    fs::path saved_;
};

const std::string page = "<p>page</p>\n";
const std::string converted_page = "<p>page</p>\r\n";

TEST(ConverterProcesses, OutputArrivesWholeAndInOrderInPieces) {
    std::string content;
    for (int i = 0; content.size() < 5000; ++i) content += "[" + std::to_string(i) + "]";
    ScratchDir scratch;
    write_file(scratch.path() / "echo.html", content);
    ConversionJob job;
    job.files = {path_in(scratch.path(), "echo.html")};
    Outcome r = run_with(stand_in_program, job);
    EXPECT_EQ(r.log, content + "Converted: 1 of 1.\n");
    ASSERT_GE(r.pieces.size(), 6u);  // five pieces at least, and the summary
    for (std::size_t i = 0; i + 1 < r.pieces.size(); ++i) {
        EXPECT_LE(r.pieces[i].size(), capture_piece);
    }
}

// What a stand-in converter says, for the files that hold each text in
// turn, is all that the log gets for them, with the supervisor's own words
// where the converter ended without its own.
TEST(ConverterProcesses, WhatAConverterSaysIsAllTheLogGetsForItsFile) {
    const struct {
        const char* name;
        std::vector<std::string> contents;
        std::string log;
    } cases[] = {
        {"a converter that writes nothing", {""}, "Converted: 1 of 1.\n"},
        {"a converter that fails", {"FAIL: the reason\nsecond line\n"},
         native("FAIL: the reason\nsecond line\n") + "Converted: 0. Failed: 1. Total: 1\n"},
        {"a converter that could not attach the pipe", {"NOPIPE"},
         "Error: unable to map handle to internal resources\nConverted: 0. Failed: 1. Total: 1\n"},
        // It ends in the middle of its progress line, as a killed one would.
        {"a converter that ends abnormally, and the run goes on", {"CRASH a.html... ", "b.html... Done.\n"},
         "CRASH a.html... \nError: the converter process ended abnormally, status 70\n" +
             native("b.html... Done.\n") + "Converted: 1. Failed: 1. Total: 2\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ScratchDir scratch;
        ConversionJob job;
        for (std::size_t i = 0; i < c.contents.size(); ++i) {
            write_file(scratch.path() / (std::to_string(i) + ".html"), c.contents[i]);
            job.files.push_back(path_in(scratch.path(), std::to_string(i) + ".html"));
        }
        EXPECT_EQ(run_with(stand_in_program, job).log, c.log);
    }
}

TEST(ConverterProcesses, AConverterGivenABadBlockExitsOneAndTheLogStaysEmpty) {
    struct Case {
        const char* name;
        std::size_t offset;
        unsigned char value;
    };
    const Case cases[] = {
        {"another version", block::at::version, 9},
        {"another mapping handle", block::at::mapping_handle + 6, 0x7f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScratchDir scratch;
        write_file(scratch.path() / "page.html", page);
        auto launcher = ConverterLauncher::prepare({}, cli_program);
        ASSERT_TRUE(launcher) << launcher.message();
        (*launcher)->block().bytes()[c.offset] = c.value;
        StringSink log;
        EXPECT_EQ((*launcher)->convert_one_file(path_in(scratch.path(), "page.html"), "", log), 1);
        EXPECT_EQ(log.text(), "");
        EXPECT_EQ(read_file(scratch.path() / "page.html"), page);
    }
}

TEST(ConverterProcesses, PathsOf259CharactersConvertAnd260AreRefused) {
    ScratchDir scratch;
    const std::string dir = scratch.path().string();
    ConversionOptions options;
    options.no_backup = true;  // the backup's name would pass the limit
    auto launched = ConverterLauncher::prepare(options, cli_program);
    ASSERT_TRUE(launched) << launched.message();
    std::unique_ptr<ConverterLauncher>& launcher = *launched;

    const std::string longest = path_in(scratch.path(), std::string(259 - dir.size() - 6, 'n') + ".html");
    ASSERT_EQ(longest.size(), 259u);
    write_file(longest, page);
    StringSink log;
    EXPECT_EQ(launcher->convert_one_file(longest, "", log), 0) << log.text();
    EXPECT_EQ(read_file(longest), converted_page);

    const std::string too_long = longest.substr(0, longest.size() - 5) + "x.html";
    ASSERT_EQ(too_long.size(), 260u);
    StringSink refused;
    EXPECT_EQ(launcher->convert_one_file(too_long, "", refused), -1);
    // No converter ran: it would have named the missing file.
    EXPECT_EQ(refused.text(), "Error: filename is too long\n" + too_long + "\n");
}

// (Site mode on Windows with names outside the code page: windows_programs_test.)
TEST(ConverterProcesses, HostileNamesConvert) {
    std::vector<std::string> names = {
        "with blanks.html", " leading blank.html", "it's.html", "-dash.html", "--double.html",
        "-dch5.html", "semi;colon&amp.html", "%s%n%x.html", "[set] {brace}.html",
        "`cmd` $HOME $(x).html",
        "caf\xc3\xa9 na\xc3\xafve.html", "\xe2\x82\xac 100 \xe6\x97\xa5\xe6\x9c\xac.html"};
    if (!on_windows) {
        // Not allowed in Windows names.
        names.insert(names.end(), {"say \"hi\".html", "star*.html", "q?.html", "back\\slash.html",
                                   "a:colon.html", "line\nfeed.html", "\xff\xfe invalid.html"});
    }
    const std::string input =
        "<html>\n<head>\n<title>T</title>\n</head>\n<body>\n<center>x</center>\n</body>\n</html>\n";
    const std::string expected = testing::convert_text(input).output;
    ASSERT_NE(expected, input);
    ScratchDir scratch;
    const std::string log_file = path_in(scratch.path(), "run.log");

    // The names as a user in their directory gives them, after --.
    const std::string files = path_in(scratch.path(), "files");
    make_dir(files);
    for (const auto& name : names) put_file(*join_path(files, name, std::nullopt), input);
    std::vector<std::string> arguments = {"--log", log_file, "--"};
    arguments.insert(arguments.end(), names.begin(), names.end());
    {
        InDirectory there(files);
        EXPECT_EQ(run_program(cli_program, arguments), 0);
    }
    std::string log = get_file(log_file);
    for (const auto& name : names) {
        SCOPED_TRACE(name);
        const std::string path = *join_path(files, name, std::nullopt);
        EXPECT_EQ(get_file(path), expected);
        EXPECT_EQ(get_file(path + ".bak"), input);
        EXPECT_NE(log.find(native(name + "... Done.\n")), std::string::npos) << log;
    }
    EXPECT_TRUE(testing::temporary_files_in(files).empty());
}

TEST(ConverterProcesses, APathThatLeavesRoomForItsBackupConvertsWithIt) {
    // 255 characters: the backup's name has 259, the most a path may have
    // on Windows, so the backup is made under no longer name on the way.
    ScratchDir scratch;
    const std::string dir = scratch.path().string();
    const std::string path =
        path_in(scratch.path(), std::string(255 - dir.size() - 6, 'b') + ".html");
    ASSERT_EQ(path.size(), 255u);
    write_file(path, page);
    ConversionJob job;
    job.files = {path};
    Outcome r = run_with(cli_program, job);
    EXPECT_EQ(r.counts.converted, 1) << r.log;
    EXPECT_EQ(read_file(path), converted_page);
    EXPECT_EQ(read_file(path + ".bak"), page);
    EXPECT_TRUE(testing::temporary_files_in(scratch.path()).empty());
}

#ifndef _WIN32
TEST(ConverterProcesses, AConverterGetsOnlyItsPipeAndAProcessGroupOfItsOwn) {
    // A descriptor that a careless start would hand on.
    int stray = ::open("/dev/null", O_RDONLY);
    ASSERT_GE(stray, 0);
    ScratchDir scratch;
    write_file(scratch.path() / "report.html", "REPORT");
    ConversionJob job;
    job.files = {path_in(scratch.path(), "report.html")};
    Outcome r = run_with(stand_in_program, job);
    ::close(stray);
    EXPECT_EQ(r.log.substr(0, 18), "own process group\n");
    std::vector<std::string> lines;
    std::size_t start = 18;
    for (std::size_t end; (end = r.log.find('\n', start)) != std::string::npos; start = end + 1) {
        lines.push_back(r.log.substr(start, end - start));
    }
    ASSERT_FALSE(lines.empty());
    lines.pop_back();  // the summary
    // The stand-in's own descriptor of the file it reads.
    std::erase_if(lines, [](const std::string& line) {
        return line.size() > 11 && line.substr(line.size() - 11) == "report.html";
    });
    std::sort(lines.begin(), lines.end());
    ASSERT_EQ(lines.size(), 4u) << r.log;
    EXPECT_EQ(lines[0], "fd 0 /dev/null");
    EXPECT_EQ(lines[1], "fd 1 /dev/null");
    EXPECT_EQ(lines[2], "fd 2 /dev/null");
    EXPECT_EQ(lines[3].substr(lines[3].size() - 5), " pipe");
}
#endif

}  // namespace
}  // namespace quorlix

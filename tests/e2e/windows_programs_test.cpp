// The Windows programs as files and as processes: the manifest and version
// resource that quorlix.exe and quorlix-cli.exe carry, and a run of
// quorlix-cli.exe on pages whose names lie outside the system's code page,
// started with a UTF-16 command line as Explorer or a console would.
#include "platform/win32/wide_names.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <fstream>
#include <string>
#include <vector>

namespace quorlix {
namespace {

using platform::to_utf8;
using platform::to_wide;

const char* const programs[] = {QUORLIX_CLI_PROGRAM, QUORLIX_GUI_PROGRAM};

std::string manifest_of(const std::string& program) {
    HMODULE module = ::LoadLibraryExW(to_wide(program).c_str(), nullptr,
                                      LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    if (module == nullptr) return {};
    std::string text;
    // The manifest that the loader reads for a program: id 1, type 24.
    if (HRSRC found = ::FindResourceW(module, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24))) {
        if (HGLOBAL loaded = ::LoadResource(module, found)) {
            text.assign(static_cast<const char*>(::LockResource(loaded)), ::SizeofResource(module, found));
        }
    }
    ::FreeLibrary(module);
    return text;
}

std::string version_value(const std::string& program, const wchar_t* name) {
    std::wstring file = to_wide(program);
    DWORD size = ::GetFileVersionInfoSizeW(file.c_str(), nullptr);
    if (size == 0) return {};
    std::vector<char> block(size);
    if (!::GetFileVersionInfoW(file.c_str(), 0, size, block.data())) return {};
    void* value = nullptr;
    UINT length = 0;
    std::wstring key = std::wstring(L"\\StringFileInfo\\040904B0\\") + name;
    if (!::VerQueryValueW(block.data(), key.c_str(), &value, &length) || length == 0) return {};
    return to_utf8(std::wstring(static_cast<const wchar_t*>(value), length - 1));
}

TEST(WindowsPrograms, CarryTheirManifestAndVersionResource) {
    for (const std::string program : programs) {
        SCOPED_TRACE(program);
        std::string manifest = manifest_of(program);
        ASSERT_FALSE(manifest.empty()) << "no manifest resource";
        for (const char* part :
             {"name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\"",
              "level=\"asInvoker\"", ">PerMonitorV2, PerMonitor<", ">true/pm<",
              "<activeCodePage xmlns=\"http://schemas.microsoft.com/SMI/2019/WindowsSettings\">UTF-8<",
              "<supportedOS Id=\"{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}\"/>"}) {
            EXPECT_NE(manifest.find(part), std::string::npos) << part;
        }
        EXPECT_EQ(version_value(program, L"ProductName"), "Quorlix");
        EXPECT_EQ(version_value(program, L"ProductVersion"), QUORLIX_VERSION);
        EXPECT_EQ(version_value(program, L"FileVersion"), QUORLIX_VERSION);
        EXPECT_NE(version_value(program, L"FileDescription"), "");
        EXPECT_NE(version_value(program, L"LegalCopyright").find("2026 The Quorlix authors"),
                  std::string::npos);
        std::string file_name = program.substr(program.find_last_of("\\/") + 1);
        EXPECT_EQ(version_value(program, L"OriginalFilename"), file_name);
    }
}

// Runs quorlix-cli.exe with a UTF-16 command line; its exit status.
int run_cli(const std::wstring& arguments) {
    std::wstring program = to_wide(QUORLIX_CLI_PROGRAM);
    std::wstring line = L"\"" + program + L"\" " + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!::CreateProcessW(program.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                          nullptr, &startup, &info)) {
        return -1;
    }
    ::CloseHandle(info.hThread);
    ::WaitForSingleObject(info.hProcess, 120000);
    DWORD status = 99;
    ::GetExitCodeProcess(info.hProcess, &status);
    ::CloseHandle(info.hProcess);
    return static_cast<int>(status);
}

std::string read_wide(const std::wstring& path) {
    std::FILE* file = ::_wfopen(path.c_str(), L"rb");
    if (file == nullptr) return "(missing)";
    std::string bytes;
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, file)) > 0;) bytes.append(buffer, n);
    std::fclose(file);
    return bytes;
}

void write_wide(const std::wstring& path, const std::string& bytes) {
    std::FILE* file = ::_wfopen(path.c_str(), L"wb");
    ASSERT_NE(file, nullptr);
    std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
}

TEST(WindowsPrograms, ConvertPagesWhoseNamesLieOutsideTheCodePage) {
    testing::ScratchDir scratch;
    const std::wstring dir = scratch.path().wstring() + L"\\";
    // caf\u00e9 fits code page 1252; the Japanese and Greek names do not.
    const std::wstring site_pages[] = {L"caf\u00e9.html", L"\u65e5\u672c.html"};
    const std::wstring sub = dir + L"site\\\u03b5\u03bb\u03bb\u03b7\u03bd\u03b9\u03ba\u03ac";
    ASSERT_TRUE(::CreateDirectoryW((dir + L"site").c_str(), nullptr));
    ASSERT_TRUE(::CreateDirectoryW(sub.c_str(), nullptr));
    for (const std::wstring& name : site_pages) write_wide(dir + L"site\\" + name, "<p>page</p>\n");
    write_wide(sub + L"\\\u00fcber.html", "<p>page</p>\n");
    write_wide(dir + L"\u0444\u0430\u0439\u043b.html", "<p>page</p>\n");

    EXPECT_EQ(run_cli(L"-q --site \"" + dir + L"site\""), 0);
    for (const std::wstring& page : {dir + L"site\\" + site_pages[0], dir + L"site\\" + site_pages[1],
                                     sub + L"\\\u00fcber.html"}) {
        SCOPED_TRACE(to_utf8(page));
        EXPECT_EQ(read_wide(page), "<p>page</p>\r\n");
        EXPECT_EQ(read_wide(page + L".bak"), "<p>page</p>\n");
    }

    // A FILE argument and the --log file, named on the command line.
    const std::wstring file = dir + L"\u0444\u0430\u0439\u043b.html";
    const std::wstring log = dir + L"\u65e5\u8a8c.log";
    EXPECT_EQ(run_cli(L"--log \"" + log + L"\" \"" + file + L"\""), 0);
    EXPECT_EQ(read_wide(file), "<p>page</p>\r\n");
    std::string log_text = read_wide(log);
    EXPECT_NE(log_text.find(to_utf8(file) + "... Done."), std::string::npos) << log_text;
}

TEST(WindowsPrograms, RefuseANameLongerInUtf8ThanAJobCanCarry) {
    // The settings block carries a page's full path in at most 259 bytes of
    // UTF-8: a name of two-byte letters passes that long before it passes
    // the system's own limit of 259 UTF-16 characters.
    testing::ScratchDir scratch;
    const std::wstring dir = scratch.path().wstring() + L"\\";
    const std::size_t letters = (259 - to_utf8(dir).size() - 5) / 2 + 1;
    const std::wstring page = dir + std::wstring(letters, L'\u00e9') + L".html";
    ASSERT_LT(page.size(), 260u);
    ASSERT_GT(to_utf8(page).size(), 259u);
    write_wide(page, "<p>page</p>\n");
    const std::wstring log = dir + L"run.log";

    EXPECT_EQ(run_cli(L"--log \"" + log + L"\" \"" + page + L"\""), 1);
    EXPECT_NE(read_wide(log).find("Error: filename is too long"), std::string::npos) << read_wide(log);
    EXPECT_EQ(read_wide(page), "<p>page</p>\n");

    // One letter less fits, and converts.
    const std::wstring fits = dir + std::wstring(letters - 1, L'\u00e9') + L".html";
    ASSERT_LE(to_utf8(fits).size(), 259u);
    write_wide(fits, "<p>page</p>\n");
    EXPECT_EQ(run_cli(L"-q --no-backup \"" + fits + L"\""), 0);
    EXPECT_EQ(read_wide(fits), "<p>page</p>\r\n");
}

}  // namespace
}  // namespace quorlix

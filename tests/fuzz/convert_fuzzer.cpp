// Converts arbitrary bytes through the whole in-process conversion:
// screening, the rewriter, the final write and the table section pass.
// The first byte chooses the options. Besides the sanitizers' findings it
// checks the all-or-nothing promise: a failed conversion leaves the page as
// it was, and no temporary file is ever left behind. Of a page that was
// converted it checks the generated style element: nothing taken from the
// page may end it ("</") or leave its rules (braces that do not balance,
// strings or comments left open).
#include "base/diagnostics.h"
#include "converter/pipeline.h"
#include "converter/screening.h"
#include "platform/platform.h"
#include "platform/text_stream.h"
#include "rewriter/document.h"
#include "rewriter/rewriter.h"

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

[[noreturn]] void fail(const char* what, const std::string& detail) {
    std::fprintf(stderr, "%s:\n%s\n", what, detail.c_str());
    std::abort();
}

// The generated style text of a page, from a rewrite of its own, run as the
// conversion runs it (screening first). The page was converted, so this
// rewrite must succeed too.
std::string generated_style_text(const fs::path& page, const quorlix::ConversionOptions& options) {
    quorlix::StringSink log;
    quorlix::Diagnostics diagnostics(options, log, log);
    quorlix::platform::File input = quorlix::platform::open_for_reading(page.string());
    const fs::path discarded = work_folder() / "discarded";
    quorlix::platform::File output(quorlix::platform::create_exclusive(discarded.string()));
    if (!input.is_open() || !output.is_open()) fail("cannot open the page again", page.string());
    std::string style_text;
    try {
        quorlix::TextReader reader(input);
        quorlix::TextWriter writer(output);
        quorlix::screen_input(reader, writer, diagnostics);
        quorlix::Document document(options, diagnostics);
        document.begin();
        quorlix::rewrite_document(document, reader);
        style_text = document.styles.style_text();
        document.end();
    } catch (const quorlix::FileAbandoned&) {
        fail("a page that was converted fails a second rewrite", log.text());
    }
    output.close();
    fs::remove(discarded);
    return style_text;
}

// The style text as CSS reads it: braces outside strings balance, every
// string ends on its line, no comment starts, and "</" occurs nowhere (the
// HTML parser ends the element there whatever CSS would make of it).
void check_style_text(const std::string& css) {
    if (css.find("</") != std::string::npos) fail("the style element can be ended", css);
    long depth = 0;
    char quote = 0;
    for (std::size_t i = 0; i < css.size(); ++i) {
        const char c = css[i];
        if (c == '\\') {
            if (i + 1 < css.size() && css[i + 1] != '\n') {
                ++i;
                continue;
            }
            fail("a backslash escapes a line end or nothing", css);
        }
        if (quote != 0) {
            if (c == quote) quote = 0;
            if (c == '\n' || c == '\r' || c == '\f') fail("a string runs over its line", css);
            continue;
        }
        if (c == '"' || c == '\'') {
            quote = c;
        } else if (c == '/' && i + 1 < css.size() && css[i + 1] == '*') {
            fail("a comment starts in the style text", css);
        } else if (c == '{') {
            ++depth;
        } else if (c == '}' && --depth < 0) {
            fail("a brace closes more than was opened", css);
        }
    }
    if (quote != 0) fail("a string is left open", css);
    if (depth != 0) fail("a brace is left open", css);
}

// The style text as the text-mode writer puts it into the page.
std::string with_crlf(const std::string& text) {
    std::string result;
    for (char c : text) {
        if (c == '\n') result += '\r';
        result += c;
    }
    return result;
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
    if (status == 0) {
        // The converted page replaced the input; the rewrite reads the input.
        const fs::path original = work_folder() / "original.html";
        {
            std::ofstream out(original, std::ios::binary | std::ios::trunc);
            out.write(input.data(), static_cast<std::streamsize>(input.size()));
        }
        const std::string style_text = generated_style_text(original, options);
        fs::remove(original);
        if (!style_text.empty()) {
            check_style_text(style_text);
            const std::string element = "<style>\r\n" + with_crlf(style_text) + "</style>\r\n";
            if (read_all(page).find(element) == std::string::npos) {
                fail("the converted page does not hold the generated style element", style_text);
            }
        }
    }
    for (const auto& entry : fs::directory_iterator(work_folder())) {
        if (entry.path().filename() != "page.html") {
            std::fprintf(stderr, "left behind: %s\n", entry.path().c_str());
            std::abort();
        }
    }
    return 0;
}

#include "converter/pipeline.h"

#include "base/messages.h"
#include "base/paths.h"
#include "base/text.h"
#include "converter/declared_charset.h"
#include "converter/screening.h"
#include "output/final_write.h"
#include "output/table_pass.h"
#include "platform/platform.h"
#include "platform/replace.h"
#include "platform/text_stream.h"
#include "platform/transcode.h"
#include "rewriter/document.h"
#include "rewriter/rewriter.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <vector>

namespace quorlix {

namespace {

// Removes the temporary file when a conversion is abandoned. Armed from the
// moment the file exists until the converted output has been completed.
class TemporaryFileGuard {
public:
    TemporaryFileGuard(platform::File& file, const std::string& name) : file_(file), name_(name) {}
    ~TemporaryFileGuard() {
        if (!armed_) return;
        file_.close();
        platform::remove_file(name_);
    }
    TemporaryFileGuard(const TemporaryFileGuard&) = delete;
    TemporaryFileGuard& operator=(const TemporaryFileGuard&) = delete;
    void disarm() { armed_ = false; }

private:
    platform::File& file_;
    const std::string& name_;
    bool armed_ = true;
};

// The rest of the input, as the rewriter would read it.
std::string read_rest(TextReader& reader, std::uint64_t input_size, Diagnostics& diagnostics) {
    std::string text;
    text.reserve(static_cast<std::size_t>(input_size));
    constexpr std::size_t step = 1 << 16;
    for (;;) {
        const std::size_t used = text.size();
        text.resize(used + step);
        const long n = reader.read(text.data() + used, step);
        if (n < 0) diagnostics.fatal_error(messages::read_error);
        text.resize(used + static_cast<std::size_t>(n));
        if (n == 0) return text;
    }
}

// Refuses a page that cannot be transcoded, naming the declared label (and
// the encoding browsers read it as, when that is another name).
[[noreturn]] void refuse_transcoding(std::string_view text, const platform::Transcoding& result,
                                     std::string_view label, const platform::Encoding* encoding,
                                     Diagnostics& diagnostics) {
    if (result.outcome != platform::Transcoding::Outcome::invalid_byte) {
        diagnostics.fatal_error(messages::cannot_transcode_1 + std::string(label) +
                                messages::cannot_transcode_2);
    }
    std::string named = std::string(label) + '"';
    if (!equal_ignoring_case(label, encoding->name)) {
        named += messages::encoding_read_as;
        named += encoding->name;
        named += ')';
    }
    const std::size_t offset = result.invalid_offset;
    // No line feed before the byte: npos + 1 is 0, the start of the text.
    const std::size_t line_start = offset == 0 ? 0 : text.rfind('\n', offset - 1) + 1;
    const int line = 1 + static_cast<int>(std::count(text.begin(), text.begin() + offset, '\n'));
    static constexpr char hex[] = "0123456789ABCDEF";
    const auto byte = static_cast<unsigned char>(text[offset]);
    std::string message = messages::invalid_byte_1;
    message += hex[byte >> 4];
    message += hex[byte & 15];
    message += messages::invalid_byte_2 + std::to_string(offset - line_start + 1) + messages::invalid_byte_3;
    message += named;
    // The line where the byte stands heads the message, as for an error of
    // the rewriter.
    struct LineNumbersOff {
        Diagnostics& d;
        ~LineNumbersOff() { d.set_line_numbers_on(false); }
    } off{diagnostics};
    diagnostics.set_line_source([line] { return line; });
    diagnostics.set_line_numbers_on(true);
    diagnostics.fatal_error(message);
}

// With to_utf8: the page's text in UTF-8 when it declares a legacy encoding
// (read whole from the reader, and transcoded once); none when it is to be
// read as it is, and the reader is then at its start again. A page that
// cannot be transcoded is refused.
std::optional<std::string> transcoded_page(TextReader& reader, std::uint64_t input_size,
                                           Diagnostics& diagnostics) {
    std::string text = read_rest(reader, input_size, diagnostics);
    const std::string_view label = declared_charset(text);
    if (label.empty()) {
        if (!reader.rewind()) diagnostics.fatal_error(messages::read_error);
        return std::nullopt;
    }
    const platform::Encoding* encoding = platform::encoding_of_label(label);
    if (encoding != nullptr && platform::is_utf8(*encoding)) {
        if (!reader.rewind()) diagnostics.fatal_error(messages::read_error);
        return std::nullopt;
    }
    std::string utf8;
    platform::Transcoding result;
    result.outcome = platform::Transcoding::Outcome::unsupported;
    if (encoding != nullptr) result = platform::transcode_to_utf8(*encoding, text, utf8);
    if (result.outcome != platform::Transcoding::Outcome::converted) {
        refuse_transcoding(text, result, label, encoding, diagnostics);
    }
    return utf8;
}

// Screening, rewriting and the final write; returns only when the whole
// document has been handed to the writer. The input's size (0 when unknown)
// lets the buffers reserve their room at once.
void convert_document(TextReader& reader, TextWriter& writer, std::uint64_t input_size,
                      const ConversionOptions& options, Diagnostics& diagnostics) {
    const bool byte_order_mark = screen_input(reader, writer, diagnostics);
    // A byte-order mark makes a page UTF-8, whatever it declares.
    std::optional<std::string> utf8;
    if (options.to_utf8 && !byte_order_mark) utf8 = transcoded_page(reader, input_size, diagnostics);
    std::optional<TextReader> utf8_reader;
    if (utf8) {
        utf8_reader.emplace(TextReader::of_translated(*utf8));
        input_size = utf8->size();
    }

    Document document(options, diagnostics);
    try {
        document.begin(input_size);
    } catch (const OutOfMemory& failure) {
        diagnostics.error_no_memory(failure.detail);
    }
    if (utf8) {
        // The page is declared as what it now is; its own declaration goes
        // without a warning.
        document.head.charset_declaration = "<meta charset=\"utf-8\">\n";
        document.head_tags.charset_declared = true;
    }
    diagnostics.set_line_numbers_on(true);
    rewrite_document(document, utf8_reader ? *utf8_reader : reader);
    diagnostics.set_line_numbers_on(false);

    try {
        write_document(writer, document.out, document.head, document.styles.style_text(),
                       document.table_footer_seen ? table_pass : nullptr, diagnostics);
    } catch (const OutOfMemory& failure) {
        diagnostics.error_no_memory(failure.detail);
    }
    document.end();
}

// The conversion into the output file; returns only when the whole document
// is in the file (and, unless it goes nowhere, on the disk).
void convert_into(platform::File& input_file, std::uint64_t input_size, platform::File& output_file,
                  bool sync_output, const ConversionOptions& options, Diagnostics& diagnostics) {
    TextReader reader(input_file);
    TextWriter writer(output_file);
    convert_document(reader, writer, input_size, options, diagnostics);
    // A page is only replaced by a file that is complete on the disk.
    if (!writer.flush() || (sync_output && !output_file.sync()) || !output_file.close()) {
        diagnostics.fatal_error(messages::write_error);
    }
}

// "what: reason" for a failed system call.
Failure failure_with_reason(const std::string& what, int error) {
    return failure(what + ": " + platform::error_text(error));
}

// Whether the document that file holds starts as an HTML5 page; none when
// the file cannot be brought back to its start afterwards.
std::optional<bool> is_html5_already(platform::File& file) {
    std::string head(html5_screening_length, '\0');
    std::size_t got = 0;
    while (got < head.size()) {
        long n = file.read(head.data() + got, head.size() - got);
        if (n <= 0) break;
        got += static_cast<std::size_t>(n);
    }
    head.resize(got);
    if (!file.rewind()) return std::nullopt;
    return starts_as_html5(head);
}

// True when both files hold the same bytes.
bool same_content(const std::string& a, const std::string& b) {
    platform::File fa = platform::open_for_reading(a), fb = platform::open_for_reading(b);
    if (!fa.is_open() || !fb.is_open()) return false;
    std::vector<char> ba(1 << 16), bb(1 << 16);
    for (;;) {
        long na = fa.read(ba.data(), ba.size());
        if (na < 0) return false;
        // Reads of a regular file come whole unless the end is near.
        std::size_t want = static_cast<std::size_t>(na), got = 0;
        while (got < want) {
            long nb = fb.read(bb.data() + got, want - got);
            if (nb <= 0) return false;
            got += static_cast<std::size_t>(nb);
        }
        if (std::memcmp(ba.data(), bb.data(), want) != 0) return false;
        if (na == 0) return fb.read(bb.data(), 1) == 0;
    }
}

void progress_done(Diagnostics& diagnostics) {
    if (!diagnostics.options().verbose) return;
    diagnostics.progress_stream().write(diagnostics.progress_line_broken() ? messages::done_after_break
                                                                            : messages::done);
    diagnostics.progress_stream().flush();
}

// The conversion of an opened page: 0, or -1 after reporting.
int convert_opened(const std::string& input, const ConversionNames& names,
                   platform::File& input_file, std::optional<unsigned> input_mode,
                   const ConversionOptions& options, Diagnostics& diagnostics) {
    // In place, the page that is replaced must be the file read here.
    const std::optional<platform::FileIdentity> read = platform::identity_of(input_file);
    std::optional<platform::FileIdentity> converted;
    if (options.output_dir.empty()) converted = read;
    const bool output_dir_mode = !options.output_dir.empty();
    if (output_dir_mode && same_file(names.target, input)) {
        diagnostics.report_error(messages::same_file_1 + input + messages::same_file_2);
        return -1;
    }

    // A dry run converts into the null device: nothing on the disk changes.
    std::string temporary = names.temporary;
    platform::File temporary_file = options.dry_run ? platform::open_null_output()
                                                    : platform::File(create_temp_file(temporary));
    if (!temporary_file.is_open()) {
        diagnostics.report_error(
            failure_with_reason(messages::cannot_create_temporary + input, platform::last_error()).message);
        return -1;
    }

    {
        std::optional<TemporaryFileGuard> guard;
        if (!options.dry_run) guard.emplace(temporary_file, temporary);
        diagnostics.set_input_name(input);
        if (options.verbose) {
            std::string line = input;
            if (output_dir_mode) line += messages::progress_arrow + names.target;
            diagnostics.progress_stream().write(line + messages::progress_end);
            // The log shows which file is being converted while it is.
            diagnostics.progress_stream().flush();
        }
        try {
            convert_into(input_file, read ? read->size : 0, temporary_file, !options.dry_run, options,
                         diagnostics);
        } catch (const FileAbandoned&) {
            diagnostics.set_input_name({});
            return -1;
        }
        if (!options.dry_run) {
            // The converted page keeps the owner (where this process may give
            // it) and the permission bits of the page it replaces: the
            // temporary file was created by this process, for it alone. The
            // owner first, as a change of owner clears set-id bits.
            platform::copy_owner(input_file, temporary);
            if (input_mode) platform::give_mode_to_converted(temporary, *input_mode);
        }
        if (guard) guard->disarm();
    }
    input_file.close();
    diagnostics.set_input_name({});
    if (options.dry_run) {
        progress_done(diagnostics);
        return 0;
    }

    ConversionNames replaced = names;
    replaced.temporary = temporary;
    if (Status replaced_ok = replace_target(replaced, input, options, diagnostics, converted); !replaced_ok) {
        diagnostics.report_error(replaced_ok.message());
        return -1;
    }
    if (output_dir_mode && input_mode) platform::give_mode_to_copy(names.target, *input_mode);
    // Only now is the page converted: a failure above reports only itself.
    progress_done(diagnostics);
    return 0;
}

}  // namespace

Result<ConversionNames> derive_names(const std::string& input, const ConversionOptions& options) {
    ConversionNames names;
    std::string directory;
    if (!options.output_dir.empty()) {
        std::string_view base = base_name_of(input);
        if (base.empty()) return failure(messages::missing_filename);
        names.target = *join_path(options.output_dir, base, std::nullopt);
        directory = options.output_dir;
    } else {
        // A page behind a symbolic link is converted where it is: the link
        // stays, the file it leads to is replaced and backed up beside it.
        names.target = platform::link_target(input).value_or(input);
        directory = directory_of(names.target);
    }
    names.temporary = *join_path(directory, "qlxXXXXXX", std::nullopt);
    names.backup = *join_path(names.target, std::nullopt, "bak");
    return names;
}

Status replace_target(const ConversionNames& names, const std::string& input,
                   const ConversionOptions& options, Diagnostics& diagnostics,
                   const std::optional<platform::FileIdentity>& converted) {
    // Another program may have replaced, rewritten or removed the page while
    // it was converted; the conversion of what it was then must not take the
    // place of what it is now. Looked at before the backup and again after
    // it, so that the backup is known to be the converted file too.
    auto changed = [&] {
        if (!converted || platform::identity_of(names.target) == converted) return false;
        platform::remove_file(names.temporary);
        diagnostics.end_progress_line();
        return true;
    };
    const Failure changed_meanwhile{names.target + messages::changed_while_converted};
    if (changed()) return changed_meanwhile;
    // The page is never removed or renamed away: the backup is made beside
    // it, then the converted file takes its name in one step, so a crash at
    // any moment leaves the page either as it was or converted.
    // A backup already there was found to be a copy of the page before the
    // conversion started; it makes room for the new one.
    if (!options.no_backup && platform::file_exists(names.target) &&
        platform::file_exists(names.backup) && same_content(names.backup, names.target)) {
        platform::remove_file(names.backup);
    }
    if (!options.no_backup && platform::file_exists(names.target) &&
        !platform::make_backup(names.target, names.backup)) {
        diagnostics.end_progress_line();
        return failure(messages::no_backup_1 + names.target + messages::no_backup_2 + names.backup +
                       messages::no_backup_3 + input + messages::no_backup_4 + names.temporary +
                       messages::no_backup_5);
    }
    if (changed()) return changed_meanwhile;
    if (platform::replace_file(names.temporary, names.target)) return {};

    diagnostics.end_progress_line();
    std::string text = messages::no_rename + names.target;
    if (options.no_backup) {
        text += messages::no_rename_without_backup + names.temporary;
    } else {
        text += messages::no_rename_with_backup_1 + names.backup + messages::no_rename_with_backup_2 +
                names.temporary;
    }
    text += messages::no_rename_end;
    return failure(std::move(text));
}

int convert_text(std::string_view input, std::string& output, const ConversionOptions& options,
                 Diagnostics& diagnostics) {
    diagnostics.start_file();
    output.clear();
    try {
        if (!options.force && starts_as_html5(input.substr(0, html5_screening_length))) {
            output.assign(input);
            return conversion_skipped;
        }
        diagnostics.set_input_name(std::string(messages::standard_input_name));
        TextReader reader(input);
        TextWriter writer(output);
        convert_document(reader, writer, input.size(), options, diagnostics);
        writer.flush();
        diagnostics.set_input_name({});
        return 0;
    } catch (const FileAbandoned&) {
    } catch (const std::bad_alloc&) {
        diagnostics.startup_no_memory();
    }
    diagnostics.set_input_name({});
    output.clear();
    return -1;
}

int convert_file(const std::string& input, const ConversionOptions& options,
                 Diagnostics& diagnostics) {
    diagnostics.start_file();
    if (input.empty()) {
        diagnostics.startup_internal_error(messages::empty_filename);
        return -1;
    }
    try {
        Result<ConversionNames> derived = derive_names(input, options);
        if (!derived) {
            diagnostics.report_error(derived.message());
            return -1;
        }
        const ConversionNames& names = *derived;
        // Only a regular file is a page: a device (/dev/null), a pipe or a
        // socket would be replaced by a regular file, and a pipe could
        // block the reader.
        switch (platform::file_kind(input)) {
        case platform::FileKind::directory:
            diagnostics.report_error(input + messages::is_a_directory);
            return -1;
        case platform::FileKind::other:
            diagnostics.report_error(input + messages::not_regular);
            return -1;
        case platform::FileKind::missing:
        case platform::FileKind::regular:
            break;
        }
        std::optional<unsigned> input_mode = platform::file_mode(input);

        if (platform::has_read_only_attribute(names.target)) {
            diagnostics.report_error(names.target + (options.output_dir.empty()
                                                         ? messages::is_read_only
                                                         : messages::exists_read_only));
            return -1;
        }
        platform::File input_file = platform::open_for_reading(input);
        if (!input_file.is_open()) {
            diagnostics.report_error(
                failure_with_reason(messages::cannot_open + input, platform::last_error()).message);
            return -1;
        }
        // A page converted before (a run that is run again, a page named
        // twice) is left alone: converting it again would put the converted
        // text in place of the original in its backup.
        const std::optional<bool> html5 = is_html5_already(input_file);
        if (!html5) {
            diagnostics.report_error(
                failure_with_reason(messages::cannot_read + input, platform::last_error()).message);
            return -1;
        }
        if (*html5 && !options.force) {
            if (options.verbose) {
                diagnostics.progress_stream().write(input + messages::skipped_html5);
                diagnostics.progress_stream().flush();
            }
            return conversion_skipped;
        }
        // A backup that holds something other than the page may be the only
        // copy of an original: it is never replaced.
        if (!options.no_backup && platform::file_exists(names.target) &&
            platform::file_exists(names.backup) && !same_content(names.backup, names.target)) {
            diagnostics.report_error(names.backup + messages::backup_differs_1 + names.target +
                                     messages::backup_differs_2);
            return -1;
        }
        return convert_opened(input, names, input_file, input_mode, options, diagnostics);
    } catch (const FileAbandoned&) {
        return -1;
    } catch (const std::bad_alloc&) {
        diagnostics.startup_no_memory();
        return -1;
    }
}

}  // namespace quorlix

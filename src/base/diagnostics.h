// Everything a conversion tells its user: fatal errors (the file is abandoned
// and left as it was), warnings (the conversion goes on) and the progress
// line. Fatal errors print their message, then throw FileAbandoned, which
// unwinds to the file pipeline; the pipeline removes the temporary file.
// Every other failure is a Result or Status (base/result.h) whose message
// the caller hands to report_error.
#pragma once

#include "base/options.h"
#include "base/output_sink.h"

#include <functional>
#include <string>
#include <string_view>

namespace quorlix {

// Thrown after a fatal diagnostic has been printed; the file is abandoned.
struct FileAbandoned {};

// Thrown by buffers that cannot grow; turned into "Insufficient memory" with
// the detail by whoever knows the current line.
struct OutOfMemory {
    const char* detail;
};

class Diagnostics {
public:
    Diagnostics(const ConversionOptions& options, OutputSink& errors, OutputSink& progress)
        : options_(options), errors_(errors), progress_(progress) {}

    const ConversionOptions& options() const { return options_; }
    OutputSink& progress_stream() { return progress_; }

    // The file being converted; empty outside a conversion.
    void set_input_name(std::string name) { input_name_ = std::move(name); }
    const std::string& input_name() const { return input_name_; }

    // The rewriter's current line, shown while line numbers are on.
    void set_line_source(std::function<int()> source) { line_source_ = std::move(source); }
    void set_line_numbers_on(bool on) { line_numbers_on_ = on; }

    // Per file: a new progress line may be broken once again.
    void start_file() { progress_line_broken_ = false; }
    bool progress_line_broken() const { return progress_line_broken_; }

    // Fatal errors during a conversion; none of them returns.
    [[noreturn]] void fatal_error(std::string_view message, std::string_view detail = {});
    [[noreturn]] void error_no_memory(std::string_view detail = {});
    [[noreturn]] void error_internal(std::string_view detail);
    [[noreturn]] void error_null_pointer();
    [[noreturn]] void error_percent_value(std::string_view attribute);
    [[noreturn]] void error_asterisk_units(std::string_view attribute);
    [[noreturn]] void error_invalid_attribute(std::string_view attribute);
    [[noreturn]] void error_quote_mismatch(std::string_view attribute);
    [[noreturn]] void error_bad_value(std::string_view attribute);
    [[noreturn]] void error_quote_or_value(std::string_view attribute);
    [[noreturn]] void error_frameset_size();
    [[noreturn]] void error_unsupported_element(std::string_view element);
    [[noreturn]] void error_object_attribute(std::string_view attribute);
    [[noreturn]] void error_param_element();

    // Errors outside a file's conversion (before it, or of the pipeline
    // around it); they print and return. report_error writes
    // "quorlix: Error: ", the message and a line feed.
    void startup_no_memory();
    void startup_internal_error(std::string_view detail = {});
    void report_error(std::string_view message);

    // Warnings; each returns at once when its switch is off.
    void warning_charset(std::string_view charset);
    void warning_center_alignment(std::string_view element);
    void warning_name_to_id(std::string_view element);
    void warning_element_replaced(std::string_view old_element, std::string_view new_element);
    void warning_frame_attribute(std::string_view element, std::string_view attribute);

    // Ends an open progress line before a diagnostic, and flushes.
    void end_progress_line();

private:
    void error_header();
    void warning_header();
    [[noreturn]] void abandon();

    const ConversionOptions& options_;
    OutputSink& errors_;
    OutputSink& progress_;
    std::string input_name_;
    std::function<int()> line_source_;
    bool line_numbers_on_ = false;
    bool progress_line_broken_ = false;
};

}  // namespace quorlix

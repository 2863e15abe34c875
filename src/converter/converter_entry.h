// The converter role of the program: started as "PROGRAM -dchN" by a
// supervisor, it loads the settings block whose handle is N, attaches its
// diagnostics to the pipe named in the block, converts the one file and
// ends with status 0 (converted) or 1 (not converted).
#pragma once

#include "base/diagnostics.h"
#include "base/options.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace quorlix {

// The exit statuses of a converter process. Anything else means that it was
// ended from outside (killed) or crashed.
inline constexpr int exit_converted = 0;
inline constexpr int exit_failed = 1;
inline constexpr int exit_skipped = 2;  // left alone on purpose (HTML5 already)

// The text after "-dch" when the argument text starts with it (after blanks
// and tabs) and at least one character follows; none otherwise.
std::optional<std::string_view> find_converter_argument(std::string_view argument_text);

using ConvertFunction =
    std::function<int(const std::string& file, const ConversionOptions&, Diagnostics&)>;

// True when an argument asks for the converter role: "-dch" and decimal
// digits, nothing else.
bool is_converter_argument(std::string_view argument);

// Runs the converter role for the handle text. Returns the exit status of
// the process, or none when the block was refused or names no file: the
// process then goes on as an ordinary start. convert is convert_file except
// in tests of the launch itself.
std::optional<int> run_converter_process(std::string_view handle_text,
                                         const ConvertFunction& convert);
std::optional<int> run_converter_process(std::string_view handle_text);

}  // namespace quorlix

// Converts one file in place (or into the output directory): the output goes
// to an exclusively created temporary file beside the target, and only when
// the whole document has been written does it replace the target, the
// unconverted file being kept as a ".bak" file unless the job says otherwise.
#pragma once

#include "base/diagnostics.h"
#include "base/options.h"
#include "base/result.h"
#include "platform/platform.h"

#include <optional>
#include <string>
#include <string_view>

namespace quorlix {

// The three names of one conversion.
struct ConversionNames {
    std::string target;
    std::string temporary;  // a template ending in "XXXXXX"
    std::string backup;
};

// What convert_file returns for a page that it leaves alone on purpose
// (HTML5 already).
inline constexpr int conversion_skipped = 1;

// Returns 0 when the file was converted and its target replaced (in a dry
// run: when it would have been), conversion_skipped for a page that is
// HTML5 already (unless options.force), -1 when it was not converted; every
// failure has been reported through the diagnostics, and a file that was
// not converted is left as it was.
int convert_file(const std::string& input, const ConversionOptions& options,
                 Diagnostics& diagnostics);

// Converts a whole document held in memory (a page read from standard
// input) into output, with the bytes that convert_file would write into the
// page: 0, conversion_skipped (output is then the input itself) or -1 after
// the diagnostics (output is then empty).
int convert_text(std::string_view input, std::string& output, const ConversionOptions& options,
                 Diagnostics& diagnostics);

// Works out the target, temporary and backup names of a non-empty input
// name; fails in output-directory mode when the input has no file name.
Result<ConversionNames> derive_names(const std::string& input, const ConversionOptions& options);

// Moves the converted temporary file onto the target, keeping the old target
// as the backup unless no_backup is set. A failure ends the progress line
// and leaves its report to the caller.
// With the identity of the file that was converted, a target that is no
// longer that file (replaced, rewritten or removed meanwhile) is left as it
// is now and the temporary file is removed.
Status replace_target(const ConversionNames& names, const std::string& input,
                   const ConversionOptions& options, Diagnostics& diagnostics,
                   const std::optional<platform::FileIdentity>& converted = std::nullopt);

}  // namespace quorlix

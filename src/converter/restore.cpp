#include "converter/restore.h"

#include "base/messages.h"
#include "base/paths.h"
#include "platform/platform.h"
#include "platform/process.h"
#include "platform/replace.h"

namespace quorlix {

RestoreResult restore_page(const std::string& page, bool dry_run, bool verbose, OutputSink& log) {
    const std::string target = platform::link_target(page).value_or(page);
    const std::string backup = *join_path(target, std::nullopt, "bak");
    auto error = [&](const std::string& text) {
        if (verbose) log.write("\n");
        log.write(std::string(messages::program_name) + ": Error: " + text + "\n");
        return RestoreResult::failed;
    };
    if (verbose) log.write(page + "... ");
    if (!platform::file_exists(backup)) {
        if (verbose) log.write("No backup, left as it is.\n");
        return RestoreResult::no_backup;
    }
    if (platform::is_directory(backup)) return error(backup + " is a directory, not a backup");
    if (!dry_run && !platform::replace_file(backup, target)) {
        return error("cannot put " + backup + " back in place of " + target + ": " +
                     platform::error_text(platform::last_error()));
    }
    if (verbose) log.write("Restored from " + backup + ".\n");
    return RestoreResult::restored;
}

}  // namespace quorlix

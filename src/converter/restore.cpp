#include "converter/restore.h"

#include "base/messages.h"
#include "base/paths.h"
#include "platform/platform.h"
#include "platform/files.h"
#include "platform/replace.h"

namespace quorlix {

RestoreResult restore_page(const std::string& page, bool dry_run, bool verbose, OutputSink& log) {
    const std::string target = platform::link_target(page).value_or(page);
    const std::string backup = *join_path(target, std::nullopt, "bak");
    auto error = [&](const std::string& text) {
        if (verbose) log.write("\n");
        log.write(messages::program_name + (messages::error_head + text) + "\n");
        return RestoreResult::failed;
    };
    if (verbose) log.write(page + messages::progress_end);
    if (!platform::file_exists(backup)) {
        if (verbose) log.write(messages::restore_no_backup);
        return RestoreResult::no_backup;
    }
    if (platform::is_directory(backup)) return error(backup + messages::backup_is_directory);
    if (!dry_run && !platform::replace_file(backup, target)) {
        return error(messages::cannot_put_back_1 + backup + messages::cannot_put_back_2 + target + ": " +
                     platform::error_text(platform::last_error()));
    }
    if (verbose) log.write(messages::restored_from + backup + ".\n");
    return RestoreResult::restored;
}

}  // namespace quorlix

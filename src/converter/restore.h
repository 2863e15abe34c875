// The undo of a run with backups: each page's ".bak" put back in its place.
#pragma once

#include "base/diagnostics.h"

#include <string>

namespace quorlix {

enum class RestoreResult { restored, no_backup, failed };

// Puts page.bak back in place of page with one rename (through a symbolic
// link to the file it leads to, as the conversion does). A page without a
// backup is left as it is. With dry_run nothing is renamed, and the log says
// what would be done. Progress lines only when verbose; errors always.
RestoreResult restore_page(const std::string& page, bool dry_run, bool verbose, OutputSink& log);

}  // namespace quorlix

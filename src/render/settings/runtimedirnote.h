#pragma once

/// Lets Qt's messages through as before, but for its note that XDG_RUNTIME_DIR is not set:
/// scripts, cron jobs and sessions without a login manager run without it, and a private folder
/// serves just as well. Call it first thing in main().
void QuietenRuntimeDirNote();

#pragma once
// Qt wants a private runtime folder (XDG_RUNTIME_DIR) and warns on standard error without
// one, as under cron, ssh without a session, or in a container.

namespace ombrix::cli {

// When XDG_RUNTIME_DIR is unset, points it at a folder of this user's own (mode 0700, made
// once and reused); leaves it unset when no such folder can be had.
void EnsureRuntimeFolder();

}  // namespace ombrix::cli

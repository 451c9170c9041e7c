// Replacing a file so that a reader, or a crash at any moment, finds the old content or the
// new and never a part of either.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <span>

#include "platform/WinTypes.h"

// Writes `data` to a temporary file beside `path` (created exclusively as
// "<name>.tmp-XXXXXX", mode `mode` exactly), flushes it, renames it over `path` and flushes
// the folder. On failure the old file stays, the temporary is removed and the answer is the
// error code; ERROR_SUCCESS otherwise. `beforeRename` runs once the temporary is complete.
DWORD ReplaceFileAtomically(const std::filesystem::path& path, std::span<const std::uint8_t> data,
                            mode_t mode = 0600, const std::function<void()>& beforeRename = {});

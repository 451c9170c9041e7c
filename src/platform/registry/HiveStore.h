// The hive files on disk and the process's view of them.
//
// Reads use a cached copy that is re-read whenever the file changed (another
// process saved it). Writes take the hive's file lock, re-read the file,
// apply only their own change and save atomically: a temporary file in the same
// folder, written and flushed, renamed over the hive, the folder flushed. A
// crash at any point leaves the old or the new hive whole.
//
// A damaged hive (lines that do not parse) is read as far as it parses; what
// is no regular file, or one over 16 MiB, is read as an empty damaged hive. The
// first write over it keeps the damaged file beside the new one, as
// "<hive>.reg.damaged-<time>-<pid>", so that nothing is dropped silently.
#pragma once

#include <filesystem>
#include <functional>
#include <string>

#include "platform/WinTypes.h"
#include "platform/registry/HiveKey.h"

enum class HiveId { CurrentUser, LocalMachine };

const wchar_t* HiveName(HiveId hive);
// $XDG_CONFIG_HOME/vkcert, or ~/.config/vkcert.
std::filesystem::path HiveFolder();
std::filesystem::path HivePath(HiveId hive);

// Runs read on the hive as it is on disk now; answers what read answers, or
// the error met while reading the file.
DWORD ReadHive(HiveId hive, const std::function<DWORD(const HiveKey& root)>& read);

// Runs change on the hive as it is on disk, under the hive's lock. When change
// answers ERROR_SUCCESS and sets changed, the hive is saved; a failed save
// answers its error and leaves the file as it was.
DWORD ModifyHive(HiveId hive, const std::function<DWORD(HiveKey& root, bool& changed)>& change);

// Points in a save at which a test may stop the process.
enum class HiveSaveStage { TempWritten, Renamed };
// Called at each stage of every save; for tests of crashes mid-save.
void SetHiveSaveHook(std::function<void(HiveSaveStage)> hook);

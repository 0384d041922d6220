#pragma once

#include <functional>
#include <string>

// Files and diagnostics of the adapter libraries: private folders, whole-file reads and atomic writes, and
// their one-line log.
//   TSRWL_SIM_PROFILES  base directory of the profile directories (default: $XDG_DATA_HOME/tsrwl-sim)

// The value of the environment variable `name`; empty when it is not set.
std::string EnvText(const char* name);
// Base directory under which each profile directory name gets its own folder.
std::string ProfileBaseDir();
// Creates a directory and its parents with mode 0700 where missing; false when it cannot be had.
bool MakePrivateDirs(const std::string& dir);
// Files larger than this are refused as not the libraries' own (a runaway state file once took a gigabyte).
constexpr long kMaxFileBytes = 4 * 1024 * 1024;
// The whole content of `path`; false when it cannot be opened or read, or is no regular file (a FIFO named by
// mistake would block) or larger than kMaxFileBytes.
bool ReadFileText(const std::string& path, std::string& text);
// Writes `data` to `path` through a private temporary file, synced, and a rename, mode 0600; the folder is
// synced after, so that a power loss keeps the old or the new file whole.
bool WriteFileAtomic(const std::string& path, const std::string& data);
// Syncs the folder holding `path`, making a rename or a removal in it durable.
bool SyncFolderOf(const std::string& path);
// Removes from `dir` the temporary files of WriteFileAtomic that a write cut short left: regular files of
// ours named "<name>.XXXXXX" (six letters or digits) where `ours(name)` holds. Nothing else is touched; the
// caller makes sure no other writer of those files is at work.
void RemoveWriteLeftovers(const std::string& dir, const std::function<bool(const std::string& name)>& ours);
// True only the first time this process asks with `key`: for work due once per file and run.
bool FirstTimeInProcess(const std::string& key);

// One line to stderr, the log tag first ("tsrwl-sim: " unless the library set its own).
void CoreSetLogTag(const char* tag);
void CoreLog(const char* format, ...) __attribute__((format(printf, 1, 2)));
// The same, but each distinct line only once per process: for failures that every call would repeat.
void CoreLogOnce(const std::string& line);

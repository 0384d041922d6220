#pragma once

#include <functional>
#include <string>

// Where the simulated adapter keeps and finds its files, and its one-line diagnostics.
//   TSRWL_SIM_SCENARIO  scenario file (default: tsrwl-sim.ini beside the library or command)
//   TSRWL_SIM_STATE     shared state file (default: <runtime dir>/tsrwl-sim.state)
//   TSRWL_SIM_PROFILES  base directory of the profile directories (default: $XDG_DATA_HOME/tsrwl-sim)

// Directory of the binary this code is linked into, with a trailing '/'.
std::string SimBinaryDir();
// The per-user runtime directory: XDG_RUNTIME_DIR when it is a 0700 directory of ours, else
// /tmp/wlanutil-<uid> (created 0700). Empty when none can be had.
std::string SimRuntimeDir();
std::string ScenarioPath();
std::string StatePath();
// Base directory under which each profile directory name gets its own folder.
std::string ProfileBaseDir();
// Creates a directory and its parents with mode 0700 where missing; false when it cannot be had.
bool MakePrivateDirs(const std::string& dir);
// Files larger than this are refused as not the simulator's (a runaway state file once took a gigabyte).
constexpr long kMaxFileBytes = 4 * 1024 * 1024;
// The whole content of `path`; false when it cannot be opened or read, or is no regular file (a FIFO named by
// mistake would block) or larger than kMaxFileBytes.
bool ReadFileText(const std::string& path, std::string& text);
// Writes `data` to `path` through a private temporary file and a rename, mode 0600.
bool WriteFileAtomic(const std::string& path, const std::string& data);
// Removes from `dir` the temporary files of WriteFileAtomic that a write cut short left: regular files of
// ours named "<name>.XXXXXX" (six letters or digits) where `ours(name)` holds. Nothing else is touched; the
// caller makes sure no other writer of those files is at work.
void RemoveWriteLeftovers(const std::string& dir, const std::function<bool(const std::string& name)>& ours);
// True only the first time this process asks with `key`: for work due once per file and run.
bool FirstTimeInProcess(const std::string& key);

// One line to stderr, the log tag first ("tsrwl-sim: " unless another library that shares this code set its
// own).
void SimSetLogTag(const char* tag);
void SimLog(const char* format, ...) __attribute__((format(printf, 1, 2)));
// The same, but each distinct line only once per process: for failures that every call would repeat.
void SimLogOnce(const std::string& line);

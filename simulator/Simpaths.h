#pragma once

#include <string>

// Where the simulated adapter keeps and finds its own files.
//   TSRWL_SIM_SCENARIO  scenario file (default: tsrwl-sim.ini beside the library or command)
//   TSRWL_SIM_STATE     shared state file (default: <runtime dir>/tsrwl-sim.state)

// Directory of the binary this code is linked into, with a trailing '/'.
std::string SimBinaryDir();
// The per-user runtime directory: XDG_RUNTIME_DIR when it is a 0700 directory of ours, else
// /tmp/wlanutil-<uid> (created 0700). Empty when none can be had.
std::string SimRuntimeDir();
std::string ScenarioPath();
std::string StatePath();

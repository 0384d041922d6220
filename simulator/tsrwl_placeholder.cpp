// Answers every call of the adapter interface with "no adapter" until the simulated adapter is built.
#include "engine/tsrwl.h"

#define PLACEHOLDER(name, result, args)                                                                       \
    extern "C" __attribute__((visibility("default"))) result name args { return 0; }
TSRWL_FUNCTIONS(PLACEHOLDER)

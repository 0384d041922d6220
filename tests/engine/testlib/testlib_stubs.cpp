// Every function of the adapter interface as a weak stub that only counts its calls; testlib_hooks.cpp gives
// the few the binding relies on a real behaviour. A variant of the library leaves one name out by renaming
// it with a compile definition (TSRWL_x=Absent_TSRWL_x); the recorded name stays the interface's.
#include "testlib.h"

#pragma GCC diagnostic ignored "-Wunused-parameter"

extern "C" {
#define TESTLIB_STUB(name, result, args)                                                                     \
    __attribute__((weak, visibility("default"))) result name args                                            \
    {                                                                                                        \
        TestLibRecord(#name);                                                                                \
        return 1;                                                                                            \
    }
TSRWL_FUNCTIONS(TESTLIB_STUB)
#undef TESTLIB_STUB
}

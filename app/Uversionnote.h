#pragma once

// The four-part file version a binary carries, as an ELF note that FileVersionText reads.
// Note name "WLVERSION", type 1, four 32-bit numbers: major, minor, release, build.

#include <stdint.h>

#define WL_VERSION_NOTE_NAME "WLVERSION"
#define WL_VERSION_NOTE_TYPE 1

struct WlVersionNote {
    uint32_t nameSize;
    uint32_t descSize;
    uint32_t type;
    char name[12];
    uint32_t version[4];
};

#define WL_DEFINE_VERSION_NOTE(major, minor, release, build)                                                 \
    __attribute__((section(".note.wlversion"), used,                                                         \
                   aligned(4))) static const struct WlVersionNote wlVersionNote = {                          \
        sizeof(WL_VERSION_NOTE_NAME),                                                                        \
        16,                                                                                                  \
        WL_VERSION_NOTE_TYPE,                                                                                \
        WL_VERSION_NOTE_NAME,                                                                                \
        {major, minor, release, build}}

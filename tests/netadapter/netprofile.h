#pragma once

#include "simulator/simlibrary.h"

#include <cstring>
#include <gtest/gtest.h>

// A text into a record's fixed-size field, NUL-terminated.
template <size_t N> void Put(char (&field)[N], const char* text)
{
    strncpy(field, text, N - 1);
}

// Applies a profile the way the program does (profile to status record, then set); the library's result.
inline int32_t ApplyProfile(const SimLibrary& lib, const WLProfile& profile)
{
    WLANStatus status{};
    lib.TSRWL_WLProfileToWLStatus(&profile, &status);
    int32_t result = -1;
    const int32_t r = lib.TSRWL_SetWLANStatus(&result, &status);
    EXPECT_EQ(result, r == TSRWL_OK ? 0 : 1);
    return r;
}

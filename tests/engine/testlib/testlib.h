#pragma once

#include "adaptercore/tsrwl.h"

// Counts one call of the interface function `name`.
void TestLibRecord(const char* name);

// Controls of the test library, looked up by the tests with dlsym.
extern "C" {
// Number of calls of `name` since the last reset; a null name counts every call.
int TestLib_CallCount(const char* name);
// Forgets the calls and restores the defaults: query succeeds, adapter connected, no repeat, status result 1.
void TestLib_Reset();
void TestLib_SetQueryResult(int32_t result);
void TestLib_SetMediaState(uint32_t state);
void TestLib_SetRepeat(int32_t repeat);
void TestLib_SetStatusResult(int32_t result);
// Arguments of the last TSRWL_Initial and TSRWL_QueryOID calls.
const char* TestLib_InitialTag();
int32_t TestLib_InitialFlag();
uint32_t TestLib_QueryOid();
uint32_t TestLib_QueryLength();
}

#pragma once

#include "Coreprofilestore.h"
#include "tsrwl.h"

#include <array>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

// What every implementation of the adapter library's C interface does alike with the caller's buffers: texts
// taken and handed back within their bounds, scan and station buffers filled, certificate lists handed out,
// and the profile calls over a profile store. Shared by the simulated adapter and the one for real adapters.

#define TSRWL_EXPORT extern "C" __attribute__((visibility("default")))
// The header's typedefs and the definitions must agree, or the program would call a wrong signature.
#define TSRWL_CHECK_SIGNATURE(name, result, args) static_assert(std::is_same_v<decltype(&name), name##_t>);

constexpr int32_t kTsrwlFail = 0;
// Results of the object-id calls, in the numbering of the adapter's driver interface.
constexpr uint32_t kNdisFailure = 0xC0000001u;
constexpr uint32_t kNdisNotSupported = 0xC00000BBu;
constexpr uint32_t kNdisInvalidLength = 0xC0010014u;
constexpr uint32_t kOidPermanentAddress = 0x01010101u;
constexpr uint32_t kOidRssi = 0x0D010206u;

// The opening of every call on a library's state: a missing argument (any of `required` null) fails at once,
// anything else runs `call` under `lock` and returns its result.
template <typename Call, typename... Args>
int32_t CallLocked(std::mutex& lock, const Call& call, const Args*... required)
{
    if ((... || (required == nullptr)))
        return kTsrwlFail;
    const std::lock_guard guard(lock);
    return call();
}

// Answers an object-id query with `size` bytes of `value`: 0, or the error for a buffer that is too small.
int32_t AnswerOid(const void* value, uint32_t size, void* buffer, uint32_t length, uint32_t* written);

// A caller's text of at most `maxLength` bytes; false for none or a longer one (it is not read on).
bool TextArg(const char* text, size_t maxLength, std::string& out);
// Copies `text` into a buffer of `size` bytes, cut to fit at a character boundary and NUL-terminated.
void CopyOut(char* to, size_t size, const std::string& text);

// Fills a scan buffer of *size bytes (count, then entries) and sets *size to the bytes written.
int32_t FillSurveyBuffer(const std::vector<TSSiteEntry>& entries, void* buffer, uint32_t* size);
// Fills a station list buffer: the addresses, then zeros.
void FillStationList(const std::vector<std::array<uint8_t, 6>>& stations, void* buffer);
// Replaces `list` with entries of (name, issuer) and hands out its address; the list stays valid until the
// next call that replaces it, as the caller copies the entries at once.
int32_t HandOutCertificates(const std::vector<std::pair<std::string, std::string>>& certificates,
                            std::vector<TSCertEntry>& list, void** entries);

// The WEP key set of a pass phrase (TSRWL_PassphraseToWEPKey).
int32_t PassphraseKeySet(const char* passphrase, int32_t keySizeCode, void* keySet);

int32_t GetStoredProfile(const CCoreProfileStore& store, const char* name, WLProfile* profile);
int32_t SetStoredProfile(const CCoreProfileStore& store, const char* name, const WLProfile* profile);
int32_t EnumStoredProfiles(const CCoreProfileStore& store, int32_t index, char* name);
int32_t DeleteStoredProfile(const CCoreProfileStore& store, const char* name);

#include "Coreexporthelp.h"

#include "Corecrypto.h"

#include <algorithm>
#include <cstring>

namespace {
constexpr int32_t kFail = kTsrwlFail;
}

int32_t AnswerOid(const void* value, uint32_t size, void* buffer, uint32_t length, uint32_t* written)
{
    if (length < size)
        return int32_t(kNdisInvalidLength);
    memcpy(buffer, value, size);
    if (written)
        *written = size;
    return 0;
}

bool TextArg(const char* text, size_t maxLength, std::string& out)
{
    if (!text)
        return false;
    const size_t n = strnlen(text, maxLength + 1);
    if (n > maxLength)
        return false;
    out.assign(text, n);
    return true;
}

void CopyOut(char* to, size_t size, const std::string& text)
{
    size_t n = std::min(text.size(), size - 1);
    // Never inside a character: a cut lands before the continuation bytes of the one it would split.
    while (n > 0 && n < text.size() && (static_cast<unsigned char>(text[n]) & 0xC0) == 0x80)
        --n;
    memcpy(to, text.data(), n);
    to[n] = '\0';
}

int32_t FillSurveyBuffer(const std::vector<TSSiteEntry>& entries, void* buffer, uint32_t* size)
{
    const size_t room =
        std::min<size_t>((*size - sizeof(uint32_t)) / sizeof(TSSiteEntry), TSRWL_SITE_ENTRY_MAX);
    const uint32_t count = uint32_t(std::min(room, entries.size()));
    auto* bytes = static_cast<uint8_t*>(buffer);
    memcpy(bytes, &count, sizeof count);
    if (count > 0)
        memcpy(bytes + sizeof count, entries.data(), count * sizeof(TSSiteEntry));
    *size = uint32_t(sizeof count + count * sizeof(TSSiteEntry));
    return TSRWL_OK;
}

void FillStationList(const std::vector<std::array<uint8_t, 6>>& stations, void* buffer)
{
    auto* list = static_cast<TSStationList*>(buffer);
    memset(list, 0, sizeof *list);
    for (size_t i = 0; i < stations.size() && i < TSRWL_STATION_MAX; ++i)
        memcpy(list->Mac[i], stations[i].data(), TSRWL_MAC_SIZE);
}

int32_t HandOutCertificates(const std::vector<std::pair<std::string, std::string>>& certificates,
                            std::vector<TSCertEntry>& list, void** entries)
{
    list.clear();
    for (const auto& [name, issuer] : certificates) {
        TSCertEntry e{};
        CopyOut(e.Name, sizeof e.Name, name);
        CopyOut(e.Issuer, sizeof e.Issuer, issuer);
        list.push_back(e);
    }
    *entries = list.empty() ? nullptr : list.data();
    return int32_t(list.size());
}

int32_t PassphraseKeySet(const char* passphrase, int32_t keySizeCode, void* keySet)
{
    std::string phrase;
    if (!keySet || !TextArg(passphrase, 256, phrase))
        return kFail;
    return FillWepKeySet(phrase, keySizeCode, *static_cast<TSWEPKeySet*>(keySet)) ? TSRWL_OK : kFail;
}

int32_t GetStoredProfile(const CCoreProfileStore& store, const char* name, WLProfile* profile)
{
    std::string profileName;
    if (!profile || !TextArg(name, CCoreProfileStore::MaxNameLength, profileName))
        return kFail;
    return store.Load(profileName, profile, sizeof *profile) ? TSRWL_OK : kFail;
}

int32_t SetStoredProfile(const CCoreProfileStore& store, const char* name, const WLProfile* profile)
{
    std::string profileName;
    if (!profile || !TextArg(name, CCoreProfileStore::MaxNameLength, profileName))
        return kFail;
    return store.Save(profileName, profile, sizeof *profile) ? TSRWL_OK : kFail;
}

int32_t EnumStoredProfiles(const CCoreProfileStore& store, int32_t index, char* name)
{
    if (!name || index < 0)
        return kFail;
    const auto names = store.Names();
    if (size_t(index) >= names->size())
        return kFail;
    CopyOut(name, TSRWL_PROFILE_NAME_BUFFER_SIZE, (*names)[size_t(index)]);
    return TSRWL_OK;
}

int32_t DeleteStoredProfile(const CCoreProfileStore& store, const char* name)
{
    std::string profileName;
    if (!TextArg(name, CCoreProfileStore::MaxNameLength, profileName))
        return kFail;
    return store.Remove(profileName) ? TSRWL_OK : kFail;
}

#include "Corecrypto.h"
#include "Corepaths.h"

#include <algorithm>
#include <cstring>
#include <dlfcn.h>
#include <openssl/evp.h>
#include <openssl/opensslv.h>

namespace {

#define CORE_TEXT(x) #x
#define CORE_VALUE_TEXT(x) CORE_TEXT(x)
const char* const CRYPTO_LIBRARY = "libcrypto.so." CORE_VALUE_TEXT(OPENSSL_SHLIB_VERSION);

// The crypto library is bound when a key is first derived: most of the adapter's calls never need it, and
// loading it with the adapter would cost every program start-up time and memory.
struct CryptoFunctions {
    decltype(&EVP_Digest) Digest = nullptr;
    decltype(&EVP_md5) Md5 = nullptr;
    decltype(&PKCS5_PBKDF2_HMAC_SHA1) Pbkdf2 = nullptr;
};

template <typename F> void Bind(void* module, F& function, const char* name)
{
    function = reinterpret_cast<F>(dlsym(module, name));
    if (!function)
        CoreLog("%s has no %s", CRYPTO_LIBRARY, name);
}

const CryptoFunctions& Crypto()
{
    static const CryptoFunctions functions = [] {
        CryptoFunctions f;
        void* module = dlopen(CRYPTO_LIBRARY, RTLD_NOW | RTLD_LOCAL);
        if (!module) {
            CoreLog("cannot load %s: %s", CRYPTO_LIBRARY, dlerror());
            return f;
        }
        Bind(module, f.Digest, "EVP_Digest");
        Bind(module, f.Md5, "EVP_md5");
        Bind(module, f.Pbkdf2, "PKCS5_PBKDF2_HMAC_SHA1");
        return f;
    }();
    return functions;
}

} // namespace

std::array<Bytes, 4> WepKeys64(const std::string& phrase)
{
    uint8_t seed[4] = {};
    for (size_t i = 0; i < phrase.size(); ++i)
        seed[i % 4] ^= uint8_t(phrase[i]);
    uint32_t x =
        uint32_t(seed[0]) | uint32_t(seed[1]) << 8 | uint32_t(seed[2]) << 16 | uint32_t(seed[3]) << 24;
    std::array<Bytes, 4> keys;
    for (Bytes& key : keys) {
        for (int i = 0; i < 5; ++i) {
            x = x * 0x343FDu + 0x269EC3u;
            key.push_back(uint8_t(x >> 16));
        }
    }
    return keys;
}

std::optional<Bytes> WepKey128(const std::string& phrase)
{
    if (phrase.empty())
        return std::nullopt;
    uint8_t block[64];
    for (size_t i = 0; i < sizeof block; ++i)
        block[i] = uint8_t(phrase[i % phrase.size()]);
    uint8_t digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    const CryptoFunctions& crypto = Crypto();
    if (!crypto.Digest || !crypto.Md5 ||
        crypto.Digest(block, sizeof block, digest, &length, crypto.Md5(), nullptr) != 1 || length < 13)
        return std::nullopt;
    return Bytes(digest, digest + 13);
}

std::optional<Bytes> WpaPsk(const std::string& passphrase, const std::string& ssid)
{
    if (passphrase.size() < 8 || passphrase.size() > 63 || ssid.size() > 32)
        return std::nullopt;
    for (char c : passphrase)
        if (c < 32 || c > 126)
            return std::nullopt;
    Bytes psk(32);
    const CryptoFunctions& crypto = Crypto();
    if (!crypto.Pbkdf2 || crypto.Pbkdf2(passphrase.data(), int(passphrase.size()),
                                        reinterpret_cast<const unsigned char*>(ssid.data()), int(ssid.size()),
                                        4096, int(psk.size()), psk.data()) != 1)
        return std::nullopt;
    return psk;
}

std::string HexText(const Bytes& bytes)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string text;
    for (uint8_t b : bytes) {
        text += digits[b >> 4];
        text += digits[b & 15];
    }
    return text;
}

namespace {
int HexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}
} // namespace

std::optional<Bytes> HexBytes(const std::string& text)
{
    if (text.empty() || text.size() % 2 != 0)
        return std::nullopt;
    Bytes bytes;
    for (size_t i = 0; i < text.size(); i += 2) {
        const int high = HexValue(text[i]);
        const int low = HexValue(text[i + 1]);
        if (high < 0 || low < 0)
            return std::nullopt;
        bytes.push_back(uint8_t(high << 4 | low));
    }
    return bytes;
}

bool FillWepKeySet(const std::string& phrase, int32_t keySizeCode, TSWEPKeySet& set)
{
    if (phrase.empty())
        return false;
    std::array<Bytes, 4> keys;
    if (keySizeCode == 1) {
        keys = WepKeys64(phrase);
    } else if (keySizeCode == 2) {
        const auto key = WepKey128(phrase);
        if (!key)
            return false;
        keys.fill(*key);
    } else {
        return false;
    }
    memset(&set, 0, sizeof set);
    set.reserved0[0] = uint8_t(keys[0].size());
    for (size_t i = 0; i < keys.size(); ++i) {
        const std::string text = HexText(keys[i]);
        const size_t n = std::min(text.size(), sizeof set.Key[i] - 1);
        memcpy(set.Key[i], text.data(), n);
    }
    return true;
}

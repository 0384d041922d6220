#pragma once

#include "tsrwl.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// Key derivations of the adapter libraries: the common WEP pass-phrase generators and the WPA pre-shared key.

using Bytes = std::vector<uint8_t>;

// Four 40-bit keys from a pass phrase (the linear-congruential generator most adapters ship).
std::array<Bytes, 4> WepKeys64(const std::string& phrase);
// One 104-bit key: MD5 of the phrase repeated to 64 bytes. Empty phrase: no key.
std::optional<Bytes> WepKey128(const std::string& phrase);
// 32-byte PSK = PBKDF2-HMAC-SHA1(pass phrase, SSID, 4096). Pass phrases outside 8-63 printable characters:
// none.
std::optional<Bytes> WpaPsk(const std::string& passphrase, const std::string& ssid);

std::string HexText(const Bytes& bytes); // upper case, no separators
// Pairs of hex digits into bytes; nothing when the text is empty, odd or holds a non-hex character.
std::optional<Bytes> HexBytes(const std::string& text);

// The key set of a pass phrase as the WEP pages ask for it: code 1 gives four 40-bit keys, code 2 one 104-bit
// key in all four places. False for an empty phrase or another code.
bool FillWepKeySet(const std::string& phrase, int32_t keySizeCode, TSWEPKeySet& set);

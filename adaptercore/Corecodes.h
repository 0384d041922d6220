#pragma once

#include <cstdint>
#include <type_traits>

// The codes a profile and a status record carry in their plain integer fields (adaptercore/tsrwl.h), with the
// numbers the adapter library and the stored profiles use. The C records keep their integers: a value goes in
// with ToCode() and comes out by comparing with ToCode(), so that every crossing of the boundary is visible.

// WLProfile::AuthenticationMode, WLANStatus::AuthMode: the driver's authentication modes.
enum class TsrwlAuthMode : int32_t {
    Open = 0,
    Shared = 1,
    Auto = 2,
    Wpa = 3,
    WpaPsk = 4,
    WpaNone = 5,
    Wpa2 = 6,
    Wpa2Psk = 7
};

// WLProfile::EncryptionMethod, WLANStatus::Encryption: the kind of security of a network. 5 is not used.
enum class TsrwlSecurity : int32_t {
    Open = 0,
    Wep = 1,
    WpaPsk = 2,
    Wpa = 3,
    Dot1x = 4,
    Wpa2Psk = 6,
    Wpa2 = 7
};

// WLProfile::WPAEncryptionType: the pairwise cipher of the WPA family.
enum class TsrwlCipher : int32_t { Tkip = 1, Aes = 2 };

// WLProfile::MS8021xAuthMode: the 802.1x method; 0 names none. MD5 is shown but never offered.
enum class TsrwlEapMethod : int32_t { Tls = 1, Ttls = 2, Peap = 3, Leap = 4, Md5 = 5 };

// WLProfile::TTLSEap: the method inside a TTLS tunnel.
enum class TsrwlTtlsInner : int32_t { Pap = 0, Chap = 1, MsChap = 2, MsChapV2 = 3 };

// WLProfile::PeapEap: the method inside a PEAP tunnel (0, from older profiles, is taken as MS-CHAPv2 too).
enum class TsrwlPeapInner : int32_t { Gtc = 1, MsChapV2 = 2 };

// The integer a code is stored as in the C records.
template <typename E>
requires std::is_enum_v<E>
constexpr std::underlying_type_t<E> ToCode(E code)
{
    return static_cast<std::underlying_type_t<E>>(code);
}

// Whether a profile of this kind of security (EncryptionMethod) logs in through 802.1x.
constexpr bool IsDot1xSecurity(int32_t encryptionMethod)
{
    return encryptionMethod == ToCode(TsrwlSecurity::Wpa) ||
           encryptionMethod == ToCode(TsrwlSecurity::Dot1x) ||
           encryptionMethod == ToCode(TsrwlSecurity::Wpa2);
}

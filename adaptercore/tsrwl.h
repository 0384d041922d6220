/* The C interface of the wireless adapter library libtsrwl.so, shared by the program and by any library that
 * implements it. Integers in records are 32-bit little-endian; pointers are native. Every record's size and
 * named offsets are checked at compile time. */
#ifndef TSRWL_H
#define TSRWL_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#define TSRWL_OK 1

/* Object ids of TSRWL_QueryOID / TSRWL_SetOID used by the program. */
#define TSRWL_OID_MEDIA_CONNECT_STATUS 0x00010114u /* 4 bytes: 0 connected, 1 disconnected */
#define TSRWL_OID_CURRENT_ADDRESS 0x01010102u      /* 6 bytes: the adapter's MAC address */
#define TSRWL_OID_ANTENNA 0xFF0201BAu              /* 1 byte: antenna selection */

/* Device record exchanged with TSRWL_DevDetect (516 bytes, zero-filled by the caller). */
typedef struct TSDevRecord {
    uint8_t libraryData[256]; /* the library's own; its leading text, up to a NUL, must differ from one
                                 plugging in of the device to the next (a device path with a sequence) */
    char hwId[64];            /* input: hardware id or device name, at most 63 characters */
    uint8_t reserved1[64];
    char description[128]; /* output when the device is present */
    uint8_t reserved2[4];
} TSDevRecord;

/* Link status record (3008 bytes). The program reads only the named fields; every other byte belongs to the
 * library and is copied unchanged. */
typedef struct WLANStatus {
    uint8_t Bssid[6];
    uint8_t reserved0[2];
    uint32_t SsidLength; /* 0 to 32 */
    uint8_t Ssid[32];    /* not NUL-terminated */
    uint8_t reserved1[76];
    int32_t Rssi;         /* received signal level in dBm; 0 = no reading */
    uint32_t NetworkType; /* 1 = infrastructure, other = ad hoc */
    uint8_t reserved2[28];
    uint32_t Frequency; /* library's unit; TSRWL_FrequencyToChannel turns it into a channel */
    uint8_t reserved3[44];
    uint32_t AuthMode; /* 1 = shared key, 2 = automatic switch, other = open */
    uint64_t TotalReceived;
    uint64_t TotalTransmitted;
    uint64_t RxBytes; /* running counts */
    uint64_t TxBytes;
    uint8_t reserved4[4];
    uint32_t Encryption; /* EncryptionMethod value of the profile */
    uint8_t reserved5[2368];
    uint32_t DotMode; /* 1 = 802.11b, 2 = 802.11a, 3 = 802.11g, 4 = 802.11n, 5 = 802.11ac, 6 = 802.11ax */
    uint8_t reserved6[16];
    uint8_t TxRate; /* units of 500 kbit/s */
    uint8_t reserved7[143];
    uint32_t MediaState; /* 0 = connected, 1 = disconnected */
    int32_t LinkQuality; /* dBm */
    uint8_t reserved8[208];
    uint32_t TxPower; /* 0 to 3 */
    uint8_t reserved9[8];
} WLANStatus;

#define TSRWL_MAC_SIZE 6
#define TSRWL_IP_SIZE 4
#define TSRWL_SSID_MAX 32
#define TSRWL_MAC_FILTER_COUNT 16
#define TSRWL_PROFILE_NAME_BUFFER_SIZE 264 /* name buffer handed to TSRWL_EnumWLProfiles */

/* IP settings of the adapter's connection (1036 bytes, 2-byte aligned so that it can sit at an even offset
 * inside WLProfile). Address fields are 4 raw bytes in the library's own order; only TSRWL_IPDataToStr turns
 * them into text. */
typedef struct NetworkInfo {
    char sz_CurProfile[260];
    uint16_t wFlags;
    uint16_t wNetFlags; /* bit 0: address mode */
    uint16_t wPPPFlags;
    uint16_t wEthWINSMode;
    uint8_t VPI;
    uint8_t VCI;
    uint16_t wEncapsulation;
    uint8_t IpAddr[TSRWL_IP_SIZE];
    uint8_t IpMask[TSRWL_IP_SIZE];
    uint8_t IpGate1[TSRWL_IP_SIZE];
    uint8_t IpGate2[TSRWL_IP_SIZE];
    uint8_t IpDNS1[TSRWL_IP_SIZE];
    uint8_t IpDNS2[TSRWL_IP_SIZE];
    uint8_t IpWINS1[TSRWL_IP_SIZE];
    uint8_t IpWINS2[TSRWL_IP_SIZE];
    char strScopeId[132];
    char strHostName[132];
    char strDomain[132];
    char strDomSufSearch[132];
    char strLoginUsr[68];
    char strLoginPsw[68];
    char strLoginDom[68];
} NetworkInfo;

/* Connection profile (3976 bytes), stored and applied by the library byte for byte. Texts are NUL-terminated
 * inside their field; keys and pass phrases are plain text. */
typedef struct WLProfile {
    int32_t FuncMode; /* 0 = station profile, other = Soft AP profile */
    uint8_t APMacFilter[TSRWL_MAC_FILTER_COUNT][TSRWL_MAC_SIZE];
    int32_t APMacFilterMode;
    int32_t APtxPwrLevel; /* 0 to 3 */
    int32_t Channel;
    int32_t AdHocBand;   /* ad hoc band as a wireless-mode code: 1 = 802.11b, 2 = 802.11a, 3 = 802.11g */
    int32_t TxRate;      /* 15 = automatic, else units of 500 kbit/s */
    int32_t NetworkMode; /* 1 = infrastructure, 0 = ad hoc */
    int32_t ABGMode;
    char ProfileName[65];
    char Ssid1[33];
    char Ssid2[33];
    char Ssid3[33];
    int32_t ApSSIDHide;
    int32_t WEPEncryptionLevel; /* 0 none, 1 64-bit, 2 128-bit, 3 152-bit, 4 256-bit */
    char PassPhrase[257];
    char WEPKey1[59];
    char WEPKey2[59];
    char WEPKey3[59];
    char WEPKey4[59];
    uint8_t reserved0[3];
    int32_t DefaultKey;   /* 0 to 3 */
    int32_t WEPKeyFormat; /* 1 = hexadecimal digits, 2 = characters */
    int32_t AuthenticationMode;
    int32_t EncryptionMethod;
    int32_t WPAEncryptionType; /* 1 TKIP, 2 AES */
    char WPAPassphrase[260];
    int32_t FragThreshold;
    int32_t RTSThreshold;
    int32_t PreambleMode;
    int32_t PowerMode;
    int32_t txPwrLevel;
    char LoginName[260];
    char LoginPassword[260];
    char DomainName[260];
    char sCertificate[260];
    char sCertificate_Issuer[260];
    char sCertAuthority[260];
    char sCertAuthority_Issuer[260];
    int32_t ValidateServerCert;
    int32_t MS8021xAuthMode; /* 1 TLS, 2 TTLS, 3 PEAP, 4 LEAP */
    int32_t TTLSEap;
    int32_t PeapEap;
    uint8_t ApplyNetwork; /* 1 = connecting also applies NetInfo */
    uint8_t reserved1;
    NetworkInfo NetInfo;
    uint8_t reserved2[2];
    int32_t QosEnabled;
} WLProfile;

/* One network found by a site survey (120 bytes). */
typedef struct TSSiteEntry {
    uint32_t Length;
    uint8_t Bssid[TSRWL_MAC_SIZE];
    uint8_t reserved0[2];
    uint32_t SsidLength;          /* 0 to 32 */
    uint8_t Ssid[TSRWL_SSID_MAX]; /* not NUL-terminated */
    uint32_t Security;
    int32_t Rssi;         /* dBm */
    uint32_t NetworkType; /* 1 = 802.11b, 2 = 802.11a, 3 = 802.11g */
    uint8_t reserved1[12];
    uint32_t Frequency;
    uint8_t reserved2[16];
    uint32_t NetworkMode; /* 1 = infrastructure, other = ad hoc */
    uint8_t reserved3[24];
} TSSiteEntry;

#define TSRWL_SITE_ENTRY_MAX 256
#define TSRWL_SITE_SURVEY_BUFFER_SIZE 30724

/* Scan results filled by TSRWL_SiteSurveyGet. */
typedef struct TSSiteSurveyBuffer {
    uint32_t Count;
    TSSiteEntry Entries[TSRWL_SITE_ENTRY_MAX];
} TSSiteSurveyBuffer;

#define TSRWL_STATION_MAX 1024
#define TSRWL_STATION_LIST_SIZE 6144

/* Stations associated with the soft access point, ended by the first all-zero address. */
typedef struct TSStationList {
    uint8_t Mac[TSRWL_STATION_MAX][TSRWL_MAC_SIZE];
} TSStationList;

#define TSRWL_CERT_KIND_USER 1
#define TSRWL_CERT_KIND_ROOT 3

/* Certificate entry of TSRWL_EnumCertificates (512 bytes). */
typedef struct TSCertEntry {
    char Name[256];
    char Issuer[256];
} TSCertEntry;

#define TSRWL_WEP_KEY_COUNT 4
#define TSRWL_WEP_KEY_TEXT_SIZE 64

/* Keys generated by TSRWL_PassphraseToWEPKey: four NUL-terminated key texts, keys 1 to 4 in order. */
typedef struct TSWEPKeySet {
    uint8_t reserved0[4];
    char Key[TSRWL_WEP_KEY_COUNT][TSRWL_WEP_KEY_TEXT_SIZE];
} TSWEPKeySet;

/* The 48 functions, in the order the program looks them up. Results are 32-bit integers; 1 is success. */
#define TSRWL_FUNCTIONS(X)                                                                                   \
    X(TSRWL_Initial, int32_t, (const char* makerTag, int32_t flag))                                          \
    X(TSRWL_EnumAvailableDevice, int32_t, (void* buffer, int32_t* count))                                    \
    X(TSRWL_DevDetect, int32_t, (TSDevRecord * device))                                                      \
    X(TSRWL_QueryOID, int32_t, (uint32_t oid, void* buffer, uint32_t length, uint32_t* written))             \
    X(TSRWL_SetOID, int32_t, (uint32_t oid, const void* buffer, uint32_t length))                            \
    X(TSRWL_SiteSurveyScan, int32_t, (void))                                                                 \
    X(TSRWL_SiteSurveyGet, int32_t, (void* buffer, uint32_t* size))                                          \
    X(TSRWL_ChannelToFrequency, int32_t, (int32_t channel))                                                  \
    X(TSRWL_FrequencyToChannel, int32_t, (int32_t frequency))                                                \
    X(TSRWL_GetWLANStatus, int32_t, (int32_t * repeat, WLANStatus * status))                                 \
    X(TSRWL_SetWLANStatus, int32_t, (int32_t * result, WLANStatus * status))                                 \
    X(TSRWL_WLProfileToWLStatus, int32_t, (const WLProfile* profile, WLANStatus* status))                    \
    X(TSRWL_SetWLProfileDir, int32_t, (const char* directoryName))                                           \
    X(TSRWL_GetWLProfile, int32_t, (const char* name, WLProfile* profile))                                   \
    X(TSRWL_SetWLProfile, int32_t, (const char* name, const WLProfile* profile))                             \
    X(TSRWL_EnumWLProfiles, int32_t, (int32_t index, char* name))                                            \
    X(TSRWL_DeleteWLProfile, int32_t, (const char* name))                                                    \
    X(TSRWL_RegExportProfile, int32_t, (const char* fileName))                                               \
    X(TSRWL_RegImportProfile, int32_t, (const char* fileName))                                               \
    X(TSRWL_GetNetworkInfo, int32_t, (NetworkInfo * info))                                                   \
    X(TSRWL_SetNetworkInfo, int32_t, (const NetworkInfo* info))                                              \
    X(TSRWL_StrToIPData, int32_t, (const char* text, void* ipData))                                          \
    X(TSRWL_IPDataToStr, int32_t, (const void* ipData, char* text))                                          \
    X(TSRWL_GetWLANDriverPath, int32_t, (char* path))                                                        \
    X(TSRWL_Get_ZeroConfig, int32_t, (void))                                                                 \
    X(TSRWL_Set_ZeroConfig, int32_t, (int32_t enable))                                                       \
    X(TSRWL_Set_WZCService, int32_t, (int32_t handOver))                                                     \
    X(TSRWL_Get_WZCService, int32_t, (void))                                                                 \
    X(TSRWL_PassphraseToWEPKey, int32_t, (const char* passphrase, int32_t keySizeCode, void* keySet))        \
    X(TSRWL_GetWLANDomain, int32_t, (char* domain))                                                          \
    X(TSRWL_SetWLANDomain, int32_t, (const char* domain))                                                    \
    X(TSRWL_Disconnect, int32_t, (void))                                                                     \
    X(TSRWL_EnumCertificates, int32_t, (void** entries, int32_t kind))                                       \
    X(TSRWL_GetAllowedChannel, int32_t, (int32_t * channels, int32_t band, const char* domain))              \
    X(TSRWL_GetAPAllowedChannel, int32_t, (int32_t * channels, int32_t band, const char* domain))            \
    X(TSRWL_GetCurrentProfile, int32_t, (WLProfile * profile))                                               \
    X(TSRWL_EnableDevice, int32_t, (int32_t enable))                                                         \
    X(TSRWL_SendUCharToDev, int32_t, (uint8_t value))                                                        \
    X(TSRWL_IPRelease, int32_t, (void))                                                                      \
    X(TSRWL_IPRenew, int32_t, (void))                                                                        \
    X(TSRWL_GetUSBType, int32_t, (void))                                                                     \
    X(TSRWL_GetGinUSB11, int32_t, (void))                                                                    \
    X(TSRWL_SetGinUSB11, int32_t, (int32_t value))                                                           \
    X(TSRWL_GetAPStationList, int32_t, (void* buffer))                                                       \
    X(TSRWL_GetAPFilterMode, int32_t, (void))                                                                \
    X(TSRWL_SetAPFilterMode, int32_t, (int32_t mode))                                                        \
    X(TSRWL_GetAPFilterList, int32_t, (void* buffer))                                                        \
    X(TSRWL_SetAPFilterList, int32_t, (const void* buffer))

#define TSRWL_DECLARE_TYPE(name, result, args) typedef result(*name##_t) args;
TSRWL_FUNCTIONS(TSRWL_DECLARE_TYPE)
#undef TSRWL_DECLARE_TYPE

#define TSRWL_FUNCTION_COUNT 48

/* Optional export, looked up at load like the others but not required: why the last connect attempt failed.
 * Returns one of the codes below (TSRWL_CONNECT_ERROR_NONE when the last connect succeeded or none ran) and,
 * when text is not null and size > 0, copies a one-line detail for the log (UTF-8, NUL-terminated, cut to
 * size at a character boundary). A library without it only lets the program say that the connect failed. */
#define TSRWL_CONNECT_ERROR_NONE 0
#define TSRWL_CONNECT_ERROR_WRONG_KEY 1      /* key or pass phrase refused */
#define TSRWL_CONNECT_ERROR_WRONG_SECURITY 2 /* security type or cipher not what the network uses */
#define TSRWL_CONNECT_ERROR_LOGIN_REFUSED 3  /* 802.1x login refused (user, password, method, certificate) */
#define TSRWL_CONNECT_ERROR_SERVER_UNTRUSTED 4 /* the server's certificate is not trusted */
#define TSRWL_CONNECT_ERROR_NOT_FOUND 5        /* no network of that name in range */
#define TSRWL_CONNECT_ERROR_TIMEOUT 6          /* no answer in time */
#define TSRWL_CONNECT_ERROR_OTHER 7            /* any other failure; the detail says which */
typedef int32_t (*TSRWL_GetLastConnectError_t)(char* text, int32_t size);

/* Optional export, looked up at load like the last one: whether the system service the library works
 * through can be reached, so that a program that finds no adapter can say why. A library without it, or one
 * that needs no such service, has no adapter for other reasons only. */
#define TSRWL_SERVICE_READY 0  /* reachable: a missing adapter is missing */
#define TSRWL_SERVICE_NO_BUS 1 /* the system message bus cannot be reached */
#define TSRWL_SERVICE_ABSENT 2 /* the bus is there, the network service is not running on it */
typedef int32_t (*TSRWL_GetServiceState_t)(void);

#ifdef __cplusplus
}

static_assert(sizeof(TSDevRecord) == 516);
static_assert(offsetof(TSDevRecord, hwId) == 256);
static_assert(offsetof(TSDevRecord, description) == 384);

static_assert(sizeof(WLANStatus) == 3008);
static_assert(offsetof(WLANStatus, SsidLength) == 8);
static_assert(offsetof(WLANStatus, Ssid) == 12);
static_assert(offsetof(WLANStatus, Rssi) == 120);
static_assert(offsetof(WLANStatus, NetworkType) == 124);
static_assert(offsetof(WLANStatus, Frequency) == 156);
static_assert(offsetof(WLANStatus, AuthMode) == 204);
static_assert(offsetof(WLANStatus, TotalReceived) == 208);
static_assert(offsetof(WLANStatus, TotalTransmitted) == 216);
static_assert(offsetof(WLANStatus, RxBytes) == 224);
static_assert(offsetof(WLANStatus, TxBytes) == 232);
static_assert(offsetof(WLANStatus, Encryption) == 244);
static_assert(offsetof(WLANStatus, DotMode) == 2616);
static_assert(offsetof(WLANStatus, TxRate) == 2636);
static_assert(offsetof(WLANStatus, MediaState) == 2780);
static_assert(offsetof(WLANStatus, LinkQuality) == 2784);
static_assert(offsetof(WLANStatus, TxPower) == 2996);

static_assert(sizeof(NetworkInfo) == 1036 && alignof(NetworkInfo) == 2);
static_assert(offsetof(NetworkInfo, sz_CurProfile) == 0);
static_assert(offsetof(NetworkInfo, wFlags) == 260);
static_assert(offsetof(NetworkInfo, wNetFlags) == 262);
static_assert(offsetof(NetworkInfo, wPPPFlags) == 264);
static_assert(offsetof(NetworkInfo, wEthWINSMode) == 266);
static_assert(offsetof(NetworkInfo, VPI) == 268);
static_assert(offsetof(NetworkInfo, VCI) == 269);
static_assert(offsetof(NetworkInfo, wEncapsulation) == 270);
static_assert(offsetof(NetworkInfo, IpAddr) == 272);
static_assert(offsetof(NetworkInfo, IpMask) == 276);
static_assert(offsetof(NetworkInfo, IpGate1) == 280);
static_assert(offsetof(NetworkInfo, IpGate2) == 284);
static_assert(offsetof(NetworkInfo, IpDNS1) == 288);
static_assert(offsetof(NetworkInfo, IpDNS2) == 292);
static_assert(offsetof(NetworkInfo, IpWINS1) == 296);
static_assert(offsetof(NetworkInfo, IpWINS2) == 300);
static_assert(offsetof(NetworkInfo, strScopeId) == 304);
static_assert(offsetof(NetworkInfo, strHostName) == 436);
static_assert(offsetof(NetworkInfo, strDomain) == 568);
static_assert(offsetof(NetworkInfo, strDomSufSearch) == 700);
static_assert(offsetof(NetworkInfo, strLoginUsr) == 832);
static_assert(offsetof(NetworkInfo, strLoginPsw) == 900);
static_assert(offsetof(NetworkInfo, strLoginDom) == 968);

static_assert(sizeof(WLProfile) == 3976);
static_assert(offsetof(WLProfile, FuncMode) == 0);
static_assert(offsetof(WLProfile, APMacFilter) == 4);
static_assert(offsetof(WLProfile, APMacFilterMode) == 100);
static_assert(offsetof(WLProfile, APtxPwrLevel) == 104);
static_assert(offsetof(WLProfile, Channel) == 108);
static_assert(offsetof(WLProfile, AdHocBand) == 112);
static_assert(offsetof(WLProfile, TxRate) == 116);
static_assert(offsetof(WLProfile, NetworkMode) == 120);
static_assert(offsetof(WLProfile, ABGMode) == 124);
static_assert(offsetof(WLProfile, ProfileName) == 128);
static_assert(offsetof(WLProfile, Ssid1) == 193);
static_assert(offsetof(WLProfile, Ssid2) == 226);
static_assert(offsetof(WLProfile, Ssid3) == 259);
static_assert(offsetof(WLProfile, ApSSIDHide) == 292);
static_assert(offsetof(WLProfile, WEPEncryptionLevel) == 296);
static_assert(offsetof(WLProfile, PassPhrase) == 300);
static_assert(offsetof(WLProfile, WEPKey1) == 557);
static_assert(offsetof(WLProfile, WEPKey2) == 616);
static_assert(offsetof(WLProfile, WEPKey3) == 675);
static_assert(offsetof(WLProfile, WEPKey4) == 734);
static_assert(offsetof(WLProfile, DefaultKey) == 796);
static_assert(offsetof(WLProfile, WEPKeyFormat) == 800);
static_assert(offsetof(WLProfile, AuthenticationMode) == 804);
static_assert(offsetof(WLProfile, EncryptionMethod) == 808);
static_assert(offsetof(WLProfile, WPAEncryptionType) == 812);
static_assert(offsetof(WLProfile, WPAPassphrase) == 816);
static_assert(offsetof(WLProfile, FragThreshold) == 1076);
static_assert(offsetof(WLProfile, RTSThreshold) == 1080);
static_assert(offsetof(WLProfile, PreambleMode) == 1084);
static_assert(offsetof(WLProfile, PowerMode) == 1088);
static_assert(offsetof(WLProfile, txPwrLevel) == 1092);
static_assert(offsetof(WLProfile, LoginName) == 1096);
static_assert(offsetof(WLProfile, LoginPassword) == 1356);
static_assert(offsetof(WLProfile, DomainName) == 1616);
static_assert(offsetof(WLProfile, sCertificate) == 1876);
static_assert(offsetof(WLProfile, sCertificate_Issuer) == 2136);
static_assert(offsetof(WLProfile, sCertAuthority) == 2396);
static_assert(offsetof(WLProfile, sCertAuthority_Issuer) == 2656);
static_assert(offsetof(WLProfile, ValidateServerCert) == 2916);
static_assert(offsetof(WLProfile, MS8021xAuthMode) == 2920);
static_assert(offsetof(WLProfile, TTLSEap) == 2924);
static_assert(offsetof(WLProfile, PeapEap) == 2928);
static_assert(offsetof(WLProfile, ApplyNetwork) == 2932);
static_assert(offsetof(WLProfile, NetInfo) == 2934);
static_assert(offsetof(WLProfile, QosEnabled) == 3972);

static_assert(sizeof(TSSiteEntry) == 120);
static_assert(offsetof(TSSiteEntry, Bssid) == 4);
static_assert(offsetof(TSSiteEntry, SsidLength) == 12);
static_assert(offsetof(TSSiteEntry, Ssid) == 16);
static_assert(offsetof(TSSiteEntry, Security) == 48);
static_assert(offsetof(TSSiteEntry, Rssi) == 52);
static_assert(offsetof(TSSiteEntry, NetworkType) == 56);
static_assert(offsetof(TSSiteEntry, Frequency) == 72);
static_assert(offsetof(TSSiteEntry, NetworkMode) == 92);

static_assert(sizeof(TSSiteSurveyBuffer) == TSRWL_SITE_SURVEY_BUFFER_SIZE);
static_assert(offsetof(TSSiteSurveyBuffer, Entries) == 4);

static_assert(sizeof(TSStationList) == TSRWL_STATION_LIST_SIZE);

static_assert(sizeof(TSCertEntry) == 512);
static_assert(offsetof(TSCertEntry, Issuer) == 256);

static_assert(sizeof(TSWEPKeySet) == 260);
static_assert(offsetof(TSWEPKeySet, Key) == 4);
static_assert(offsetof(TSWEPKeySet, Key[1]) == 68);
static_assert(offsetof(TSWEPKeySet, Key[2]) == 132);
static_assert(offsetof(TSWEPKeySet, Key[3]) == 196);
#endif

#endif

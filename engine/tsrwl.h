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
    uint8_t libraryData[256];
    char hwId[64];          /* input: hardware id or device name, at most 63 characters */
    uint8_t reserved1[64];
    char description[128];  /* output when the device is present */
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
    uint32_t DotMode; /* 1 = 802.11b, 2 = 802.11a, 3 = 802.11g */
    uint8_t reserved6[16];
    uint8_t TxRate; /* units of 500 kbit/s */
    uint8_t reserved7[143];
    uint32_t MediaState; /* 0 = connected, 1 = disconnected */
    int32_t LinkQuality; /* dBm */
    uint8_t reserved8[208];
    uint32_t TxPower; /* 0 to 3 */
    uint8_t reserved9[8];
} WLANStatus;

/* Records defined with their layouts further below. */
typedef struct WLProfile WLProfile;
typedef struct NetworkInfo NetworkInfo;

/* The 48 functions, in the order the program looks them up. Results are 32-bit integers; 1 is success. */
#define TSRWL_FUNCTIONS(X)                                                                                    \
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
#endif

#endif

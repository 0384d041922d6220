#include "Simrequest.h"

#include <algorithm>
#include <cstring>

namespace {

const char kRequestMagic[8] = {'T', 'S', 'R', 'W', 'L', 'R', 'Q', '1'};

static_assert(sizeof(SimConnectRequest) <= sizeof(WLANStatus::reserved5));

// Copies a text field that may lack its NUL (a record filled by someone else) into a field that has one.
template <size_t To, size_t From> void CopyText(char (&to)[To], const char (&from)[From])
{
    const size_t n = strnlen(from, std::min(From, To - 1));
    memcpy(to, from, n);
    to[n] = '\0';
}

} // namespace

void RequestFromProfile(const WLProfile& p, SimConnectRequest& r)
{
    memset(&r, 0, sizeof r);
    memcpy(r.magic, kRequestMagic, sizeof r.magic);
    r.funcMode = p.FuncMode;
    r.networkMode = p.NetworkMode;
    r.channel = p.Channel;
    r.adHocBand = p.AdHocBand;
    CopyText(r.ssid, p.Ssid1);
    CopyText(r.profileName, p.ProfileName);
    r.encryption = p.EncryptionMethod;
    r.authMode = p.AuthenticationMode;
    r.wpaCipher = p.WPAEncryptionType;
    r.defaultKey = p.DefaultKey;
    CopyText(r.wepKey[0], p.WEPKey1);
    CopyText(r.wepKey[1], p.WEPKey2);
    CopyText(r.wepKey[2], p.WEPKey3);
    CopyText(r.wepKey[3], p.WEPKey4);
    CopyText(r.wpaPassphrase, p.WPAPassphrase);
    r.eapMethod = p.MS8021xAuthMode;
    CopyText(r.login, p.LoginName);
    CopyText(r.password, p.LoginPassword);
    CopyText(r.certificate, p.sCertificate);
    r.wepFormat = p.WEPKeyFormat;
    r.peapInner = p.PeapEap;
    r.ttlsInner = p.TTLSEap;
    CopyText(r.certAuthority, p.sCertAuthority);
    r.validateServer = p.ValidateServerCert;
    r.txPower = p.FuncMode != 0 ? p.APtxPwrLevel : p.txPwrLevel;
    r.apHideSsid = p.ApSSIDHide;
    r.apFilterMode = p.APMacFilterMode;
    memcpy(r.apFilter, p.APMacFilter, sizeof r.apFilter);
}

void StashRequest(const SimConnectRequest& request, WLANStatus& status)
{
    const size_t ssidLength = strnlen(request.ssid, TSRWL_SSID_MAX);
    status.SsidLength = uint32_t(ssidLength);
    memset(status.Ssid, 0, sizeof status.Ssid);
    memcpy(status.Ssid, request.ssid, ssidLength);
    status.NetworkType = request.networkMode == 1 ? 1 : 0;
    status.Encryption = uint32_t(request.encryption);
    status.AuthMode = uint32_t(request.authMode);
    status.TxPower = uint32_t(request.txPower & 3);
    status.MediaState = 1;
    memcpy(status.reserved5, &request, sizeof request);
}

bool TakeRequest(const WLANStatus& status, SimConnectRequest& request)
{
    memcpy(&request, status.reserved5, sizeof request);
    if (memcmp(request.magic, kRequestMagic, sizeof kRequestMagic) != 0)
        return false;
    // The record may have passed through other hands: every text must end inside its field.
    request.ssid[sizeof request.ssid - 1] = '\0';
    request.profileName[sizeof request.profileName - 1] = '\0';
    for (auto& key : request.wepKey)
        key[sizeof key - 1] = '\0';
    request.wpaPassphrase[sizeof request.wpaPassphrase - 1] = '\0';
    request.login[sizeof request.login - 1] = '\0';
    request.password[sizeof request.password - 1] = '\0';
    request.certificate[sizeof request.certificate - 1] = '\0';
    request.certAuthority[sizeof request.certAuthority - 1] = '\0';
    return true;
}

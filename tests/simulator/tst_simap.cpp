// The soft access point: what a Soft AP profile starts and which stations it lets in.
#include "Simap.h"
#include "adaptercore/Corechannels.h"
#include "adaptercore/Corecrypto.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

const MacAddress STATION_A{0x02, 0x77, 0, 0, 0, 0x01};
const MacAddress STATION_B{0x02, 0x77, 0, 0, 0, 0x02};

SimConnectRequest ApRequest(int channel)
{
    WLProfile profile{};
    profile.FuncMode = 1;
    profile.Channel = channel;
    strcpy(profile.Ssid1, "Harbor AP");
    strcpy(profile.ProfileName, "Default_SoftAP");
    SimConnectRequest request{};
    RequestFromProfile(profile, request);
    return request;
}

SimStation Station(const MacAddress& mac, const std::string& keyHex = "", int joinAfter = 0)
{
    SimStation s;
    s.mac = mac;
    s.joinAfter = joinAfter;
    s.wepKey = HexBytes(keyHex).value_or(Bytes{});
    return s;
}

} // namespace

TEST(SimAccessPoint, StartsWithTheProfilesSettingsAndAutomaticChannel)
{
    SimAdapter adapter;
    SimConnectRequest r = ApRequest(11);
    r.apHideSsid = 1;
    r.txPower = 2;
    auto link = AccessPointLink(adapter, r, 1000);
    ASSERT_TRUE(link);
    EXPECT_EQ(link->ssid, "Harbor AP");
    EXPECT_EQ(link->channel, 11);
    EXPECT_TRUE(link->hidden);
    EXPECT_EQ(link->txPower, 2);
    EXPECT_EQ(link->bssid, adapter.mac);

    // Channel 0 asks the adapter to choose: the first channel it may start on.
    link = AccessPointLink(adapter, ApRequest(0), 1000);
    ASSERT_TRUE(link);
    EXPECT_EQ(link->channel, 1);
    adapter.bands = BandA;
    link = AccessPointLink(adapter, ApRequest(0), 1000);
    ASSERT_TRUE(link);
    EXPECT_EQ(link->channel, 36);
}

TEST(SimAccessPoint, RefusesWhatItCannotStart)
{
    SimAdapter noSoftAp;
    noSoftAp.softAP = false;
    SimAdapter bOnly;
    bOnly.bands = BandB;
    SimConnectRequest noSsid = ApRequest(6);
    noSsid.ssid[0] = '\0';
    SimConnectRequest badKey = ApRequest(6);
    badKey.encryption = 1;
    strcpy(badKey.wepKey[0], "12345678"); // neither 5 characters nor 10 digits
    SimConnectRequest keyOutOfRange = ApRequest(6);
    keyOutOfRange.encryption = 1;
    keyOutOfRange.defaultKey = 4;
    const struct {
        const char* what;
        SimAdapter adapter;
        SimConnectRequest request;
    } cases[] = {
        {"no Soft AP", noSoftAp, ApRequest(6)},         {"no SSID", SimAdapter{}, noSsid},
        {"radar channel", SimAdapter{}, ApRequest(52)}, {"no 5 GHz", bOnly, ApRequest(36)},
        {"bad WEP key", SimAdapter{}, badKey},          {"key index 4", SimAdapter{}, keyOutOfRange}};
    for (const auto& c : cases)
        EXPECT_FALSE(AccessPointLink(c.adapter, c.request, 0)) << c.what;
}

TEST(SimAccessPoint, FilterAndKeyDecideWhichStationsJoin)
{
    SimConnectRequest r = ApRequest(6);
    // Slot 0 holds station B, slot 1 is empty: an all-zero entry filters nobody.
    memcpy(r.apFilter[0], STATION_B.data(), 6);
    r.encryption = 0;
    const auto open = [&](int mode) {
        r.apFilterMode = mode;
        return *AccessPointLink(SimAdapter{}, r, 0);
    };
    SimConnectRequest wep = ApRequest(6);
    wep.encryption = 1;
    wep.defaultKey = 1;
    strcpy(wep.wepKey[1], "hello"); // characters: 68 65 6C 6C 6F
    const SimLink wepLink = *AccessPointLink(SimAdapter{}, wep, 0);
    EXPECT_EQ(open(1).filter.size(), 1u);

    using V = SimStationVerdict;
    const struct {
        const char* what;
        SimLink link;
        SimStation station;
        int64_t now;
        V verdict;
    } cases[] = {
        {"no filter", open(0), Station(STATION_A), 0, V::Associated},
        {"not yet", open(0), Station(STATION_A, "", 5), 4999, V::Waiting},
        {"join time", open(0), Station(STATION_A, "", 5), 5000, V::Associated},
        {"accept, unlisted", open(1), Station(STATION_A), 0, V::NotAccepted},
        {"accept, listed", open(1), Station(STATION_B), 0, V::Associated},
        {"reject, listed", open(2), Station(STATION_B), 0, V::Rejected},
        {"reject, unlisted", open(2), Station(STATION_A), 0, V::Associated},
        {"all-zero slot", open(2), Station(MacAddress{}), 0, V::Associated},
        {"WEP, same key as hex", wepLink, Station(STATION_A, "68656C6C6F"), 0, V::Associated},
        {"WEP, other key", wepLink, Station(STATION_A, "68656C6C70"), 0, V::WrongKey},
        {"WEP, no key", wepLink, Station(STATION_A), 0, V::WrongKey},
    };
    for (const auto& c : cases)
        EXPECT_EQ(StationVerdict(c.link, c.station, c.now), c.verdict) << c.what;
}

TEST(SimAccessPoint, SettingsAndStationKeysSurviveTheStateFile)
{
    SimConnectRequest r = ApRequest(6);
    r.encryption = 1;
    strcpy(r.wepKey[0], "0123456789ABCDEF0123456789");
    r.apHideSsid = 1;
    SimState state;
    state.link = *AccessPointLink(SimAdapter{}, r, 0);
    state.stations = {Station(STATION_A, "0123456789ABCDEF0123456789", 3), Station(STATION_B)};
    SimState read;
    read.Deserialize(state.Serialize());
    EXPECT_TRUE(read.link.hidden);
    EXPECT_EQ(read.link.wepKey, "0123456789ABCDEF0123456789");
    EXPECT_EQ(read.stations, state.stations);
    EXPECT_EQ(StationVerdict(read.link, read.stations[0], 3000), SimStationVerdict::Associated);
    EXPECT_NE(AccessPointText(read.link).find("hidden SSID"), std::string::npos);
    EXPECT_NE(AccessPointText(read.link).find("WEP 128 bit"), std::string::npos);
}

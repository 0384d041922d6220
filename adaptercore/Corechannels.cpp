#include "Corechannels.h"

#include <algorithm>
#include <cctype>

namespace {

enum ChannelFlag : unsigned { NoFlag = 0, Dfs = 1, NoIr = 2, BOnly = 4 };

struct ChannelRange {
    int first;
    int last;
    int step;
    unsigned flags;
};

struct DomainRules {
    const char* const* names;
    std::vector<ChannelRange> band24;
    std::vector<ChannelRange> band5;
};

const char* const kFccNames[] = {"FCC", "US", "DFS-FCC", "DOC", "IC", nullptr};
const char* const kEtsiNames[] = {"ETSI", "DE", "DFS-ETSI", "EU", nullptr};
const char* const kSpainNames[] = {"SPAIN", nullptr};
const char* const kFranceNames[] = {"FRANCE", nullptr};
const char* const kMkkNames[] = {"MKK", "MKK1", "JP", "DFS-JP", nullptr};
const char* const kWorldNames[] = {"WORLD", "00", "OTHER", nullptr};

const std::vector<ChannelRange> kEtsi5 = {{36, 48, 4, NoFlag}, {52, 64, 4, Dfs}, {100, 140, 4, Dfs}};

// Japan: channel 14 carries 802.11b only; the 4.9 GHz channels are licensed, so nothing may start there.
const DomainRules kDomains[] = {
    {kFccNames,
     {{1, 11, 1, NoFlag}},
     {{36, 48, 4, NoFlag}, {52, 64, 4, Dfs}, {100, 140, 4, Dfs}, {149, 165, 4, NoFlag}}},
    {kEtsiNames, {{1, 13, 1, NoFlag}}, kEtsi5},
    {kSpainNames, {{10, 11, 1, NoFlag}}, kEtsi5},
    {kFranceNames, {{10, 13, 1, NoFlag}}, kEtsi5},
    {kMkkNames,
     {{1, 13, 1, NoFlag}, {14, 14, 1, BOnly}},
     {{36, 48, 4, NoFlag}, {52, 64, 4, Dfs}, {100, 140, 4, Dfs}, {184, 196, 4, NoIr}}},
    {kWorldNames,
     {{1, 11, 1, NoFlag}, {12, 13, 1, NoIr}, {14, 14, 1, NoIr | BOnly}},
     {{36, 48, 4, NoIr}, {52, 64, 4, NoIr | Dfs}, {100, 144, 4, NoIr | Dfs}, {149, 165, 4, NoIr}}},
};
const DomainRules& kWorld = kDomains[std::size(kDomains) - 1];

std::string Upper(std::string text)
{
    for (char& c : text)
        c = char(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

const DomainRules* FindDomain(const std::string& domain)
{
    const std::string wanted = Upper(domain);
    for (const DomainRules& rules : kDomains)
        for (const char* const* name = rules.names; *name; ++name)
            if (wanted == *name)
                return &rules;
    return nullptr;
}

} // namespace

int ChannelToMHz(int channel, int band)
{
    if (band == BandA) {
        if (channel >= 182 && channel <= 196)
            return 4000 + 5 * channel;
        return channel >= 1 && channel <= 200 ? 5000 + 5 * channel : 0;
    }
    if (channel == 14)
        return 2484;
    return channel >= 1 && channel <= 13 ? 2407 + 5 * channel : 0;
}

int FrequencyToChannelNumber(int64_t frequency)
{
    const int64_t mhz = frequency >= 100000 ? frequency / 1000 : frequency;
    if (mhz == 2484)
        return 14;
    if (mhz >= 2412 && mhz < 2484)
        return int((mhz - 2407) / 5);
    if (mhz >= 4910 && mhz <= 4980)
        return int((mhz - 4000) / 5);
    if (mhz >= 5005 && mhz <= 5900)
        return int((mhz - 5000) / 5);
    return 0;
}

std::vector<int> AllowedChannels(const std::string& domain, int band, bool apMode)
{
    const DomainRules* rules = FindDomain(domain);
    if (!rules)
        rules = &kWorld;
    if (band != BandA && band != BandB && band != BandG)
        return {};
    const unsigned forbidden = (apMode ? Dfs | NoIr : NoFlag) | (band == BandG ? BOnly : NoFlag);
    std::vector<int> channels;
    for (const ChannelRange& r : band == BandA ? rules->band5 : rules->band24)
        if ((r.flags & forbidden) == 0)
            for (int c = r.first; c <= r.last; c += r.step)
                channels.push_back(c);
    return channels;
}

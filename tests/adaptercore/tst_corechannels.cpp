#include "adaptercore/Corechannels.h"

#include <gtest/gtest.h>

namespace {

TEST(CoreChannels, ChannelAndFrequencyBothWays)
{
    struct Case {
        int channel;
        int band;
        int mhz;
    };
    const Case cases[] = {{1, BandG, 2412},   {6, BandB, 2437},   {13, BandG, 2472},  {14, BandB, 2484},
                          {36, BandA, 5180},  {64, BandA, 5320},  {100, BandA, 5500}, {165, BandA, 5825},
                          {184, BandA, 4920}, {196, BandA, 4980}, {8, BandA, 5040}};
    for (const Case& c : cases) {
        EXPECT_EQ(ChannelToMHz(c.channel, c.band), c.mhz) << c.channel;
        EXPECT_EQ(FrequencyToChannelNumber(c.mhz), c.channel) << c.mhz;
        EXPECT_EQ(FrequencyToChannelNumber(int64_t(c.mhz) * 1000), c.channel) << "kHz " << c.mhz;
    }
    // The same number names different channels in the two bands.
    EXPECT_NE(ChannelToMHz(8, BandG), ChannelToMHz(8, BandA));
    EXPECT_EQ(ChannelToMHz(15, BandG), 0);
    EXPECT_EQ(ChannelToMHz(0, BandA), 0);
    EXPECT_EQ(FrequencyToChannelNumber(0), 0);
    EXPECT_EQ(FrequencyToChannelNumber(-5), 0);
    EXPECT_EQ(FrequencyToChannelNumber(3000), 0);
}

std::vector<int> Range(int first, int last, int step = 1)
{
    std::vector<int> v;
    for (int c = first; c <= last; c += step)
        v.push_back(c);
    return v;
}

std::vector<int> Join(std::vector<int> a, const std::vector<int>& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

TEST(CoreChannels, AllowedChannelsPerDomainBandAndMode)
{
    struct Case {
        const char* domain;
        int band;
        bool ap;
        std::vector<int> channels;
    };
    const std::vector<int> fcc5 = Join(Join(Range(36, 64, 4), Range(100, 140, 4)), Range(149, 165, 4));
    const Case cases[] = {
        {"FCC", BandB, false, Range(1, 11)},
        {"fcc", BandG, true, Range(1, 11)},
        {"FCC", BandA, false, fcc5},
        {"FCC", BandA, true, Join(Range(36, 48, 4), Range(149, 165, 4))},
        {"ETSI", BandG, false, Range(1, 13)},
        {"ETSI", BandA, false, Join(Range(36, 64, 4), Range(100, 140, 4))},
        {"ETSI", BandA, true, Range(36, 48, 4)},
        {"MKK", BandB, false, Range(1, 14)},
        {"MKK", BandG, false, Range(1, 13)},
        {"MKK", BandA, false, Join(Join(Range(36, 64, 4), Range(100, 140, 4)), Range(184, 196, 4))},
        {"MKK", BandA, true, Range(36, 48, 4)},
        {"SPAIN", BandB, false, Range(10, 11)},
        {"FRANCE", BandG, true, Range(10, 13)},
        {"no such domain", BandB, false, Range(1, 14)},
        {"", BandB, true, Range(1, 11)},
        {"WORLD", BandA, true, {}},
        {"FCC", 3, false, {}},
        {"FCC", 0, false, {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(AllowedChannels(c.domain, c.band, c.ap), c.channels)
            << c.domain << " band " << c.band << " ap " << c.ap;
}

} // namespace

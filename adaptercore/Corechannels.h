#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Channel numbers, centre frequencies and the channels a regulatory domain allows.

// Band bits as the program passes them: 1 = 802.11b, 2 = 802.11a, 4 = 802.11g.
enum CoreBand : int { BandB = 1, BandA = 2, BandG = 4 };

// Centre frequency in MHz of a channel in the 2.4 GHz (b, g) or the 5 GHz (a) band; 0 when there is none.
int ChannelToMHz(int channel, int band);
// Channel number of a frequency given in kHz (as in the status and scan records) or in MHz; 0 when unknown.
int FrequencyToChannelNumber(int64_t frequency);

// Channels a station may use (apMode false) or an access point / ad hoc cell may start on (apMode true):
// the latter leaves out channels that need radar detection or forbid initiating radiation.
// Unknown domain texts get the world rules.
std::vector<int> AllowedChannels(const std::string& domain, int band, bool apMode);

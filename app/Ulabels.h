#pragma once

#include <QString>
#include <cstdint>

// Setting values as display words, taken from the translatable common texts of the settings object.

// Band bits of a band set; the high bits accompany 802.11a and 802.11g in the newer mode codes.
enum BandBit : uint32_t {
    BAND_B = 1,
    BAND_A = 2,
    BAND_G = 4,
    BAND_A_EXTRA = 0x100,
    BAND_G_EXTRA = 0x200,
};

// Security type of a profile (EncryptionMethod 0 to 7); empty for any other value.
QString SecurityText(int method);
// Security code of a scanned network.
QString SiteSecurityText(uint32_t code);
// Wireless-mode code to band set; an unknown code allows every band.
uint32_t ModeToBands(int mode);
int BandsToMode(uint32_t bands);
// The frequencies of all bands of a mode, such as "2.4 GHz + 5 GHz".
QString BandListText(int mode);
// One word for the mode's preferred band: the 802.11 standard, or its frequency.
QString ModeText(int mode, bool showStandard);
// Signal level in dBm as 0 to 100 percent; 0 means no reading.
int SignalPercent(int dbm);

#pragma once

#include "adaptercore/tsrwl.h"

#include <QString>

// Name of a profile that exists only in the editor and was never stored in the profile list.
extern const char* const EDITING_PROFILE_NAME;

// The profile's name, read within its field even when the record lacks the closing NUL.
QString ProfileNameOf(const WLProfile& profile);

// The INI form of a profile in the settings file (`iniPath`, by default the program's settings file).
// Every field is written as one key, in a fixed order, the embedded network information last; the section
// holds keys and pass phrases, so the file is made readable by its owner only. False when the file could not
// be written (logged; the file is then unchanged).
bool ProfToIniFile(const WLProfile& prof, const QString& section, const QString& iniPath = QString());
// Fills `prof` from the section; a key that is missing or unreadable takes its default, except MAC and IP
// addresses, which keep their bytes. False, with `prof` untouched, when the section does not exist.
bool ProfFromIniFile(WLProfile& prof, const QString& section, const QString& iniPath = QString());

// Clears the security settings (keys, pass phrases, 802.1x credentials) to the defaults of a new choice of
// security type; network, radio, Soft AP and IP settings stay.
void ResetSecurity(WLProfile& prof);

// Whether applying `wanted` would leave the adapter's IP settings as in `current`: the address mode, address,
// mask, first gateway and both name servers.
bool SameIpSettings(const NetworkInfo& wanted, const NetworkInfo& current);

#pragma once

#include "netprofile.h"
#include "nmstandin.h"

#include <memory>
#include <string>

// The real adapter library loaded as the program loads it, against a network manager stand-in with one Wi-Fi
// device "wlan0" (a PCI adapter in a stand-in sysfs). One stand-in serves every test of the run.
class NetLibraryTest : public ::testing::Test {
public:
    static void StartStandin();
    static void StopStandin();

protected:
    void SetUp() override;

    // Applies a profile the way the program does; 1 when the library reports it applied.
    static int32_t ApplyProfile(const WLProfile& profile);
    static std::string MakeDir(const std::string& name);
    static void WriteText(const std::string& path, const std::string& text);

    static std::string s_dir;
    static std::unique_ptr<NmStandin> s_nm;
    static SimLibrary s_lib;
    static std::string s_device;
};

// The whole program on the real library, once, as a person uses it: under a virtual display in the guest, a
// profile for the WPA2-PSK network is made in the editor and activated, and Link Info (kept as a picture in
// the results) shows the link as the kernel reports it (iw).
#include "realfixture.h"

#include <fstream>
#include <map>
#include <regex>
#include <sstream>

namespace {

const char kProgramDir[] = "/tmp/realstack-program";
const char kDisplay[] = ":5";
constexpr int kBoundMs = 120000;

// "Caption<TAB>value" lines into a map.
std::map<std::string, std::string> Fields(const std::string& lines)
{
    std::map<std::string, std::string> fields;
    static const std::regex line("([^\t\n]+)\t([^\n]*)");
    for (std::sregex_iterator i(lines.begin(), lines.end(), line), end; i != end; ++i)
        fields[(*i)[1]] = (*i)[2];
    return fields;
}

// `iw dev wlan0 link` as the same kind of map: "SSID", "freq", "signal", "tx bitrate"..., and "Connected to".
std::map<std::string, std::string> IwLink(const std::string& text)
{
    std::map<std::string, std::string> fields;
    static const std::regex line("\\s*([^:\n]+): ([^\n]*)"), connected("Connected to ([0-9a-f:]{17})");
    for (std::sregex_iterator i(text.begin(), text.end(), line), end; i != end; ++i)
        fields[(*i)[1]] = (*i)[2];
    std::smatch m;
    if (std::regex_search(text, m, connected))
        fields["Connected to"] = m[1];
    return fields;
}

} // namespace

// One program for the suite: started, driven to a connection and left on Link Info by the first test that
// needs it, ended after the last.
class RealProgramTest : public RealStackTest {
public:
    static void TearDownTestSuite()
    {
        if (s_started)
            Run(std::string("cd ") + kProgramDir +
                " && ./wlanutil /Close; pkill -x wlanutil; kill $(cat xvfb.pid bus.pid)");
        s_started = false;
    }

protected:
    void SetUp() override { ASSERT_NO_FATAL_FAILURE(CheckLibrary()); }

    static std::string Results() { return getenv("REALSTACK_RESULTS"); }
    static std::string Gui(const std::string& arguments)
    {
        return Run(std::string(REALSTACK_SOURCE) + "/gui.py " + arguments);
    }
    static void Shot(const std::string& name)
    {
        Run("import -window root -crop 800x480+0+0 " + Results() + "/" + name);
    }
    // Runs the steps in one go (each a gui.py command); when one fails, the window's tree and a picture go to
    // the results.
    static bool Steps(const std::vector<std::string>& steps)
    {
        std::string arguments = "steps";
        for (const std::string& step : steps)
            arguments += " '" + step + "'";
        const std::string output = Gui(arguments + "; echo status=$?");
        std::ofstream(Results() + "/gui-steps.log", std::ios::app) << output;
        if (output.find("status=0") != std::string::npos)
            return true;
        Gui("tree >" + Results() + "/gui-failure.txt");
        Shot("gui-failure.png");
        ADD_FAILURE() << output << "(the window is in gui-failure.txt and gui-failure.png in the results)";
        return false;
    }
    // Starts the display, a session bus with the accessibility bus, and a copy of the program on the real
    // library whose settings say the user lets it run the adapter.
    static void Start()
    {
        const std::string dir = kProgramDir, bin = WLANUTIL_BIN_DIR;
        Run("rm -rf " + dir + " && mkdir -p " + dir + "/run && chmod 700 " + dir + "/run");
        for (const char* file : {"wlanutil", "wlanutil.bin", "wlanutil.ini"})
            Run("cp " + bin + "/" + file + " " + dir + "/");
        Run(std::string("cp ") + NETADAPTER_LIBRARY + " " + dir + "/libtsrwl.so && touch " + dir +
            "/wlanutil.Log");
        Run("sed -i 's/^\\[Setting\\]$/[Setting]\\nEnableZeroCfg=0/' " + dir + "/wlanutil.bin");
        setenv("DISPLAY", kDisplay, 1);
        setenv("XDG_RUNTIME_DIR", (dir + "/run").c_str(), 1);
        setenv("XDG_CONFIG_HOME", (dir + "/config").c_str(), 1);
        setenv("QT_LINUX_ACCESSIBILITY_ALWAYS_ON", "1", 1);
        Run(std::string("Xvfb ") + kDisplay + " -screen 0 1024x768x24 -nolisten tcp >" + dir +
            "/xvfb.log 2>&1 & echo $! >" + dir + "/xvfb.pid");
        ASSERT_TRUE(WaitFor([] { return Run("xdotool getdisplaygeometry").find("1024 768") == 0; }, kBoundMs))
            << "the virtual display did not start: " << Run(std::string("cat ") + kProgramDir + "/xvfb.log");
        const std::string bus =
            Run("dbus-daemon --session --fork --print-address=1 --print-pid=3 3>" + dir + "/bus.pid");
        ASSERT_EQ(bus.rfind("unix:", 0), 0u) << bus;
        setenv("DBUS_SESSION_BUS_ADDRESS", bus.substr(0, bus.find('\n')).c_str(), 1);
        Run("cd " + dir + " && ./wlanutil /UI >program.log 2>&1 </dev/null &");
        s_started = true;
        ASSERT_TRUE(WaitFor(
            [] { return !Run("xdotool search --onlyvisible --name '^Wireless LAN Utility$'").empty(); },
            kBoundMs))
            << "the program's window did not show: "
            << Run(std::string("cat ") + kProgramDir + "/program.log");
    }
    // The program connected with a profile made in its editor, on Link Info; what Link Info shows then.
    static const std::map<std::string, std::string>& LinkInfo()
    {
        if (!s_values.empty())
            return s_values;
        const RealNetwork& net = Net("wpa2");
        if (s_started) // started once already, and not driven to a link: no second program beside it
            return s_values;
        Start();
        if (::testing::Test::HasFatalFailure())
            return s_values;
        const bool driven =
            Steps({"click Profile \"page tab\"", "click Add", "type \"Profile Name\" rs-editor",
                   "type SSID " + net.ssid, "click Next", "choose \"Encryption Type\" WPA2-PSK", "click Next",
                   "choose \"Encryption Type\" AES", "type \"Pass Phrase\" " + net.secret, "click Next",
                   "click Next", "click Save", "click \"Activate Now\"", "click \"Link Info\" \"page tab\""});
        if (!driven)
            return s_values;
        // Connected, with the address shown: the values are then those of the link.
        const bool shown = WaitFor(
            [&] {
                s_values = Fields(Gui("values"));
                return s_values["IP Address"].rfind(net.subnet + ".", 0) == 0;
            },
            kBoundMs);
        EXPECT_TRUE(shown) << "Link Info shows no address of " << net.ssid << ":\n" << Gui("values");
        s_link = IwLink(Run("iw dev wlan0 link"));
        Shot("linkinfo.png");
        return s_values;
    }
    static std::string Link(const char* field) { return s_link.count(field) ? s_link.at(field) : "<none>"; }

    static bool s_started;
    static std::map<std::string, std::string> s_values, s_link;
};

bool RealProgramTest::s_started = false;
std::map<std::string, std::string> RealProgramTest::s_values, RealProgramTest::s_link;

// Disabled: in the guest the program's window no longer opens the Profile page when its tab is clicked (the
// tab takes the pointer, the page stays Link Info), while the same steps work on the simulated adapter under
// Xvfb. To be found before these two are enabled again.
TEST_F(RealProgramTest, DISABLED_AProfileMadeInTheEditorConnectsAndLinkInfoShowsTheLinkAsTheKernelSeesIt)
{
    const auto& shown = LinkInfo();
    ASSERT_FALSE(shown.empty());
    const RealNetwork& net = Net("wpa2");
    EXPECT_EQ(shown.at("Profile Name"), "rs-editor");
    EXPECT_EQ(shown.at("Network Name (SSID)"), Link("SSID"));
    EXPECT_EQ(shown.at("Network Name (SSID)"), net.ssid);
    std::string bssid = Link("Connected to").substr(0, 17);
    std::transform(bssid.begin(), bssid.end(), bssid.begin(), ::toupper);
    EXPECT_EQ(shown.at("AP MAC Address"), bssid);
    EXPECT_EQ(shown.at("Channel"), std::to_string(net.channel)) << "iw: " << Link("freq") << " MHz";
    EXPECT_EQ(shown.at("Link Quality"), Link("signal"));
    EXPECT_NE(Run("ip -4 addr show wlan0").find(shown.at("IP Address") + "/24"), std::string::npos);
    // A profile-made link shows the profile's security; its authentication is never a WEP mode.
    EXPECT_EQ(shown.at("Security"), "WPA2-PSK");
    EXPECT_NE(shown.at("Authentication"), "Auto Switch");
    EXPECT_NE(shown.at("Authentication"), "Shared");
}

// Link Info's mode and rate on an 802.11n link: it showed 802.11g, the status record having no code for
// 802.11n. The record's rate byte holds at most 127.5 Mbps, so a faster link shows that.
TEST_F(RealProgramTest, DISABLED_LinkInfoShowsThe80211nModeAndTheLinksRate)
{
    const auto& shown = LinkInfo();
    ASSERT_FALSE(shown.empty());
    if (Link("tx bitrate").find("MCS") != std::string::npos) {
        EXPECT_EQ(shown.at("Network Mode"), "802.11n") << "iw: " << Link("tx bitrate");
    }
    // The rate follows the link's rate control: at some moment Link Info shows the rate iw reports then.
    std::string rate, iwRate;
    EXPECT_TRUE(WaitFor(
        [&] {
            rate = Fields(Gui("values"))["Transmission Rate"];
            iwRate = IwLink(Run("iw dev wlan0 link"))["tx bitrate"];
            // The record counts in steps of 500 kbit/s, rounded down.
            const int steps = std::min(int(std::atof(iwRate.c_str()) * 2), 255);
            std::ostringstream expected;
            expected << steps * 0.5 << " Mbps";
            return rate == expected.str();
        },
        30000))
        << "Link Info: " << rate << ", iw: " << iwRate;
}

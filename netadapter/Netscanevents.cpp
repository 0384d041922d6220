#include "Netscanevents.h"

#include "adaptercore/Corepaths.h"

#include <array>
#include <ctime>
#include <linux/nl80211.h>
#include <net/if.h>
#include <netlink/genl/ctrl.h>
#include <netlink/genl/genl.h>

namespace {

const std::array<nla_policy, NL80211_ATTR_MAX + 1> kPolicy = [] {
    std::array<nla_policy, NL80211_ATTR_MAX + 1> policy{};
    policy[NL80211_ATTR_IFINDEX] = {NLA_U32, sizeof(uint32_t), 0};
    return policy;
}();

int64_t BoottimeMs()
{
    timespec now{};
    clock_gettime(CLOCK_BOOTTIME, &now);
    return int64_t(now.tv_sec) * 1000 + now.tv_nsec / 1'000'000;
}

} // namespace

CNetScanEvents::~CNetScanEvents()
{
    nl_socket_free(m_sock);
}

bool CNetScanEvents::Open(const std::string& iface)
{
    m_index = if_nametoindex(iface.c_str());
    m_sock = nl_socket_alloc();
    if (m_index == 0 || !m_sock || genl_connect(m_sock) < 0)
        return false;
    const int group = genl_ctrl_resolve_grp(m_sock, "nl80211", "scan");
    if (group < 0 || nl_socket_add_membership(m_sock, group) < 0) {
        CoreLogOnce(
            "the kernel's scan events cannot be followed: a scan is taken as done when the manager says");
        return false;
    }
    nl_socket_disable_seq_check(m_sock);
    auto handler = [](nl_msg* msg, void* self) {
        static_cast<CNetScanEvents*>(self)->Note(msg);
        return int(NL_OK);
    };
    nl_socket_modify_cb(m_sock, NL_CB_VALID, NL_CB_CUSTOM, handler, this);
    return nl_socket_set_nonblocking(m_sock) >= 0;
}

void CNetScanEvents::Take()
{
    while (m_sock && nl_recvmsgs_default(m_sock) >= 0) {
    }
}

void CNetScanEvents::Note(nl_msg* msg)
{
    nlattr* table[NL80211_ATTR_MAX + 1] = {};
    if (genlmsg_parse(nlmsg_hdr(msg), 0, table, NL80211_ATTR_MAX, kPolicy.data()) < 0 ||
        !table[NL80211_ATTR_IFINDEX] || nla_get_u32(table[NL80211_ATTR_IFINDEX]) != m_index)
        return;
    const uint8_t command = static_cast<genlmsghdr*>(nlmsg_data(nlmsg_hdr(msg)))->cmd;
    if (command == NL80211_CMD_TRIGGER_SCAN) {
        m_started = true;
    } else if (m_started && !m_ended &&
               (command == NL80211_CMD_NEW_SCAN_RESULTS || command == NL80211_CMD_SCAN_ABORTED)) {
        m_ended = true;
        m_endedAtMs = BoottimeMs();
    }
}

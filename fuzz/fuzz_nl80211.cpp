// The nl80211 answers of the kernel, as the real-adapter library parses them.
#include "netadapter/Netradio.h"

#include <netlink/genl/genl.h>
#include <netlink/msg.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // The input is what follows the netlink header: the generic header and the attributes.
    nl_msg* msg = nlmsg_alloc_simple(0x10, 0);
    if (!msg)
        return 0;
    if (nlmsg_append(msg, const_cast<uint8_t*>(data), size, NLMSG_ALIGNTO) == 0) {
        std::vector<NetFrequency> frequencies;
        ParseWiphyFrequencies(msg, frequencies);
        (void)ChannelsOf(frequencies, 1, true);
        (void)ChannelsOf(frequencies, 2, false);
        (void)ParseWiphyIndex(msg);
        (void)ParseStationMac(msg);
        (void)ParseRegAlpha2(msg);
    }
    nlmsg_free(msg);
    return 0;
}

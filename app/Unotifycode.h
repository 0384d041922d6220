#pragma once

// The codes of the notify message (TNotifyEvent) with which the adapter's threads, detection, the pages and a
// second instance reach the adapter session and the window. A second instance sends NM_SHOW and NM_CLOSE_ALL
// over a socket, so the numbers are part of what two builds of the program exchange and never change.
enum NotifyCode {
    NM_SHOW = 1,          // sent by a second instance: show the window
    NM_DEVICE = 2,        // posted by detection: a DeviceChange
    NM_STATUS = 3,        // posted: fresh status and network copies
    NM_ZEROCFG = 4,       // sent: the adapter was handed to (1) or taken back from (0) zero configuration
    NM_SAVE_PROFILE = 5,  // sent by the editor with its flags: store the edited profile, answer 1 when stored
    NM_APPLYING = 7,      // sent from the worker: a profile of that FuncMode is about to be applied
    NM_PROFILE_LIST = 8,  // posted: the profile list of that kind changed
    NM_CLOSE_ALL = 9,     // sent by a second instance: end the program
    NM_SHOW_PAGE = 10,    // posted by a page: show the page of a PageCode
    NM_EDIT_SCANNED = 11, // sent by Site Survey: open the editor on the Profile page with this extra value
    NM_ATTACHED = 12,     // posted: an adapter made with InitialOnWorker is initialised (see Attached); the
                          // session passes it on to the pages just before it attaches the adapter to them
    NM_CONNECT_FAILED = 13, // posted: a station connect was refused or never came up (see GetConnectFailure)
    NM_SERVICE =
        14, // posted by detection when the library's service state changes: no adapter was found because
            // the system bus or the network service is missing (TSRWL_SERVICE_*), or READY again
};

// Values of NM_DEVICE.
enum DeviceChange {
    DEVICE_REMOVED = 3, // also: detection gave up on the device list
    DEVICE_ARRIVED = 4, // the device list changed; the session looks for its device in it
};

// Values of NM_SHOW_PAGE.
enum PageCode {
    PAGE_LINK_INFO = 1,
    PAGE_PROFILE = 2,
    PAGE_SITE_SURVEY = 3, // opened on request: the page does not scan again
    PAGE_AP_INFO = 4,
};

#pragma once

// What the adapter engine needs of device detection: while the engine reconfigures the adapter, the
// adapter's own restart must not be taken for a removal, so detection is told to ignore device events.
class IDetectIgnore {
public:
    virtual ~IDetectIgnore() = default;
    virtual void SetIgnore(bool on) = 0;
};

// The program's detection thread while it exists (null otherwise); the main window sets it. Once
// SetDetectIgnore(nullptr) has returned, no thread is still calling into the old one.
bool DetectIgnoreExists();
void SetDetectIgnore(IDetectIgnore* detect);
// Passes the flag on to the detection thread, if there is one.
void DetectIgnoreSet(bool on);

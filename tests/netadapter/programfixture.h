#pragma once

#include "nmstandin.h"

#include <QProcess>
#include <QString>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

// The real program on the real adapter library, as an installed copy runs it, against a network manager
// stand-in on a private bus that already serves the user: a Wi-Fi device "wlan0" (a USB adapter in a
// stand-in sysfs) connected to the user's saved WPA2 network "Harbor-Office".
class NetProgramTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Starts the program as a desktop session does (tray only); `managed`: this user's settings already say
    // that the program, not the system's manager, runs the adapter.
    void StartProgram(bool managed);
    // Asks the running program to end, as a second start with "/Close" does; true when it ended.
    bool CloseProgram();
    bool WaitLog(const QString& line, int count = 1, int timeoutMs = 20000);
    QString Log() const;
    std::string RecordFile() const;
    uint64_t Autoconnect();
    std::string ActiveConnection();

    QTemporaryDir m_dir;
    std::unique_ptr<NmStandin> m_nm;
    std::string m_device;
    std::string m_saved;  // the user's saved connection
    std::string m_active; // its activation when the test starts
    QProcess m_program;
};

#pragma once

#include "engine/Unicadapter.h"
#include "fakelib.h"

#include <QObject>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <mutex>
#include <utility>
#include <vector>

// Records the notify messages that reach the main window.
class NotifyRecorder : public QObject {
public:
    bool event(QEvent* e) override;
    std::vector<std::pair<int, int>> Received() const;
    int Count(int code) const;

private:
    mutable std::mutex m_Mutex;
    std::vector<std::pair<int, int>> m_Received;
};

// Each test gets a private settings file, per-user store and log, and the fake adapter library.
class AdapterTest : public ::testing::Test {
protected:
    static void SetUpTestSuite();
    void SetUp() override;
    // Binds the adapter library the tests run on: the fake one unless a suite chooses another.
    virtual void UseLibrary() { fakelib::Install(); }
    // Loads the simulated adapter library of the build on a scenario of the test's own, with its state and
    // profiles in the test's folder, and describes the scenario's adapter (whose hardware id is `hwId`).
    void UseSimulator(const char* scenario, const char* hwId);
    void TearDown() override;

    // Writes the settings file beside the test's "program" and reads it as the program would.
    void WriteSettings(const QByteArray& text);
    CNICAdapter& Adapter(uint32_t flags = 0);
    void DestroyAdapter() { m_Adapter.reset(); }
    // Log lines written since the test started.
    QString LogSince() const;
    QString StoreFile() const;
    bool WaitForLog(const QString& text, int timeoutMs = 10000) const;

    QTemporaryDir m_Dir;
    NotifyRecorder m_Recorder;
    TThreadPtr<CNICAdapter> m_Adapter;
    qint64 m_LogStart = 0;
    TAdapterDesc m_Desc{};
};

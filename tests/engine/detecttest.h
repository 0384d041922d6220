#pragma once

#include "app/Udebug.h"
#include "app/Udefine.h"
#include "app/Unotifyevent.h"
#include "engine/Uthrddetect.h"
#include "testutil.h"

#include <QTemporaryDir>
#include <algorithm>
#include <gtest/gtest.h>
#include <unistd.h>
#include <vector>

// What the detection tests share: a receiver in place of the main window, a private debug log to read the
// detection thread's lines from, and the settings detection reads.

// The main window's part: what detection posts to it.
class NotifyRecorder : public QObject {
public:
    bool event(QEvent* e) override
    {
        if (e->type() != NotifyMsg())
            return QObject::event(e);
        const auto* notify = static_cast<TNotifyEvent*>(e);
        if (notify->Code == NM_DEVICE)
            Values.push_back(notify->Value);
        else if (notify->Code == NM_SERVICE)
            Services.push_back(notify->Value);
        else if (notify->Code == NM_CLOSE_ALL)
            ++CloseRequests;
        return true;
    }
    int Count(int value) const { return int(std::count(Values.begin(), Values.end(), value)); }
    std::vector<int> Values;
    std::vector<int> Services; // NM_SERVICE values
    // Requests to close the program.
    int CloseRequests = 0;
};

class DetectTestBase : public ::testing::Test {
protected:
    static inline const QString ADAPTER_ID = "USB\\VID_F5E1&PID_0301";

    void SetUp() override
    {
        ASSERT_TRUE(m_Dir.isValid());
        m_LogPath = m_Dir.filePath("prog.Log");
        testutil::WriteFile(m_LogPath, "");
        DebugLogFile().Open(m_Dir.filePath("prog").toStdString());
        ASSERT_TRUE(DebugLogFile().IsOn());
        g_Var.ProfRoot = QString("DetectTest%1").arg(getpid());
        g_Var.HwIdList = QStringList{ADAPTER_ID};
        g_Var.OsKind = 5;
        g_Var.StartFlags = 0;
    }

    void TearDown() override
    {
        m_Detect.reset();
        DebugLogFile().Close();
    }

    // Starts detection and waits for its first pass.
    void Start()
    {
        m_Detect = CThrdDetect::Create(&m_Receiver);
        ASSERT_TRUE(testutil::WaitFor([&] { return Passes() == 1 && Has("available device"); }));
    }

    QStringList Lines() const
    {
        return QString::fromUtf8(testutil::ReadFile(m_LogPath)).split("\r\n", Qt::SkipEmptyParts);
    }
    int Count(const QString& line) const
    {
        return testutil::CountLogged(QString::fromUtf8(testutil::ReadFile(m_LogPath)), line, true);
    }
    // Whether a line starts with `prefix`.
    bool Has(const QString& prefix) const
    {
        const QStringList lines = Lines();
        return std::any_of(lines.begin(), lines.end(),
                           [&](const QString& line) { return line.startsWith(prefix); });
    }
    int IndexOf(const QString& line) const { return int(Lines().indexOf(line)); }
    int LastIndexOf(const QString& line) const { return int(Lines().lastIndexOf(line)); }
    bool WaitLine(const QString& line, int count = 1, int timeoutMs = 10000) const
    {
        return testutil::WaitFor([&] { return Count(line) >= count; }, timeoutMs);
    }
    int Passes() const { return Count("CThrdDetect::DetectDev()"); }
    // True when nothing made a pass beyond `passes` during `ms` milliseconds.
    bool NoPassBeyond(int passes, int ms) const
    {
        return !testutil::WaitFor([&] { return Passes() > passes; }, ms);
    }

    std::vector<TAdapterDesc> Devices() const
    {
        std::vector<TAdapterDesc> list;
        m_Detect->GetDevices(list);
        return list;
    }

    QTemporaryDir m_Dir;
    QString m_LogPath;
    NotifyRecorder m_Receiver;
    CThrdDetect::Ptr m_Detect;
};

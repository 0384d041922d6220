#pragma once

#include "ui/Uformmain.h"

#include <QColor>
#include <QStringList>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

class TFormRes;
class TPropertyPageFrame;
class TTrifaceLabel;

// The colour of a tab not selected.
inline const QColor TAB_NORMAL(0x50, 0x64, 0x79);

// The main window on the simulated adapter, with settings, profiles and a debug log of each test's own.
class FormMainTest : public ::testing::Test {
protected:
    static void SetUpTestSuite();
    static void TearDownTestSuite();
    void SetUp() override;
    void TearDown() override;

    static QString SimCtl(const QString& command);
    QString Log() const;
    int LogCount(const QString& text) const;

    TFormMain& Main();
    // Starts the window as start-up does and waits until it has taken up the plugged adapter.
    void StartWithAdapter(uint32_t flags);
    template <class T> T* Child(const char* name) { return Main().findChild<T*>(QString::fromLatin1(name)); }
    TTrifaceLabel* Tab(const char* name);
    TPropertyPageFrame* Page(const char* name);
    // Clicks the middle of the tab where a user would: on whatever control lies on top there.
    void ClickTab(const char* name);
    // Clicks the shown and enabled button of that name; false when there is none.
    bool ClickButton(const char* name);
    // Types into the shown edit of that name as a person does: select all, then the keys.
    void TypeInto(const char* name, const QString& text);
    // Chooses the item carrying `value` in the shown list of that name with the arrow keys.
    void ChooseByKeys(const char* name, int value);
    template <class T> T* VisibleChild(const char* name)
    {
        for (T* child : Main().findChildren<T*>(QString::fromLatin1(name)))
            if (child->isVisible())
                return child;
        return nullptr;
    }
    QStringList VisibleMenuItems();

    static QTemporaryDir* s_Dir;
    static TFormRes* s_Res;
    QTemporaryDir m_Dir;
    QString m_LogPath;
    std::unique_ptr<TFormMain> m_Main;
};

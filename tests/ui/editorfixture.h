#pragma once

#include "pagefixture.h"

#include <QComboBox>
#include <QString>

class QWidget;
class TPropertyPageFrame;

// An editor page hosted on its own with the simulated adapter attached, driven by keys and clicks. The
// container's Next is the page's LeavePage going forward; message boxes answer at once and are counted.
class EditorPageTest : public PageTest {
protected:
    void SetUp() override;
    void TearDown() override;
    // Hosts the page, attaches the adapter (in station mode) and enters the page going forward.
    void Open(TPropertyPageFrame* page);
    // Leaves the page going forward; false when the page refused (a message says why).
    bool Next();
    void Choose(const char* combo, int value);
    // Replaces an edit's text by typing (select all, then the keys).
    void Type(const char* edit, const QString& text);
    QComboBox* Combo(const char* name) const;
    QList<int> Values(const char* combo) const;
    // Message boxes shown since the test started, and the last one's text.
    int Messages() const;
    QString LastMessage() const;

    TPropertyPageFrame* m_Page = nullptr;
    // The record the page edits, held here as the editor holds its own.
    WLProfile m_Profile{};

private:
    int m_MessagesAtStart = 0;
};

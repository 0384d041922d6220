#pragma once

#include "adapterfixture.h"
#include "ui/Uformres.h"

#include <QPointer>
#include <QWidget>
#include <functional>
#include <ostream>
#include <utility>
#include <vector>

class QComboBox;
class QLineEdit;
class TPropertyPageFrame;

// Chooses the item carrying `value` with the keyboard, as a person does on a closed list.
void ChooseByKeys(QComboBox* combo, int value);
// Replaces an edit's text by typing: select all, delete, then the keys.
void TypeText(QLineEdit* edit, const QString& text);

// Readable texts in failure messages.
void PrintTo(const QString& text, std::ostream* os);
void PrintTo(const QStringList& texts, std::ostream* os);

// Stands in for the main window: it holds the page, records the notify messages that reach it and passes the
// adapter's codes 3, 4, 7 and the connect failures on to the page as the main window does.
class MainStub : public QWidget {
public:
    bool event(QEvent* e) override;
    std::vector<std::pair<int, int>> Received;
    QPointer<TPropertyPageFrame> Page;
    CNICAdapter* Adapter = nullptr;
    // Answers a notify code as the main window would (such as code 5, store the edited profile).
    std::function<int(int code, int value)> Answer;
};

// A page on the simulated adapter: one open and one WPA2-PSK network in range.
class PageTest : public AdapterTest {
protected:
    void UseLibrary() override;
    void SetUp() override;
    void TearDown() override;
    // Puts `page` into the stand-in main window, initialises it and shows it.
    void Host(TPropertyPageFrame* page);
    // Creates the adapter and attaches it to the page.
    CNICAdapter& Attach();
    // A scanned network by name, from the adapter's current list.
    bool FindSite(const char* ssid, TSSiteEntry& found);
    // Queues a connection to the named network with a profile of the given name; WPA networks get the
    // scenario's pass phrase.
    void ConnectTo(const char* ssid, const char* profileName);
    bool Connected();
    // Waits for the next status report to reach the page.
    bool NextReport();
    // Address renewals (release and renew) logged since the test started.
    int RenewCount() const;

    TFormRes m_Res;
    MainStub m_Main;
};

#pragma once

#include <QWidget>
#include <cstdint>

// The program's main window. Closing it only hides it; the program ends on a close request.
class TFormMain : public QWidget {
    Q_OBJECT
public:
    explicit TFormMain(QWidget* parent = nullptr);
    void SetStartFlags(uint32_t flags);
    uint32_t StartFlags() const { return m_StartFlags; }
    // Handles one notify code with its value and returns the answer for a sender that waits.
    int HandleNotify(int code, int value);

protected:
    bool event(QEvent* e) override;
    void closeEvent(QCloseEvent* e) override;

private:
    void ShowMainWindow();
    void CloseProgram();

    uint32_t m_StartFlags = 0;
};

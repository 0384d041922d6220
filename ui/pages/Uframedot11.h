#pragma once

#include "adaptercore/tsrwl.h"
#include "ui/Propertypageframeunit.h"

#include <QByteArrayList>
#include <QList>
#include <array>
#include <memory>

class QComboBox;
class QLabel;

namespace Ui {
class FrameDot11;
}

// Editor page of profiles that log in by 802.1x, with WPA or WPA2 or without WPA: the EAP method and, for the
// method chosen, the login, the password, the user's certificate, the authority trusted to have signed the
// server's certificate and the inner method; with WPA also the cipher. Only the rows of the chosen method are
// shown, packed from the top. A stored password is never shown, only replaced.
class TFrameDot11 : public TPropertyPageFrame {
    Q_OBJECT
public:
    // Name and issuer of an installed certificate, as the certificate lists' items carry them.
    using TCertRecord = QByteArrayList;
    struct TCertLists {
        QList<TCertRecord> User, Authorities;
        bool operator==(const TCertLists&) const = default;
    };

    // `profile` is the editor's record this page shows and writes.
    explicit TFrameDot11(WLProfile& profile, QWidget* parent = nullptr);
    ~TFrameDot11() override;

    void InitPage() override;
    void DonePage() override;
    bool EnterPage(TPropertyPageFrame* leftPage, int mode, int context) override;
    bool LeavePage(TPropertyPageFrame* nextPage, int mode, int context) override;
    void SetAdapter(CNICAdapter* adapter, int change, int flags) override;

private:
    struct TRow {
        QLabel* Caption;
        QLabel* Bullet;
        QWidget* Control;
    };
    enum TRowIndex {
        rowCipher,
        rowMethod,
        rowUser,
        rowPassword,
        rowMyCert,
        rowServerCA,
        rowInner,
        ROW_COUNT
    };

    void CmbAuthenSelect();
    void PlaceRows(int method);
    void FillInnerMethods(int method);
    void FillMethods();
    // Lists the certificates last read from the adapter, with "Trust Any" first among the authorities.
    void FillCertificates();
    // Reads the installed certificates on the adapter's worker; a list that changed meanwhile is shown again,
    // keeping what the user had chosen.
    void RequestCertificates();
    void ShowCertificates(const TCertLists& lists);
    // The first failing check's message, or an empty text.
    QString CheckInput(int method) const;

    std::unique_ptr<Ui::FrameDot11> ui;
    std::array<TRow, ROW_COUNT> m_Rows{};
    WLProfile& m_Profile;
    CNICAdapter* m_Adapter = nullptr;
    TCertLists m_Certs;
    // The certificates chosen, by the profile or since by the user, kept when the lists are read again.
    TCertRecord m_ChosenCert, m_ChosenAuthority;
};

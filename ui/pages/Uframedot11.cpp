#include "Uframedot11.h"
#include "Ueditorpage.h"
#include "adaptercore/Corecodes.h"
#include "app/Udefine.h"
#include "app/Uutility.h"
#include "controls/Maskededit.h"
#include "engine/Unicadapter.h"
#include "ui/Uwinutil.h"
#include "ui_Uframedot11.h"

#include <QVariant>
#include <algorithm>
#include <cstring>
#include <span>

namespace {

const QString SECTION = QStringLiteral("FrameDot11");

// Common texts.
constexpr size_t CT_TRUST_ANY = 7;

constexpr int FIRST_ROW_Y = 85;
constexpr int ROW_STEP = 24;

struct TChoice {
    int Value;
    size_t Text; // common text
    const char* Setting;
    bool Default;
};

// In the order of the list; the settings for 802.1x with WPA, then without.
struct TMethodChoice {
    TChoice Wpa;
    const char* RadiusSetting;
};
constexpr TMethodChoice METHODS[] = {
    {{ToCode(TsrwlEapMethod::Tls), 41, "EnWPA_TLS", true}, "EnRADIUS_TLS"},
    {{ToCode(TsrwlEapMethod::Peap), 43, "EnWPA_PEAP", true}, "EnRADIUS_PEAP"},
    {{ToCode(TsrwlEapMethod::Ttls), 42, "EnWPA_TTLS", true}, "EnRADIUS_TTLS"},
    {{ToCode(TsrwlEapMethod::Leap), 40, "EnWPA_LEAP", false}, "EnRADIUS_LEAP"},
};
constexpr TChoice PEAP_INNER[] = {
    {ToCode(TsrwlPeapInner::MsChapV2), 58, "EnPEAP_MSCHAP", true},
    {ToCode(TsrwlPeapInner::Gtc), 54, "EnPEAP_GTC", false},
};
constexpr TChoice TTLS_INNER[] = {
    {ToCode(TsrwlTtlsInner::Pap), 55, "EnTTLS_PAP", true},
    {ToCode(TsrwlTtlsInner::Chap), 56, "EnTTLS_CHAP", true},
    {ToCode(TsrwlTtlsInner::MsChap), 57, "EnTTLS_MSCHAP", true},
    {ToCode(TsrwlTtlsInner::MsChapV2), 58, "EnTTLS_MSCHAP2", true},
};

bool Tunnelled(int method)
{
    return method == ToCode(TsrwlEapMethod::Peap) || method == ToCode(TsrwlEapMethod::Ttls);
}

// Whether the row of `row` (an index of the rows after the cipher) belongs to `method`.
bool MethodUsesRow(int method, int row)
{
    // Bit n for the n-th row after the cipher: method, login, password, user certificate, server CA, inner.
    constexpr unsigned TLS_ROWS = 0b011011;
    constexpr unsigned TUNNEL_ROWS = 0b110111;
    constexpr unsigned LEAP_ROWS = 0b000111;
    const unsigned rows = method == ToCode(TsrwlEapMethod::Tls)    ? TLS_ROWS
                          : Tunnelled(method)                      ? TUNNEL_ROWS
                          : method == ToCode(TsrwlEapMethod::Leap) ? LEAP_ROWS
                                                                   : 0;
    return rows & (1u << row);
}

void AddChoice(QComboBox* combo, const TChoice& choice, const CNICAdapter* adapter, const char* setting)
{
    if (adapter && adapter->ReadSet(QString::fromLatin1(setting), choice.Default))
        combo->addItem(g_Var.CommonTexts[choice.Text], choice.Value);
}

TFrameDot11::TCertRecord RecordOf(const TSCertEntry& entry)
{
    return {QByteArray(entry.Name), QByteArray(entry.Issuer)};
}

// The certificate a profile names in its fields of `size` bytes.
TFrameDot11::TCertRecord ProfileRecord(const char* name, const char* issuer, size_t size)
{
    return {QByteArray(name, qstrnlen(name, size)), QByteArray(issuer, qstrnlen(issuer, size))};
}

TFrameDot11::TCertRecord SelectedRecord(const QComboBox* combo)
{
    return combo->currentData().value<TFrameDot11::TCertRecord>();
}

// Selects the item carrying `record`; without one the selection stays.
void SelectRecord(QComboBox* combo, const TFrameDot11::TCertRecord& record)
{
    const int index = record.isEmpty() ? -1 : combo->findData(QVariant::fromValue(record));
    if (index >= 0)
        combo->setCurrentIndex(index);
}

// Certificate names are bytes as the system stores them; they always fit the profile's fields.
void StoreText(char* field, size_t size, const QByteArray& text)
{
    memset(field, 0, size);
    memcpy(field, text.constData(), std::min(size - 1, size_t(text.size())));
}

} // namespace

TFrameDot11::TFrameDot11(WLProfile& profile, QWidget* parent)
    : TPropertyPageFrame(parent), ui(std::make_unique<Ui::FrameDot11>()), m_Profile(profile)
{
    ui->setupUi(this);
    setObjectName(SECTION);
    connect(ui->CmbAuthen, &QComboBox::activated, this, &TFrameDot11::CmbAuthenSelect);
    connect(ui->CmbMyCert, &QComboBox::activated, this,
            [this] { m_ChosenCert = SelectedRecord(ui->CmbMyCert); });
    connect(ui->CmbServerCA, &QComboBox::activated, this,
            [this] { m_ChosenAuthority = SelectedRecord(ui->CmbServerCA); });
}

TFrameDot11::~TFrameDot11() = default;

void TFrameDot11::InitPage()
{
    const std::array<QLabel*, ROW_COUNT> captions = {ui->LbEncry,  ui->LbAuthen,   ui->LbUser, ui->LbPasswd,
                                                     ui->LbMyCert, ui->LbServerCA, ui->LbInner};
    const std::array<QWidget*, ROW_COUNT> controls = {ui->CmbEncryp, ui->CmbAuthen, ui->EdtUser,
                                                      ui->EdtPasswd, ui->CmbMyCert, ui->CmbServerCA,
                                                      ui->CmbInner};
    const std::vector<QLabel*> bullets = SkinEditorPage(
        this, SECTION, ui->ImgBG,
        {ui->LbEncry, ui->LbAuthen, ui->LbUser, ui->LbPasswd, ui->LbMyCert, ui->LbServerCA, ui->LbInner},
        ui->BtnBack, ui->BtnNext, ui->BtnExit);
    for (size_t i = 0; i < m_Rows.size(); ++i)
        m_Rows[i] = {captions[i], bullets[i], controls[i]};
    SetTextColor(ui->LbDot11Set, SKIN_HEADER_TEXT);
    SetUpShowSwitch(ui->ChkShowChars, SECTION, {ui->EdtPasswd});
    ClearPage();
    TPropertyPageFrame::InitPage();
}

void TFrameDot11::DonePage()
{
    m_Certs = TCertLists();
    ui->CmbMyCert->clear();
    ui->CmbServerCA->clear();
    TPropertyPageFrame::DonePage();
}

void TFrameDot11::SetAdapter(CNICAdapter* adapter, int change, int flags)
{
    if (TrackStationAdapter(this, m_Adapter, adapter, change, flags))
        RequestCertificates();
    else if (change == acDetach)
        m_Certs = TCertLists();
    TPropertyPageFrame::SetAdapter(adapter, change, flags);
}

void TFrameDot11::FillMethods()
{
    ui->CmbAuthen->clear();
    const bool radius = m_Profile.EncryptionMethod == ToCode(TsrwlSecurity::Dot1x);
    for (const TMethodChoice& method : METHODS)
        AddChoice(ui->CmbAuthen, method.Wpa, m_Adapter, radius ? method.RadiusSetting : method.Wpa.Setting);
}

void TFrameDot11::FillCertificates()
{
    ui->CmbMyCert->clear();
    for (const TCertRecord& cert : m_Certs.User)
        ui->CmbMyCert->addItem(
            QStringLiteral("%1 [%2]").arg(QString::fromUtf8(cert[0]), QString::fromUtf8(cert[1])),
            QVariant::fromValue(cert));
    ui->CmbMyCert->setCurrentIndex(ui->CmbMyCert->count() > 0 ? 0 : -1);
    ui->CmbServerCA->clear();
    ui->CmbServerCA->addItem(g_Var.CommonTexts[CT_TRUST_ANY]);
    for (const TCertRecord& cert : m_Certs.Authorities)
        ui->CmbServerCA->addItem(QString::fromUtf8(cert[0]), QVariant::fromValue(cert));
    ui->CmbServerCA->setCurrentIndex(0);
}

void TFrameDot11::RequestCertificates()
{
    if (!m_Adapter)
        return;
    m_Adapter->Request(
        this,
        [](CNICAdapter& adapter) {
            TCertLists lists;
            const auto read = [&adapter](QList<TCertRecord>& out, int kind) {
                TCertList list;
                adapter.GetCertificateList(list, kind);
                for (const TSCertEntry& entry : list)
                    out.append(RecordOf(entry));
            };
            read(lists.User, TSRWL_CERT_KIND_USER);
            read(lists.Authorities, TSRWL_CERT_KIND_ROOT);
            return lists;
        },
        [this](const TCertLists& lists) { ShowCertificates(lists); });
}

void TFrameDot11::ShowCertificates(const TCertLists& lists)
{
    if (lists == m_Certs)
        return;
    m_Certs = lists;
    FillCertificates();
    SelectRecord(ui->CmbMyCert, m_ChosenCert);
    SelectRecord(ui->CmbServerCA, m_ChosenAuthority);
}

void TFrameDot11::CmbAuthenSelect()
{
    if (ui->CmbAuthen->currentIndex() < 0)
        return;
    const int method = ui->CmbAuthen->currentData().toInt();
    PlaceRows(method);
    if (Tunnelled(method))
        FillInnerMethods(method);
}

void TFrameDot11::PlaceRows(int method)
{
    int shown = 0;
    for (size_t i = 0; i < m_Rows.size(); ++i) {
        const TRow& row = m_Rows[i];
        const bool visible = i == rowCipher ? m_Profile.EncryptionMethod != ToCode(TsrwlSecurity::Dot1x)
                                            : MethodUsesRow(method, int(i) - 1);
        const int y = FIRST_ROW_Y + ROW_STEP * shown;
        const int middle = y + row.Caption->height() / 2;
        row.Caption->move(row.Caption->x(), y);
        row.Control->move(row.Control->x(), middle - row.Control->height() / 2);
        row.Caption->setVisible(visible);
        row.Control->setVisible(visible);
        if (row.Bullet) {
            row.Bullet->move(row.Bullet->x(), middle - row.Bullet->height() / 2);
            row.Bullet->setVisible(visible);
        }
        shown += visible ? 1 : 0;
        // The password's "show characters" switch takes the row below it, under the edit.
        if (i == rowPassword) {
            ui->ChkShowChars->move(ui->ChkShowChars->x(), middle + ROW_STEP - ui->ChkShowChars->height() / 2);
            ui->ChkShowChars->setVisible(visible);
            shown += visible ? 1 : 0;
        }
    }
}

void TFrameDot11::FillInnerMethods(int method)
{
    const bool peap = method == ToCode(TsrwlEapMethod::Peap);
    ui->LbInner->setText(
        peap ? g_Var.GetLangText(SECTION, QStringLiteral("LbInnerPEAP"), QStringLiteral("PEAP Inner EAP:"))
             : g_Var.GetLangText(SECTION, QStringLiteral("LbInnerTTLS"), QStringLiteral("TTLS Protocol:")));
    QComboBox* inner = ui->CmbInner;
    inner->clear();
    for (const TChoice& choice :
         peap ? std::span<const TChoice>(PEAP_INNER) : std::span<const TChoice>(TTLS_INNER))
        AddChoice(inner, choice, m_Adapter, choice.Setting);
    if (peap || !SelectComboByValue(inner, ToCode(TsrwlTtlsInner::MsChapV2)))
        inner->setCurrentIndex(inner->count() > 0 ? 0 : -1);
}

bool TFrameDot11::EnterPage(TPropertyPageFrame* leftPage, int mode, int context)
{
    const WLProfile& profile = m_Profile;
    FillMethods();
    FillCertificates();
    FillCipherCombo(ui->CmbEncryp, m_Adapter);
    SelectValueOrFirst(ui->CmbAuthen, profile.MS8021xAuthMode);
    CmbAuthenSelect();
    if (ui->CmbAuthen->currentIndex() >= 0)
        SelectComboByValue(ui->CmbInner, SelectedValue(ui->CmbAuthen, 0) == ToCode(TsrwlEapMethod::Peap)
                                             ? profile.PeapEap
                                             : profile.TTLSEap);
    SelectValueOrFirst(ui->CmbEncryp, profile.WPAEncryptionType);
    m_ChosenCert =
        ProfileRecord(profile.sCertificate, profile.sCertificate_Issuer, sizeof profile.sCertificate);
    m_ChosenAuthority =
        ProfileRecord(profile.sCertAuthority, profile.sCertAuthority_Issuer, sizeof profile.sCertAuthority);
    SelectRecord(ui->CmbMyCert, m_ChosenCert);
    SelectRecord(ui->CmbServerCA, m_ChosenAuthority);
    ui->EdtUser->setText(BytesText(profile.LoginName, sizeof profile.LoginName));
    ui->EdtPasswd->setText(BytesText(profile.LoginPassword, sizeof profile.LoginPassword));
    ui->EdtPasswd->SetMasked(true);
    ui->ChkShowChars->setChecked(false);
    // Certificates installed or removed since the adapter came are picked up while the page is shown.
    RequestCertificates();
    return TPropertyPageFrame::EnterPage(leftPage, mode, context);
}

QString TFrameDot11::CheckInput(int method) const
{
    const auto message = [](const char* key, const char* text) {
        return g_Var.GetLangText(QStringLiteral("Message"), QLatin1String(key), QString::fromLatin1(text));
    };
    if (method != ToCode(TsrwlEapMethod::Leap) && ui->EdtUser->text().isEmpty())
        return message("ErEmyUser", "The login name is empty.\\nPlease enter a login name.");
    if (Tunnelled(method) && ui->EdtPasswd->text().isEmpty())
        return message("ErEmyPw", "The password is empty.\\nPlease enter a password.");
    if (method == ToCode(TsrwlEapMethod::Tls) && ui->CmbMyCert->currentIndex() < 0)
        return message("ErMyCert", "You must specify a certificate.");
    return QString();
}

bool TFrameDot11::LeavePage(TPropertyPageFrame* nextPage, int mode, int context)
{
    if (mode != pmForward)
        return TPropertyPageFrame::LeavePage(nextPage, mode, context);
    const int method = SelectedValue(ui->CmbAuthen, ToCode(TsrwlEapMethod::Tls));
    const QString refusal = CheckInput(method);
    if (!refusal.isEmpty()) {
        ShowEditorWarning(this, refusal);
        return false;
    }
    WLProfile& p = m_Profile;
    p.MS8021xAuthMode = method;
    if (p.EncryptionMethod == ToCode(TsrwlSecurity::Dot1x)) {
        p.AuthenticationMode = ToCode(TsrwlAuthMode::Auto);
        p.WPAEncryptionType = ToCode(TsrwlCipher::Tkip);
    } else {
        p.AuthenticationMode = p.EncryptionMethod == ToCode(TsrwlSecurity::Wpa2) ? ToCode(TsrwlAuthMode::Wpa2)
                                                                                 : ToCode(TsrwlAuthMode::Wpa);
        p.WPAEncryptionType = SelectedValue(ui->CmbEncryp, ToCode(TsrwlCipher::Tkip));
    }
    CopyTextField(p.LoginName, sizeof p.LoginName, ui->EdtUser->isHidden() ? QString() : ui->EdtUser->text());
    CopyTextField(p.LoginPassword, sizeof p.LoginPassword,
                  ui->EdtPasswd->isHidden() ? QString() : ui->EdtPasswd->text());
    if (method == ToCode(TsrwlEapMethod::Peap))
        p.PeapEap = SelectedValue(ui->CmbInner, ToCode(TsrwlPeapInner::MsChapV2));
    else if (method == ToCode(TsrwlEapMethod::Ttls))
        p.TTLSEap = SelectedValue(ui->CmbInner, ToCode(TsrwlTtlsInner::MsChapV2));
    const TCertRecord mine = ui->CmbMyCert->isHidden() ? TCertRecord() : SelectedRecord(ui->CmbMyCert);
    StoreText(p.sCertificate, sizeof p.sCertificate, mine.value(0));
    StoreText(p.sCertificate_Issuer, sizeof p.sCertificate_Issuer, mine.value(1));
    const TCertRecord authority = SelectedRecord(ui->CmbServerCA);
    StoreText(p.sCertAuthority, sizeof p.sCertAuthority, authority.value(0));
    StoreText(p.sCertAuthority_Issuer, sizeof p.sCertAuthority_Issuer, authority.value(1));
    // Naming an authority means checking the server against it; a method without a server certificate
    // (LEAP) has nothing to check.
    p.ValidateServerCert = !authority.isEmpty() && !ui->CmbServerCA->isHidden() ? 1 : 0;
    return TPropertyPageFrame::LeavePage(nextPage, mode, context);
}

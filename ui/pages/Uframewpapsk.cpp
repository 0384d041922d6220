#include "Uframewpapsk.h"
#include "Ueditorpage.h"
#include "adaptercore/Corecodes.h"
#include "app/Uutility.h"
#include "ui/Uwinutil.h"
#include "ui_Uframewpapsk.h"

#include <algorithm>
#include <cstring>

namespace {

const QString SECTION = QStringLiteral("FrameWPAPSK");
constexpr int PHRASE_MIN = 8;
constexpr int PHRASE_MAX = 63;

// Access points derive the key from the phrase's bytes; only printable ASCII gives the same bytes everywhere.
bool IsValidPhrase(const QString& phrase)
{
    return phrase.size() >= PHRASE_MIN && phrase.size() <= PHRASE_MAX &&
           std::all_of(phrase.begin(), phrase.end(),
                       [](QChar c) { return c.unicode() >= 0x20 && c.unicode() <= 0x7E; });
}

} // namespace

TFrameWPAPSK::TFrameWPAPSK(WLProfile& profile, QWidget* parent)
    : TPropertyPageFrame(parent), ui(std::make_unique<Ui::FrameWPAPSK>()), m_Profile(profile)
{
    ui->setupUi(this);
    setObjectName(SECTION);
    // Typing past the limit is answered once the key press is over, as a message to the page itself.
    connect(ui->EdtPhrase, &TMaskedEdit::MaxTextReached, this, &TFrameWPAPSK::ShowPhraseError,
            Qt::QueuedConnection);
}

TFrameWPAPSK::~TFrameWPAPSK() = default;

void TFrameWPAPSK::InitPage()
{
    SkinEditorPage(this, SECTION, ui->ImgBG, {ui->LbEncry, ui->LbPhrase}, ui->BtnBack, ui->BtnNext,
                   ui->BtnExit);
    SetTextColor(ui->LbPSKSet, SKIN_HEADER_TEXT);
    SetUpShowSwitch(ui->ChkShowChars, SECTION, {ui->EdtPhrase});
    ClearPage();
    TPropertyPageFrame::InitPage();
}

void TFrameWPAPSK::SetAdapter(CNICAdapter* adapter, int change, int flags)
{
    TrackStationAdapter(this, m_Adapter, adapter, change, flags);
    TPropertyPageFrame::SetAdapter(adapter, change, flags);
}

bool TFrameWPAPSK::EnterPage(TPropertyPageFrame* leftPage, int mode, int context)
{
    const WLProfile& profile = m_Profile;
    FillCipherCombo(ui->CmbEncryp, m_Adapter);
    SelectValueOrFirst(ui->CmbEncryp, profile.WPAEncryptionType);
    ui->EdtPhrase->setText(BytesText(profile.WPAPassphrase, sizeof profile.WPAPassphrase));
    ui->EdtPhrase->SetMasked(true);
    ui->ChkShowChars->setChecked(false);
    return TPropertyPageFrame::EnterPage(leftPage, mode, context);
}

bool TFrameWPAPSK::LeavePage(TPropertyPageFrame* nextPage, int mode, int context)
{
    if (mode == pmForward) {
        const QString phrase = ui->EdtPhrase->text();
        if (!IsValidPhrase(phrase)) {
            ShowPhraseError();
            return false;
        }
        WLProfile& profile = m_Profile;
        CopyTextField(profile.WPAPassphrase, sizeof profile.WPAPassphrase, phrase);
        profile.WPAEncryptionType = SelectedValue(ui->CmbEncryp, ToCode(TsrwlCipher::Tkip));
        if (profile.NetworkMode != 1)
            profile.AuthenticationMode = ToCode(TsrwlAuthMode::WpaNone);
        else
            profile.AuthenticationMode = profile.EncryptionMethod == ToCode(TsrwlSecurity::Wpa2Psk)
                                             ? ToCode(TsrwlAuthMode::Wpa2Psk)
                                             : ToCode(TsrwlAuthMode::WpaPsk);
    }
    return TPropertyPageFrame::LeavePage(nextPage, mode, context);
}

void TFrameWPAPSK::ShowPhraseError()
{
    ShowEditorMessage(this, QStringLiteral("ErPassphrase"),
                      QStringLiteral("Passphrase should be between 8 to 63 charachers in ASCII format."));
}

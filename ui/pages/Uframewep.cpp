#include "Uframewep.h"
#include "Ueditorpage.h"
#include "Uwepedits.h"
#include "ui/Uwinutil.h"
#include "ui_Uframewep.h"

namespace {

const QString SECTION = QStringLiteral("FrameWEP");

} // namespace

TFrameWEP::TFrameWEP(WLProfile& profile, QWidget* parent)
    : TPropertyPageFrame(parent), ui(std::make_unique<Ui::FrameWEP>()), m_Profile(profile)
{
    ui->setupUi(this);
    setObjectName(SECTION);
    // Only key 1 is tied to the pass phrase: editing it by hand drops the phrase, editing the others does
    // not.
    m_WEP = new TWEPEdits(
        this,
        {ui->CmbWEP,
         ui->CmbAuthen,
         ui->EdtPhrase,
         ui->CmbDefKey,
         ui->LbKey,
         {ui->EdtKey1, ui->EdtKey2, ui->EdtKey3, ui->EdtKey4}},
        {.Section = SECTION, .OffersNone = false, .OffersAutoAuth = true, .AllKeysDropPhrase = false});
}

TFrameWEP::~TFrameWEP() = default;

void TFrameWEP::InitPage()
{
    SkinEditorPage(this, SECTION, ui->ImgBG, {ui->LbWEP, ui->LbAuthen, ui->LbPhrase, ui->LbDefKey, ui->LbKey},
                   ui->BtnBack, ui->BtnNext, ui->BtnExit);
    SetTextColor(ui->LbWEPSet, SKIN_HEADER_TEXT);
    SetUpShowSwitch(ui->ChkShowChars, SECTION,
                    {ui->EdtPhrase, ui->EdtKey1, ui->EdtKey2, ui->EdtKey3, ui->EdtKey4});
    m_WEP->FillChoices();
    ClearPage();
    TPropertyPageFrame::InitPage();
}

void TFrameWEP::SetAdapter(CNICAdapter* adapter, int change, int flags)
{
    if (TrackStationAdapter(this, m_Adapter, adapter, change, flags) || change == acDetach)
        m_WEP->FillLevels(m_Adapter);
    TPropertyPageFrame::SetAdapter(adapter, change, flags);
}

bool TFrameWEP::EnterPage(TPropertyPageFrame* leftPage, int mode, int context)
{
    ui->ChkShowChars->setChecked(false);
    m_WEP->Load(m_Profile);
    return TPropertyPageFrame::EnterPage(leftPage, mode, context);
}

bool TFrameWEP::LeavePage(TPropertyPageFrame* nextPage, int mode, int context)
{
    if (mode != pmForward)
        return TPropertyPageFrame::LeavePage(nextPage, mode, context);
    int format = 0;
    if (!m_WEP->CheckTransmitKey(format))
        return false;
    // Without an allowed key length the profile goes without encryption.
    m_WEP->Store(m_Profile, format);
    return TPropertyPageFrame::LeavePage(nextPage, mode, context);
}

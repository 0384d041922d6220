#include "Ueditorpage.h"
#include "adaptercore/Corecodes.h"
#include "app/Udefine.h"
#include "controls/Fabitmapbtn.h"
#include "controls/Maskededit.h"
#include "engine/Unicadapter.h"
#include "ui/Propertypageframeunit.h"
#include "ui/Uformmsgbox.h"
#include "ui/Uformres.h"
#include "ui/Uwinutil.h"
#include "Upageskin.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>

namespace {

constexpr int EXIT_RIGHT_EDGE = 531;
constexpr int BUTTON_GAP = 8;
constexpr int MB_ICONEXCLAMATION = 48;
// Cipher words among the common texts.
constexpr size_t CT_WPA_TKIP = 48;
constexpr size_t CT_WPA_AES = 49;

void SkinButton(TFABitmapBtn* button, const QString& face)
{
    if (!FormRes)
        return;
    button->SetFaces(FormRes->Picture(face));
    button->SetFacesDown(FormRes->Picture(face));
    button->SetFacesOver(FormRes->Picture(face + QStringLiteral("On")));
    button->SetAutoShape(true);
}

// An attach in station mode, which the editor pages follow; they ignore the Soft AP mode.
bool IsStationAttach(const CNICAdapter* adapter, int change, int flags)
{
    return change == acAttach && adapter && (flags & 1) == 0;
}

} // namespace

void SetupEditorButtons(TFABitmapBtn* back, TFABitmapBtn* next, TFABitmapBtn* exit)
{
    SkinButton(exit, QStringLiteral("ImgBtnExit"));
    SkinButton(next, QStringLiteral("ImgBtnNext"));
    exit->move(EXIT_RIGHT_EDGE - exit->width(), exit->y());
    next->move(exit->x() - BUTTON_GAP - next->width(), next->y());
    if (!back)
        return;
    SkinButton(back, QStringLiteral("ImgBtnBack"));
    back->move(next->x() - BUTTON_GAP - back->width(), back->y());
}

std::vector<QLabel*> AddCaptionBullets(TPropertyPageFrame* page, std::initializer_list<QLabel*> captions)
{
    const QPixmap mark =
        FormRes ? QPixmap::fromImage(FormRes->Picture(QStringLiteral("ImgMark"))) : QPixmap();
    std::vector<QLabel*> bullets;
    for (QLabel* caption : captions) {
        bullets.push_back(page->AddBullet(caption, mark));
        SetTextColor(caption, SKIN_CAPTION_TEXT);
    }
    return bullets;
}

int SelectedValue(const QComboBox* combo, int none)
{
    return combo->currentIndex() >= 0 ? combo->currentData().toInt() : none;
}

bool SelectValueOrFirst(QComboBox* combo, int value)
{
    if (SelectComboByValue(combo, value))
        return true;
    combo->setCurrentIndex(combo->count() > 0 ? 0 : -1);
    return false;
}

void FillCipherCombo(QComboBox* combo, const CNICAdapter* adapter)
{
    combo->clear();
    if (!adapter)
        return;
    if (adapter->ReadSet(QStringLiteral("EnableTKIP"), true))
        combo->addItem(g_Var.CommonTexts[CT_WPA_TKIP], ToCode(TsrwlCipher::Tkip));
    if (adapter->ReadSet(QStringLiteral("EnableAES"), true))
        combo->addItem(g_Var.CommonTexts[CT_WPA_AES], ToCode(TsrwlCipher::Aes));
}

void ShowEditorMessage(QWidget* page, const QString& key, const QString& def)
{
    ShowEditorWarning(page, g_Var.GetLangText(QStringLiteral("Message"), key, def));
}

void ShowEditorWarning(QWidget* page, const QString& text)
{
    ShowMsgBox(page, text, MB_ICONEXCLAMATION);
}

bool TrackStationAdapter(TPropertyPageFrame* page, CNICAdapter*& slot, CNICAdapter* adapter, int change,
                         int flags)
{
    if (IsStationAttach(adapter, change, flags)) {
        slot = adapter;
        return true;
    }
    if (change == acDetach) {
        page->ClearPage();
        slot = nullptr;
    }
    return false;
}

std::vector<QLabel*> SkinEditorPage(TPropertyPageFrame* page, const QString& section, QLabel* background,
                                    std::initializer_list<QLabel*> captions, TFABitmapBtn* back,
                                    TFABitmapBtn* next, TFABitmapBtn* exit)
{
    page->LoadTexts(section);
    SetPageBackground(background, QStringLiteral("ImgFrProfSet"));
    std::vector<QLabel*> bullets = AddCaptionBullets(page, captions);
    SetupEditorButtons(back, next, exit);
    return bullets;
}

void SetUpShowSwitch(QCheckBox* show, const QString& section, std::initializer_list<TMaskedEdit*> edits)
{
    show->setText(
        g_Var.GetLangText(section, QStringLiteral("ChkShowChars"), QStringLiteral("Show characters")));
    SetTextColor(show, SKIN_CAPTION_TEXT);
    show->setChecked(false);
    const std::vector<TMaskedEdit*> secrets(edits);
    for (TMaskedEdit* edit : secrets)
        edit->SetRevealed(false);
    QObject::connect(show, &QCheckBox::toggled, show, [secrets](bool on) {
        for (TMaskedEdit* edit : secrets)
            edit->SetRevealed(on);
    });
}

#include "Uframeapfilter.h"
#include "Ueditorpage.h"
#include "Upageskin.h"
#include "Upagetools.h"
#include "app/Udebug.h"
#include "app/Udefine.h"
#include "engine/Unicadapter.h"
#include "ui/Uformres.h"
#include "ui/Ukeyboard.h"
#include "ui/Uwinutil.h"
#include "ui_Uframeapfilter.h"

#include <algorithm>
#include <cstring>
#include <optional>

namespace {

const QString SECTION = QStringLiteral("FrameAPFilter");
constexpr int CANCEL_BUTTON_RIGHT = 541;
constexpr int MODE_DISABLED = 0;
// The edits show their address in pairs; the separators are not part of the address.
const QChar SEPARATOR = QLatin1Char(':');
const QChar BLANK = QLatin1Char('_');
constexpr qsizetype ADDRESS_DIGITS = 2 * TSRWL_MAC_SIZE;
// Bit 0 of the first byte marks a group address: multicast, and broadcast among them.
constexpr uint8_t GROUP_BIT = 0x01;

using TFilterEntries = std::array<std::array<uint8_t, TSRWL_MAC_SIZE>, TSRWL_MAC_FILTER_COUNT>;

bool IsHexDigit(QChar c)
{
    return QStringLiteral("0123456789ABCDEFabcdef").contains(c);
}

// The first entry that holds a group (multicast or broadcast) address, which no station has.
std::optional<int> FirstGroupAddress(const TFilterEntries& entries)
{
    for (int n = 0; n < TSRWL_MAC_FILTER_COUNT; ++n)
        if (entries[size_t(n)][0] & GROUP_BIT)
            return n;
    return std::nullopt;
}

// The numbers of the address rows are named "Lb" and digits. Told apart by hand: the pattern engine would be
// loaded at start-up for this alone.
bool IsRowNumber(const QString& name)
{
    return name.size() > 2 && name.startsWith(QLatin1String("Lb")) &&
           std::all_of(name.begin() + 2, name.end(), [](QChar c) { return c.isDigit(); });
}

} // namespace

TFrameAPFilter::TFrameAPFilter(QWidget* parent)
    : TSoftAPPage(parent), ui(std::make_unique<Ui::FrameAPFilter>())
{
    ui->setupUi(this);
    setObjectName(SECTION);
    // The background picture covers the whole page: nothing needs erasing before it is drawn.
    setAttribute(Qt::WA_OpaquePaintEvent);
    m_Edits = {ui->Edt1, ui->Edt2,  ui->Edt3,  ui->Edt4,  ui->Edt5,  ui->Edt6,  ui->Edt7,  ui->Edt8,
               ui->Edt9, ui->Edt10, ui->Edt11, ui->Edt12, ui->Edt13, ui->Edt14, ui->Edt15, ui->Edt16};
    // The addresses stand in two numbered columns: Tab goes down the first, then down the second.
    for (qsizetype n = 0; n < m_Edits.size(); ++n)
        m_Edits[n]->setProperty(TAB_BLOCK, n < m_Edits.size() / 2 ? "Addresses1" : "Addresses2");
    connect(ui->CmbType, &QComboBox::activated, this, &TFrameAPFilter::CmbTypeSelect);
    connect(ui->Edt1, &QLineEdit::textChanged, this, &TFrameAPFilter::Edt1Change);
    connect(ui->BtnSave, &QPushButton::clicked, this, &TFrameAPFilter::BtnSaveClick);
    connect(ui->BtnCancel, &QPushButton::clicked, this, &TFrameAPFilter::BtnCancelClick);
}

TFrameAPFilter::~TFrameAPFilter() = default;

void TFrameAPFilter::InitPage()
{
    LoadTexts(SECTION);
    // The captions beside the edits are bare numbers.
    const QString name =
        g_Var.GetLangText(SECTION, QStringLiteral("MacAddressN"), QStringLiteral("MAC address %1"));
    for (qsizetype n = 0; n < m_Edits.size(); ++n)
        SetOwnAccessibleName(m_Edits[n], QString(name).replace(QStringLiteral("%1"), QString::number(n + 1)));
    SetPageBackground(ui->ImgBG, QStringLiteral("ImgFrAPFilter"));
    SetButtonRow({{ui->BtnCancel, "ImgBtnCancel"}, {ui->BtnSave, "ImgBtnSave"}}, CANCEL_BUTTON_RIGHT);
    AddCaptionBullets(this, {ui->LbType, ui->LbAddr});
    SetTextColor(ui->LbFilter, SKIN_HEADER_TEXT);
    for (QLabel* caption : {ui->LbType, ui->LbAddr})
        SetTextColor(caption, SKIN_CAPTION_TEXT);
    for (QLabel* label : findChildren<QLabel*>())
        if (IsRowNumber(label->objectName()))
            SetTextColor(label, SKIN_CAPTION_TEXT);
    ui->CmbType->clear();
    for (const auto& [value, key] : {std::pair{0, "Disable"}, std::pair{1, "Accept"}, std::pair{2, "Reject"}})
        ui->CmbType->addItem(g_Var.GetLangText(SECTION, QLatin1String(key), QLatin1String(key)), value);
    ClearPage();
    TSoftAPPage::InitPage();
}

void TFrameAPFilter::ClearPage()
{
    TSoftAPPage::ClearPage();
    ui->CmbType->setCurrentIndex(-1);
    CmbTypeSelect();
    ui->CmbType->setEnabled(false);
    for (QLineEdit* edit : m_Edits)
        edit->clear();
    ui->BtnSave->setEnabled(false);
    ui->BtnCancel->setEnabled(false);
}

void TFrameAPFilter::EnableControls()
{
    ui->CmbType->setEnabled(true);
    ui->BtnSave->setEnabled(true);
    ui->BtnCancel->setEnabled(true);
}

void TFrameAPFilter::LoadAPFilter()
{
    const WLProfile& profile = APProfile();
    if (!SelectComboByValue(ui->CmbType, profile.APMacFilterMode))
        ui->CmbType->setCurrentIndex(0);
    CmbTypeSelect();
    for (int n = 0; n < TSRWL_MAC_FILTER_COUNT; ++n) {
        const uint8_t* mac = profile.APMacFilter[n];
        m_Edits[n]->setText(
            QString::asprintf("%02X%02X%02X%02X%02X%02X", mac[0], mac[1], mac[2], mac[3], mac[4], mac[5]));
    }
}

void TFrameAPFilter::CmbTypeSelect()
{
    const int mode = ui->CmbType->currentIndex() < 0 ? MODE_DISABLED : ui->CmbType->currentData().toInt();
    for (QLineEdit* edit : m_Edits)
        edit->setEnabled(mode != MODE_DISABLED);
}

void TFrameAPFilter::Edt1Change()
{
    // The shown text keeps its separators and empty places; only typed characters that are no hexadecimal
    // digit become "0".
    const QString shown = ui->Edt1->displayText();
    QString corrected = shown;
    for (QChar& c : corrected)
        if (c != SEPARATOR && c != BLANK && !IsHexDigit(c))
            c = QLatin1Char('0');
    if (corrected == shown)
        return;
    const int caret = ui->Edt1->cursorPosition();
    ui->Edt1->setText(corrected);
    ui->Edt1->setCursorPosition(caret);
}

std::array<uint8_t, TSRWL_MAC_SIZE> TFrameAPFilter::EditAddress(const QString& displayText)
{
    QString digits = displayText;
    digits.remove(SEPARATOR);
    digits = digits.left(ADDRESS_DIGITS).leftJustified(ADDRESS_DIGITS, QChar());
    for (QChar& c : digits)
        if (!IsHexDigit(c))
            c = QLatin1Char('0');
    std::array<uint8_t, TSRWL_MAC_SIZE> mac{};
    for (int i = 0; i < TSRWL_MAC_SIZE; ++i)
        mac[size_t(i)] = uint8_t(digits.mid(2 * i, 2).toUInt(nullptr, 16));
    return mac;
}

void TFrameAPFilter::BtnSaveClick()
{
    if (!m_Adapter)
        return;
    TFilterEntries entries{};
    for (int n = 0; n < TSRWL_MAC_FILTER_COUNT; ++n)
        entries[size_t(n)] = EditAddress(m_Edits[n]->displayText());
    // A group address would filter no station at all: the user meant another address.
    if (const std::optional<int> group = FirstGroupAddress(entries)) {
        ShowPageMessage(
            this, "ErAPMacGroup",
            "Filter entry %s is a multicast or broadcast address, which no station has. Please enter "
            "the MAC address of the station.",
            PM_WARNING, QString::number(*group + 1));
        try {
            m_Edits[*group]->setFocus();
        } catch (const std::exception& e) {
            DebugPrint("Exception(TFrameAPFilter::BtnSaveClick): %s", e.what());
        }
        return;
    }
    WLProfile& profile = APProfile();
    profile.APMacFilterMode =
        ui->CmbType->currentIndex() < 0 ? MODE_DISABLED : ui->CmbType->currentData().toInt();
    for (int n = 0; n < TSRWL_MAC_FILTER_COUNT; ++n)
        std::memcpy(profile.APMacFilter[n], entries[size_t(n)].data(), TSRWL_MAC_SIZE);
    SaveAndApply();
}

void TFrameAPFilter::BtnCancelClick()
{
    LoadAPFilter();
}

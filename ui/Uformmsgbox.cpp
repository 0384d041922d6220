#include "Uformmsgbox.h"
#include "Uformres.h"
#include "Uwinutil.h"
#include "app/Udefine.h"
#include "app/Uutility.h"
#include "ui_Uformmsgbox.h"

#include <QKeyEvent>
#include <QPainter>
#include <QScreen>
#include <QStyle>
#include <algorithm>
#include <optional>
#include <utility>

namespace {

// Room around the text and between the text and the buttons.
constexpr int MARGIN = 16;
constexpr int BUTTON_GAP = 8;
// The text area is never narrower or lower than this.
constexpr int MIN_TEXT_WIDTH = 160;
constexpr int MIN_TEXT_HEIGHT = 33;
// Space between the icon and the text.
constexpr int ICON_GAP = 12;
// A message line is measured with this appended, so that it never touches the box's edge.
const QString LINE_PAD = QStringLiteral("    ");

// Style fields: buttons in the low four bits, icon in the next four.
constexpr int STYLE_BUTTONS = 0x0F;
constexpr int STYLE_ICON = 0xF0;
constexpr int BUTTONS_OK_CANCEL = 1;
constexpr int BUTTONS_YES_NO = 4;
// The second button (Cancel, No) is the default one.
constexpr int DEFAULT_SECOND = 0x100;

// The skin's colours: text in the navy of the headers, the buttons on the pale page tone.
const QColor TEXT_COLOR(0x15, 0x30, 0x4c);
const QColor FOOTER_COLOR(0xf6, 0xf9, 0xfc);
const QColor FOOTER_LINE(0xdc, 0xe5, 0xee);

const QString BTN_SECTION = QStringLiteral("BtnCaption");

int g_NextAnswer = mrNone;
TFormMsgBox::TShownMessage g_LastShown;

// The standard icon the style asks for, if any.
std::optional<QStyle::StandardPixmap> IconOfStyle(int style)
{
    switch (style & STYLE_ICON) {
    case 0x10:
        return QStyle::SP_MessageBoxCritical;
    case 0x20:
        return QStyle::SP_MessageBoxQuestion;
    case 0x30:
        return QStyle::SP_MessageBoxWarning;
    case 0x40:
        return QStyle::SP_MessageBoxInformation;
    default:
        return std::nullopt;
    }
}

QImage SkinPicture(const char* name)
{
    return FormRes ? FormRes->Picture(QLatin1String(name)) : QImage();
}

void SkinButton(TTrifaceBtn* button)
{
    const QImage face = SkinPicture("ImgBtnBlank");
    button->SetFaces(face);
    button->SetFacesDown(face);
    button->SetFacesOver(SkinPicture("ImgBtnBlankOn"));
    button->SetAutoShape(true);
    QFont font = button->font();
    font.setBold(true);
    button->setFont(font);
    QPalette pal = button->palette();
    pal.setColor(QPalette::ButtonText, face.isNull() ? TEXT_COLOR : QColor(Qt::white));
    button->setPalette(pal);
}

} // namespace

// A title and a close button only: the window manager would otherwise offer to minimise and maximise a box
// of fixed size.
TFormMsgBox::TFormMsgBox(QWidget* parent)
    : TFormBase(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint |
                            Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      ui(std::make_unique<Ui::FormMsgBox>())
{
    ui->setupUi(this);
    QPalette pal = ui->LbMsg->palette();
    pal.setColor(QPalette::WindowText, TEXT_COLOR);
    ui->LbMsg->setPalette(pal);
    SkinButton(ui->BtnOk);
    SkinButton(ui->BtnCancel);
    connect(ui->BtnOk, &QPushButton::clicked, this, [this] { SetModalResult(m_OkResult); });
    connect(ui->BtnCancel, &QPushButton::clicked, this, [this] { SetModalResult(m_CancelResult); });
}

TFormMsgBox::~TFormMsgBox() = default;

int TFormMsgBox::RunMsgBox(QWidget* owner, const QString& text, int style)
{
    setWindowTitle(g_Var.MsgTitle);
    FitMessage(text);
    ArrangeButtons(style);
    CenterOnForm(this, owner);
    if (g_NextAnswer != mrNone) {
        const int answer = std::exchange(g_NextAnswer, int(mrNone));
        g_LastShown.Text = ui->LbMsg->text();
        g_LastShown.Style = style;
        g_LastShown.Geometry = geometry();
        ++g_LastShown.Count;
        return answer;
    }
    (ui->BtnCancel->isDefault() ? ui->BtnCancel : ui->BtnOk)->setFocus();
    const int result = ShowModal();
    // Whatever the click left queued (repaints of the form below, the button's release) runs before the
    // caller goes on, as it would have after a native message box.
    QCoreApplication::processEvents();
    return result;
}

void TFormMsgBox::FitMessage(const QString& text)
{
    QString shown = text;
    UnescapeNewlines(shown);
    QStringList lines = shown.split(QLatin1Char('\n'));
    if (lines.size() > 1 && lines.last().isEmpty())
        lines.removeLast();
    const QString longest = *std::max_element(
        lines.begin(), lines.end(), [](const QString& a, const QString& b) { return a.size() < b.size(); });
    const QFontMetrics fm(ui->LbMsg->font());
    int width = std::max(fm.horizontalAdvance(longest + LINE_PAD), MIN_TEXT_WIDTH);
    qsizetype lineCount = lines.size();
    // One long line would make the box wider than the screen; such a text wraps at two thirds of it instead.
    const QScreen* screen = QGuiApplication::primaryScreen();
    const int maxWidth = std::max(MIN_TEXT_WIDTH, screen ? screen->availableGeometry().width() * 2 / 3 : 640);
    if (width > maxWidth) {
        width = maxWidth;
        const QRect wrapped =
            fm.boundingRect(QRect(0, 0, width, 1 << 20), Qt::TextWordWrap, lines.join('\n'));
        lineCount = (wrapped.height() + fm.lineSpacing() - 1) / fm.lineSpacing();
    }
    const int height = std::max(int(fm.lineSpacing() * (lineCount + 1)), MIN_TEXT_HEIGHT);
    ui->LbMsg->setText(shown);
    ui->LbMsg->resize(width, height);
}

void TFormMsgBox::ArrangeButtons(int style)
{
    QLabel* msg = ui->LbMsg;
    const std::optional<QStyle::StandardPixmap> icon = IconOfStyle(style);
    const bool hasIcon = icon.has_value();
    ui->ImgIcon->setVisible(hasIcon);
    if (hasIcon) {
        const int size = ui->ImgIcon->width();
        ui->ImgIcon->setPixmap(this->style()->standardIcon(*icon, nullptr, this).pixmap(size - 2, size - 2));
        ui->ImgIcon->move(MARGIN, msg->y() + (msg->height() - ui->ImgIcon->height()) / 2);
    }
    // Without an icon the text takes its place, so the box is not lopsided.
    msg->move(hasIcon ? MARGIN + ui->ImgIcon->width() + ICON_GAP : MARGIN, msg->y());

    const int top = msg->y() + msg->height() + BUTTON_GAP;
    const int width = msg->x() + msg->width() + MARGIN;
    const int height = top + ui->BtnOk->height() + MARGIN;
    setFixedSize(width, height);

    const int buttons = style & STYLE_BUTTONS;
    const bool two = buttons == BUTTONS_OK_CANCEL || buttons == BUTTONS_YES_NO;
    const bool yesNo = buttons == BUTTONS_YES_NO;
    ui->BtnOk->setText(yesNo ? g_Var.GetLangText(BTN_SECTION, QStringLiteral("BtnYes"), QStringLiteral("Yes"))
                             : g_Var.GetLangText(BTN_SECTION, QStringLiteral("BtnOk"), QStringLiteral("Ok")));
    ui->BtnCancel->setText(
        yesNo ? g_Var.GetLangText(BTN_SECTION, QStringLiteral("BtnNo"), QStringLiteral("No"))
              : g_Var.GetLangText(BTN_SECTION, QStringLiteral("BtnCancel"), QStringLiteral("Cancel")));
    m_OkResult = yesNo ? mrYes : mrOk;
    m_CancelResult = yesNo ? mrNo : mrCancel;
    ui->BtnCancel->setVisible(two);
    if (two) {
        ui->BtnOk->move(width / 2 - MARGIN - ui->BtnOk->width(), top);
        ui->BtnCancel->move(width / 2 + MARGIN, top);
    } else {
        ui->BtnOk->move((width - ui->BtnOk->width()) / 2, top);
    }
    TTrifaceBtn* byDefault = two && (style & DEFAULT_SECOND) ? ui->BtnCancel : ui->BtnOk;
    ui->BtnOk->setDefault(byDefault == ui->BtnOk);
    ui->BtnCancel->setDefault(byDefault == ui->BtnCancel);
}

void TFormMsgBox::SetNextAnswer(int result)
{
    g_NextAnswer = result;
}

const TFormMsgBox::TShownMessage& TFormMsgBox::LastShown()
{
    return g_LastShown;
}

void TFormMsgBox::keyPressEvent(QKeyEvent* e)
{
    if (e->key() == Qt::Key_Escape && e->modifiers() == Qt::NoModifier) {
        close();
        return;
    }
    // Enter answers with the default button, as in any dialog.
    if ((e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) && e->modifiers() == Qt::NoModifier) {
        auto* focused = qobject_cast<QPushButton*>(focusWidget());
        QPushButton* byDefault = ui->BtnCancel->isDefault() ? ui->BtnCancel : ui->BtnOk;
        (focused && focused->isVisible() ? focused : byDefault)->click();
        return;
    }
    TFormBase::keyPressEvent(e);
}

void TFormMsgBox::paintEvent(QPaintEvent*)
{
    // White message area over a pale button strip, the skin's dialog look.
    QPainter painter(this);
    const int strip = ui->BtnOk->y() - BUTTON_GAP;
    painter.fillRect(0, 0, width(), strip, Qt::white);
    painter.fillRect(0, strip, width(), height() - strip, FOOTER_COLOR);
    painter.setPen(FOOTER_LINE);
    painter.drawLine(0, strip, width(), strip);
}

int ShowMsgBox(QWidget* anyControl, const QString& text, int style)
{
    TFormMsgBox box;
    return box.RunMsgBox(anyControl ? anyControl->window() : nullptr, text, style);
}

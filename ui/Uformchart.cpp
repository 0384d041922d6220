#include "Uformchart.h"
#include "Ukeyboard.h"
#include "Propertypageframeunit.h"
#include "Uformres.h"
#include "Uwinutil.h"
#include "app/Udefine.h"
#include "engine/Unicadapter.h"
#include "ui/pages/Ulinktexts.h"
#include "ui_Uformchart.h"

#include <QMouseEvent>
#include <QPainter>
#include <cmath>

TFormChart* FormChartSlot = nullptr;

namespace {

// The pictures sit 2 pixels inside their box's sunken frame.
constexpr int FRAME_WIDTH = 2;
// Grid lines lie at a quarter, half and three quarters of the height: 10, 100 and 1000 Kbps.
constexpr int DECADES = 4;
constexpr int PIXELS_PER_SECOND = 2;
// Gap between a caption's text and the edit after it, and between the edit and its unit.
constexpr int EDIT_GAP = 2;
constexpr int UNIT_GAP = 4;

const QColor GRID_BACKGROUND(0x00, 0x41, 0x01);
const QColor GRID_LINE(0xC8, 0xFD, 0xC5);
const QColor FRAME_OUTER_DARK(0xAD, 0xA9, 0x9D);
const QColor FRAME_INNER_DARK(0x74, 0x6E, 0x62);
const QColor FRAME_INNER_LIGHT(0xF7, 0xF0, 0xE8);

} // namespace

TFormChart::TFormChart(QWidget* parent)
    : TFormBase(parent, Qt::Dialog | Qt::FramelessWindowHint), ui(std::make_unique<Ui::FormChart>())
{
    ui->setupUi(this);
    FormCreate();
}

TFormChart::~TFormChart() = default;

void TFormChart::FormCreate()
{
    LoadLayout(this, objectName());
    LoadTexts(QStringLiteral("FormChart"));
    setWindowTitle(g_Var.AppTitle);
    setFixedSize(size());
    ui->LbTxKbps->setText(CommonText(LT_KBPS));
    ui->LbRxKbps->setText(CommonText(LT_KBPS));
    SetTextColor(ui->LbDataRate, SKIN_HEADER_TEXT);
    if (FormRes) {
        ui->ImgBG->setPixmap(QPixmap::fromImage(FormRes->Picture(QStringLiteral("ImgChartBG"))));
        ui->BtnClose->SetFaces(FormRes->Picture(QStringLiteral("ImgBtnCloseN")));
        ui->BtnClose->SetFacesDown(FormRes->Picture(QStringLiteral("ImgBtnCloseH")));
        ui->BtnClose->SetFacesOver(FormRes->Picture(QStringLiteral("ImgBtnCloseH")));
        ui->BtnClose->SetAutoShape(true);
        const QPixmap bullet = QPixmap::fromImage(FormRes->Picture(QStringLiteral("ImgMark")));
        AddBullet(ui->LbTx, bullet);
        AddBullet(ui->LbRx, bullet);
    }
    connect(ui->BtnClose, &QPushButton::clicked, this, [this] { SetModalResult(mrOk); });
    ui->ImgBG->installEventFilter(this);

    for (auto [caption, edit, unit] :
         {std::tuple{ui->LbTx, ui->EdtTx, ui->LbTxKbps}, std::tuple{ui->LbRx, ui->EdtRx, ui->LbRxKbps}}) {
        edit->move(caption->x() + MeasureLabelText(caption) + EDIT_GAP, edit->y());
        unit->move(edit->geometry().right() + 1 + UNIT_GAP, unit->y());
        // The edit now lies over its caption's empty end: named here, with its unit.
        SetOwnAccessibleName(edit, QStringLiteral("%1 (%2)").arg(caption->text(), unit->text()));
        caption->setBuddy(edit);
    }

    const QSize picture = ui->PBoxTx->size() - QSize(2 * FRAME_WIDTH, 2 * FRAME_WIDTH);
    m_Grid = QImage(picture, QImage::Format_RGB32);
    DrawGrid(m_Grid);
    m_TxPicture = m_Grid;
    m_RxPicture = m_Grid;
    ui->PBoxTx->OnPaint = [this](TPaintPanel* box) { PaintBox(box, m_TxPicture); };
    ui->PBoxRx->OnPaint = [this](TPaintPanel* box) { PaintBox(box, m_RxPicture); };
    ResetChart();
}

int TFormChart::ShowChart(QWidget* owner, CNICAdapter* adapter)
{
    m_Adapter = adapter;
    CenterOnForm(this, owner);
    return ShowModal();
}

void TFormChart::ChartSetAdapter(CNICAdapter* adapter, int change, int flags)
{
    if (change == acAttach && adapter && !(flags & 1)) {
        m_Adapter = adapter;
    } else if (change == acDetach) {
        ResetChart();
        m_Adapter = nullptr;
    }
}

void TFormChart::ChartAdapterEvent(CNICAdapter*, int code, int value)
{
    if (!m_Adapter)
        return;
    if (code == NM_STATUS)
        AddSample();
    else if (code == NM_APPLYING && !(value & 1))
        ResetChart();
}

void TFormChart::ResetChart()
{
    ui->EdtTx->setText(QStringLiteral("0"));
    ui->EdtRx->setText(QStringLiteral("0"));
    m_PrevTick = 0;
    m_FirstSample = true;
    m_TxSamples.clear();
    m_RxSamples.clear();
    m_TxPicture = m_Grid;
    m_RxPicture = m_Grid;
    ui->PBoxTx->update();
    ui->PBoxRx->update();
}

void TFormChart::AddSample()
{
    if (!m_Adapter)
        return;
    WLANStatus status{};
    m_Adapter->GetStatus(status);
    const uint32_t now = TickCount();
    const uint32_t elapsed = m_PrevTick ? now - m_PrevTick : 0;
    m_PrevTick = now;
    double tx = 0;
    double rx = 0;
    if (status.MediaState != 0) {
        ui->EdtTx->setText(QStringLiteral("0"));
        ui->EdtRx->setText(QStringLiteral("0"));
    } else {
        if (m_FirstSample) {
            m_FirstSample = false;
        } else {
            tx = ThroughputKbps(m_PrevTx, status.TxBytes, elapsed);
            rx = ThroughputKbps(m_PrevRx, status.RxBytes, elapsed);
            ui->EdtTx->setText(QString::asprintf("%.0f", tx));
            ui->EdtRx->setText(QString::asprintf("%.0f", rx));
        }
        m_PrevTx = status.TxBytes;
        m_PrevRx = status.RxBytes;
    }
    AddRates(elapsed, tx, rx);
}

void TFormChart::AddRates(uint32_t elapsedMs, double txKbps, double rxKbps)
{
    PushSample(m_TxSamples, elapsedMs, txKbps, m_Grid.size());
    PushSample(m_RxSamples, elapsedMs, rxKbps, m_Grid.size());
    DrawCurve(m_TxPicture, m_Grid, m_TxSamples);
    DrawCurve(m_RxPicture, m_Grid, m_RxSamples);
    ui->PBoxTx->update();
    ui->PBoxRx->update();
}

int TFormChart::RateHeight(double kbps, int height)
{
    const int quarter = height / DECADES;
    int y = kbps > 0 ? int(std::trunc(std::log10(kbps) * quarter)) : 1;
    if (y > height)
        y = height;
    if (y == 0)
        y = 1;
    return y;
}

void TFormChart::PushSample(TSampleList& list, uint32_t elapsedMs, double kbps, const QSize& picture)
{
    if (elapsedMs == 0)
        return;
    if (list.size() > size_t(picture.width()))
        list.pop_front();
    list.push_back({int32_t(elapsedMs / 1000), RateHeight(kbps, picture.height())});
}

void TFormChart::DrawGrid(QImage& picture)
{
    picture.fill(GRID_BACKGROUND);
    QPainter p(&picture);
    p.setPen(QPen(GRID_LINE, 1, Qt::DotLine));
    const int quarter = picture.height() / DECADES;
    for (int i = 1; i < DECADES; ++i)
        p.drawLine(0, quarter * i, picture.width() - 1, quarter * i);
}

void TFormChart::DrawCurve(QImage& picture, const QImage& grid, const TSampleList& list)
{
    if (list.empty())
        return;
    QPolygon points;
    int x = picture.width() - 1;
    for (auto it = list.rbegin(); it != list.rend(); ++it) {
        points << QPoint(x, picture.height() - it->Height);
        if (x < 0)
            break;
        x -= PIXELS_PER_SECOND * it->Seconds;
    }
    picture = grid;
    QPainter p(&picture);
    p.setPen(QPen(Qt::white, 1, Qt::SolidLine));
    p.drawPolyline(points);
}

void TFormChart::PaintBox(TPaintPanel* box, const QImage& picture)
{
    QPainter p(box);
    const int w = box->width();
    const int h = box->height();
    // A sunken frame: dark along the left and top, light along the right and bottom.
    p.setPen(FRAME_OUTER_DARK);
    p.drawPolyline(QPolygon({QPoint(0, h - 1), QPoint(0, 0), QPoint(w - 1, 0)}));
    p.setPen(Qt::white);
    p.drawPolyline(QPolygon({QPoint(w - 1, 0), QPoint(w - 1, h - 1), QPoint(0, h - 1)}));
    p.setPen(FRAME_INNER_DARK);
    p.drawPolyline(QPolygon({QPoint(1, h - 2), QPoint(1, 1), QPoint(w - 2, 1)}));
    p.setPen(FRAME_INNER_LIGHT);
    p.drawPolyline(QPolygon({QPoint(w - 2, 1), QPoint(w - 2, h - 2), QPoint(1, h - 2)}));
    p.drawImage((w - picture.width()) / 2, (h - picture.height()) / 2, picture);
}

bool TFormChart::eventFilter(QObject* watched, QEvent* e)
{
    if (watched == ui->ImgBG && (e->type() == QEvent::MouseButtonPress || e->type() == QEvent::MouseMove)) {
        DragWindow(this, static_cast<QMouseEvent*>(e), m_DragOffset);
        return true;
    }
    return TFormBase::eventFilter(watched, e);
}

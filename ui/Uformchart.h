#pragma once

#include "Uformbase.h"

#include <QImage>
#include <QPoint>
#include <deque>
#include <memory>

class CNICAdapter;
class TPaintPanel;

namespace Ui {
class FormChart;
}

// One point of a curve: seconds since the previous point and the height in pixels.
struct TChartSample {
    int32_t Seconds;
    int32_t Height;
};
using TSampleList = std::deque<TChartSample>;

// The throughput chart: the current transmit and receive rates and their curves on a logarithmic scale from
// 1 to 10000 Kbps. Every status report of the adapter adds a point; there is no timer.
class TFormChart : public TFormBase {
    Q_OBJECT
public:
    explicit TFormChart(QWidget* parent = nullptr);
    QAccessible::Role WindowRole() const override { return QAccessible::Dialog; }
    ~TFormChart() override;

    // Centres the window on `owner` (the screen while that is hidden) and shows it modally for `adapter`.
    int ShowChart(QWidget* owner, CNICAdapter* adapter);
    void ChartSetAdapter(CNICAdapter* adapter, int change, int flags);
    void ChartAdapterEvent(CNICAdapter* adapter, int code, int value);

    void ResetChart();
    void AddSample();
    // Adds a point of `rate` Kbps `elapsedMs` after the previous one to both curves and redraws them.
    void AddRates(uint32_t elapsedMs, double txKbps, double rxKbps);

    // Height of a rate on the logarithmic scale of a picture `height` pixels high.
    static int RateHeight(double kbps, int height);
    // Appends a point, dropping the oldest once the list holds more points than the picture is wide.
    static void PushSample(TSampleList& list, uint32_t elapsedMs, double kbps, const QSize& picture);
    static void DrawGrid(QImage& picture);
    // Copies `grid` into `picture` and joins the points, newest at the right edge, 2 pixels per second apart.
    static void DrawCurve(QImage& picture, const QImage& grid, const TSampleList& list);

    const TSampleList& TxSamples() const { return m_TxSamples; }
    const TSampleList& RxSamples() const { return m_RxSamples; }
    const QImage& TxPicture() const { return m_TxPicture; }

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void FormCreate();
    void PaintBox(TPaintPanel* box, const QImage& picture);

    std::unique_ptr<Ui::FormChart> ui;
    CNICAdapter* m_Adapter = nullptr;
    bool m_FirstSample = true;
    uint64_t m_PrevRx = 0;
    uint64_t m_PrevTx = 0;
    uint32_t m_PrevTick = 0;
    QImage m_Grid;
    QImage m_TxPicture;
    QImage m_RxPicture;
    TSampleList m_TxSamples;
    TSampleList m_RxSamples;
    QPoint m_DragOffset;
};

// The open chart window; only one exists at a time. GUI thread only.
extern TFormChart* FormChartSlot;

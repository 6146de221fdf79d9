#pragma once
// The frame drawn over the edge of a chart: an outer and an inner bevel and a one-pixel border
// inside them. It lies on a layer above everything else, so that images of the chart have it too.

#include <qcustomplot.h>

namespace chart {

enum class TPanelBevel;

class ChartFrame : public QCPLayerable
{
    Q_OBJECT
public:
    explicit ChartFrame(QCustomPlot *plot);

    TPanelBevel inner = {};
    TPanelBevel outer = {};
    int bevelWidth = 1;
    bool border = false;

    /// Pixels the frame takes from each edge of the chart.
    int thickness() const;

protected:
    void applyDefaultAntialiasingHint(QCPPainter *painter) const override { painter->setAntialiasing(false); }
    void draw(QCPPainter *painter) override;
};

} // namespace chart

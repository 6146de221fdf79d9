#include "ChartFrame.h"

#include "Chart.h"

namespace chart {

namespace {

// One bevel of width pixels just inside rect; answers the rectangle inside it.
QRect drawBevel(QCPPainter *painter, QRect rect, TPanelBevel bevel, int width)
{
    if (bevel == TPanelBevel::bvNone)
        return rect;
    const QColor light(Qt::white), dark(Qt::darkGray);
    const QColor topLeft = bevel == TPanelBevel::bvRaised ? light : dark;
    const QColor bottomRight = bevel == TPanelBevel::bvRaised ? dark : light;
    for (int i = 0; i < width && rect.width() > 1 && rect.height() > 1; ++i) {
        painter->setPen(QPen(topLeft, 0));
        painter->drawLine(rect.topLeft(), rect.topRight());
        painter->drawLine(rect.topLeft(), rect.bottomLeft());
        painter->setPen(QPen(bottomRight, 0));
        painter->drawLine(rect.bottomLeft(), rect.bottomRight());
        painter->drawLine(rect.topRight(), rect.bottomRight());
        rect.adjust(1, 1, -1, -1);
    }
    return rect;
}

} // namespace

ChartFrame::ChartFrame(QCustomPlot *plot) : QCPLayerable(plot)
{
    plot->addLayer(QStringLiteral("frame"));
    setLayer(QStringLiteral("frame"));
}

int ChartFrame::thickness() const
{
    const int bevels = (outer != TPanelBevel::bvNone ? bevelWidth : 0) + (inner != TPanelBevel::bvNone ? bevelWidth : 0);
    return bevels + (border ? 1 : 0);
}

void ChartFrame::draw(QCPPainter *painter)
{
    QRect rect = mParentPlot->viewport().adjusted(0, 0, -1, -1);
    rect = drawBevel(painter, rect, outer, bevelWidth);
    rect = drawBevel(painter, rect, inner, bevelWidth);
    if (border) {
        painter->setPen(QPen(Qt::black, 0));
        painter->setBrush(Qt::NoBrush);
        painter->drawRect(rect);
    }
}

} // namespace chart

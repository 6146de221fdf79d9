#pragma once
// The data series the main chart draws: black points shown as 8 x 1 pixel dashes.

#include "platform/chart/Chart.h"

inline chart::TPointSeries *newDashSeries(QObject *owner)
{
    auto *series = new chart::TPointSeries(owner);
    series->SetSeriesColor(Qt::black);
    chart::TSeriesPointer pointer;
    pointer.HorizSize = 8;
    pointer.VertSize = 1;
    series->SetPointer(pointer);
    return series;
}

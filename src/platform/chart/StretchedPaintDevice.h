#pragma once
// A paint device of a given size at 96 pixels per inch, like the screen, whose drawing lands on
// another painter stretched into a rectangle there. Shapes and text stay vectors; text keeps its
// size relative to the drawing whatever the resolution of the other painter's device (a printer
// at 1200 dpi), which a painter opened directly on that device would not do.

#include <QPaintDevice>
#include <QRectF>
#include <QSize>

#include <memory>
#include <optional>

class QPainter;

namespace chart {

class StretchEngine;

class StretchedPaintDevice : public QPaintDevice
{
public:
    /// Draws onto `target`, which must be active and outlive this device, stretching the device's
    /// `size` pixels (at least 1 x 1) into `into` (in the target's logical coordinates). The target's
    /// state is saved when a painter begins here and restored when it ends.
    StretchedPaintDevice(QPainter &target, QSize size, const QRectF &into);
    ~StretchedPaintDevice() override;

    QSize size() const { return m_size; }
    QPaintEngine *paintEngine() const override;

    /// The metrics of a device of `size` pixels at 96 pixels per inch; none for the metrics that
    /// QPaintDevice answers itself.
    static std::optional<int> screenMetric(PaintDeviceMetric metric, QSize size);

protected:
    int metric(PaintDeviceMetric metric) const override;

private:
    QSize m_size;
    std::unique_ptr<StretchEngine> m_engine;
};

} // namespace chart

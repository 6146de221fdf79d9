#pragma once
// A paint device that records what a QPainter draws on it as a Windows metafile (WMF, with the
// placeable header) or an enhanced metafile (EMF): pens, brushes, fonts, lines, polylines,
// polygons, rectangles, ellipses and text, one logical unit per pixel at 96 pixels per inch.
// Pictures (pixmaps, images) are left out; colours are written without their transparency.

#include <QByteArray>
#include <QPaintDevice>
#include <QSize>

#include <memory>

namespace chart {

enum class MetafileFormat { Wmf, Emf };

namespace metafile {
class MetafilePaintEngine;
}

class MetafileWriter : public QPaintDevice
{
public:
    /// A picture of size pixels (at least 1 x 1) in the given format.
    MetafileWriter(MetafileFormat format, QSize size);
    ~MetafileWriter() override;

    MetafileFormat format() const { return m_format; }
    QSize size() const { return m_size; }
    /// The whole file; complete once the painter on this device has ended, empty before.
    QByteArray data() const;

    QPaintEngine *paintEngine() const override;

protected:
    int metric(PaintDeviceMetric metric) const override;

private:
    MetafileFormat m_format;
    QSize m_size;
    std::unique_ptr<metafile::MetafilePaintEngine> m_engine;
};

} // namespace chart

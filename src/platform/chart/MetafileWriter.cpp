#include "MetafileWriter.h"

#include "MetafilePaintEngine.h"
#include "StretchedPaintDevice.h"

namespace chart {

MetafileWriter::MetafileWriter(MetafileFormat format, QSize size)
    : m_format(format), m_size(size.expandedTo(QSize(1, 1))),
      m_engine(std::make_unique<metafile::MetafilePaintEngine>(format, m_size))
{
}

MetafileWriter::~MetafileWriter() = default;

QByteArray MetafileWriter::data() const { return m_engine->isActive() ? QByteArray() : m_engine->data(); }

QPaintEngine *MetafileWriter::paintEngine() const { return m_engine.get(); }

int MetafileWriter::metric(PaintDeviceMetric metric) const
{
    const std::optional<int> known = StretchedPaintDevice::screenMetric(metric, m_size);
    return known ? *known : QPaintDevice::metric(metric);
}

} // namespace chart

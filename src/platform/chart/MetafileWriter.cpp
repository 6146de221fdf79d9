#include "MetafileWriter.h"

#include "MetafilePaintEngine.h"

#include <climits>

namespace chart {

namespace {
constexpr int kDpi = 96;
}

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
    switch (metric) {
    case PdmWidth: return m_size.width();
    case PdmHeight: return m_size.height();
    case PdmWidthMM: return qRound(m_size.width() * 25.4 / kDpi);
    case PdmHeightMM: return qRound(m_size.height() * 25.4 / kDpi);
    case PdmNumColors: return INT_MAX;
    case PdmDepth: return 32;
    case PdmDpiX:
    case PdmDpiY:
    case PdmPhysicalDpiX:
    case PdmPhysicalDpiY: return kDpi;
    case PdmDevicePixelRatio: return 1;
    case PdmDevicePixelRatioScaled: return int(QPaintDevice::devicePixelRatioFScale());
    default: return QPaintDevice::metric(metric);
    }
}

} // namespace chart

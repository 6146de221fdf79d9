#include "ChartAxis.h"

#include "Chart.h"

#include <qcustomplot.h>

namespace chart {

// Labels written with the axis' format mask, one per increment when one is set.
class MaskTicker : public QCPAxisTicker
{
public:
    QString format;
    double step = 0;

protected:
    double getTickStep(const QCPRange &range) override
    {
        // A step that would crowd thousands of labels onto the axis is left to the ticker.
        if (step > 0 && range.size() / step <= 1000)
            return step;
        return QCPAxisTicker::getTickStep(range);
    }

    QString getTickLabel(double tick, const QLocale &, QChar, int) override
    {
        // A tick a rounding step away from zero is zero.
        if (std::abs(tick) < 1e-12 * std::max(1.0, std::abs(step)))
            tick = 0;
        return rtl::FormatFloat(format, tick);
    }
};

namespace {

constexpr const char *kDefaultFormat = "#,##0.###";

void checkDrawable(double value, const char *bound)
{
    if (!TChartAxis::DrawableBound(value))
        throw EAxisError(QStringLiteral("Axis %1 Value must be >= %2 and <= %3")
                             .arg(QLatin1String(bound), rtl::FloatToStr(-TChartAxis::MaxBound),
                                  rtl::FloatToStr(TChartAxis::MaxBound)));
}

// The range drawn for a fixed one: a range too narrow for the drawing (one value) is widened
// about its middle, by one or by a hundredth of the value's size, whichever is more.
QCPRange drawnRange(double minimum, double maximum)
{
    if (QCPRange::validRange(minimum, maximum))
        return QCPRange(minimum, maximum);
    const double middle = minimum / 2 + maximum / 2;
    const double half = std::max(1.0, std::abs(middle) / 100);
    return QCPRange(middle - half, middle + half);
}

} // namespace

TChartAxis::TChartAxis(TChart &chart, QCPAxis *axis)
    : m_chart(chart), m_axis(axis), m_ticker(new MaskTicker), m_format(QLatin1String(kDefaultFormat))
{
    m_ticker->format = m_format;
    axis->setTicker(QSharedPointer<QCPAxisTicker>(m_ticker));
    m_labelsFont = TChartFont::FromQFont(axis->tickLabelFont(), Qt::black);
    m_titleFont = TChartFont::FromQFont(axis->labelFont(), Qt::black);
    SetLabelsFont(m_labelsFont);
    SetTitleFont(m_titleFont);
}

void TChartAxis::changed() const { m_chart.seriesChanged(); }

void TChartAxis::SetAutomatic(bool automatic)
{
    if (automatic == m_automatic)
        return;
    if (!automatic) {
        m_minimum = Minimum();
        m_maximum = Maximum();
    }
    m_automatic = automatic;
    changed();
}

double TChartAxis::Minimum() const
{
    if (!m_automatic)
        return m_minimum;
    m_chart.prepareDrawing(m_chart.ImageSize());
    return m_axis->range().lower;
}

double TChartAxis::Maximum() const
{
    if (!m_automatic)
        return m_maximum;
    m_chart.prepareDrawing(m_chart.ImageSize());
    return m_axis->range().upper;
}

void TChartAxis::SetMinimum(double value)
{
    checkDrawable(value, "Minimum");
    if (value > Maximum())
        throw EAxisError(QStringLiteral("Axis Minimum Value must be <= Maximum"));
    m_maximum = Maximum();
    m_minimum = value;
    changed();
}

void TChartAxis::SetMaximum(double value)
{
    checkDrawable(value, "Maximum");
    if (value < Minimum())
        throw EAxisError(QStringLiteral("Axis Maximum Value must be >= Minimum"));
    m_minimum = Minimum();
    m_maximum = value;
    changed();
}

void TChartAxis::SetIncrement(double value)
{
    if (value < 0)
        throw EAxisError(QStringLiteral("Axis increment must be >= 0"));
    m_increment = value;
    m_ticker->step = value;
    changed();
}

void TChartAxis::SetAxisValuesFormat(const QString &format)
{
    m_format = format;
    m_ticker->format = format;
    changed();
}

void TChartAxis::SetLabelsFont(const TChartFont &font)
{
    m_labelsFont = font;
    m_axis->setTickLabelFont(font.ToQFont());
    m_axis->setTickLabelColor(font.Color);
    changed();
}

void TChartAxis::SetTitleCaption(const QString &caption)
{
    m_title = caption;
    m_axis->setLabel(caption);
    changed();
}

void TChartAxis::SetTitleFont(const TChartFont &font)
{
    m_titleFont = font;
    m_axis->setLabelFont(font.ToQFont());
    m_axis->setLabelColor(font.Color);
    changed();
}

void TChartAxis::SetGridVisible(bool visible)
{
    m_gridVisible = visible;
    m_axis->grid()->setVisible(visible);
    changed();
}

void TChartAxis::applyFixedRange() const
{
    if (!m_automatic)
        m_axis->setRange(drawnRange(m_minimum, m_maximum));
}

} // namespace chart

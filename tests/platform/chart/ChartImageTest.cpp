// Chart images: bitmap and metafile files at the chart's size, written under a temporary name
// and renamed into place, and the clipboard's two formats.

#include "MetafileRecords.h"

#include "DashSeries.h"

#include "platform/chart/BandedPainting.h"
#include "platform/chart/Chart.h"
#include "platform/rtl/Processors.h"

#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>
#include <QPixmap>
#include <QTemporaryDir>

#include <qcustomplot.h>

#include <gtest/gtest.h>

#include <array>
#include <cmath>

using namespace chart;

namespace {

class ChartImage : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_chart.resize(480, 320);
        m_chart.SetTitle({QStringLiteral("Distribution of values")});
        TPointSeries *series = newDashSeries(&m_chart);
        series->SetPoints({0, 1, 2, 3}, {1, 2, 4, 8});
        m_chart.AddSeries(series);
    }

    QString path(const QString &name) const { return m_dir.filePath(name); }

    QByteArray read(const QString &name) const
    {
        QFile file(path(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    QStringList files() const { return QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden); }

    QTemporaryDir m_dir;
    TChart m_chart;
};

int blackPixels(const QImage &image)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            count += image.pixelColor(x, y) == Qt::black;
    return count;
}

} // namespace

TEST_F(ChartImage, BitmapHasTheChartsSizeAndContent)
{
    m_chart.SaveToBitmapFile(path("graph.Bmp"));
    EXPECT_EQ(files(), QStringList{"graph.Bmp"});
    const QByteArray bytes = read("graph.Bmp");
    EXPECT_TRUE(bytes.startsWith("BM"));
    QImage image;
    ASSERT_TRUE(image.loadFromData(bytes, "BMP"));
    EXPECT_EQ(image.size(), QSize(480, 320));
    EXPECT_EQ(image.pixelColor(2, 2), QColor(Qt::white));
    EXPECT_GT(blackPixels(image), 4 * 8); // the four points, axes and text
}

TEST_F(ChartImage, SavingReplacesTheFileAndLeavesNoTemporaryFile)
{
    QFile old(path("graph.wmf"));
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write(QByteArray(100000, 'x'));
    old.close();
    m_chart.SaveToMetafile(path("graph.wmf"));
    EXPECT_EQ(files(), QStringList{"graph.wmf"});
    const ParsedMetafile wmf = parseWmf(read("graph.wmf"));
    EXPECT_TRUE(wmf.valid) << wmf.problem.toStdString();
}

TEST_F(ChartImage, UnwritablePlaceThrowsAndKeepsNothing)
{
    EXPECT_THROW(m_chart.SaveToMetafileEnh(path("missing/graph.emf")), EChartError);
    EXPECT_THROW(m_chart.SaveToBitmapFile(m_dir.path()), EChartError); // a folder's name
    EXPECT_TRUE(files().isEmpty());
}

TEST_F(ChartImage, MetafilesHoldTheChartAtItsSize)
{
    m_chart.SaveToMetafileEnh(path("graph.emf"));
    const ParsedMetafile emf = parseEmf(read("graph.emf"));
    ASSERT_TRUE(emf.valid) << emf.problem.toStdString();
    EXPECT_EQ(emf.records.front().i32(2), 479);
    EXPECT_EQ(emf.records.front().i32(3), 319);
    QStringList texts;
    for (const MetafileRecord &record : emf.ofType(emr::EXTTEXTOUTW))
        texts << emfText(record);
    EXPECT_TRUE(texts.contains("Distribution of values")) << texts.join('|').toStdString();
    EXPECT_GE(emf.ofType(emr::RECTANGLE).size(), 1u); // the background

    m_chart.SaveToMetafile(path("graph.wmf"));
    const PlayedWmf played = playWmf(parseWmf(read("graph.wmf")));
    EXPECT_TRUE(played.problems.empty());
    // Each 8 x 1 dash is a black line one pixel wide that ends 4 pixels right of its point.
    int blackDashes = 0;
    for (const double x : {0.0, 1.0, 2.0, 3.0}) {
        const int end = int(std::round(m_chart.plot()->xAxis->coordToPixel(x) - 4.0)) + 8;
        for (const PlayedShape &shape : played.shapes)
            blackDashes += shape.function == meta::LINETO && shape.penColor == 0 && shape.penStyle == 0 && shape.record.i16(1) == end;
    }
    EXPECT_EQ(blackDashes, 4);
    for (const PlayedShape &shape : played.shapes)
        EXPECT_FALSE(shape.function == meta::RECTANGLE && shape.brushColor == 0) << "no dash left as a rectangle";
}

TEST_F(ChartImage, ClipboardGetsTheEnhancedMetafileAndABitmap)
{
    m_chart.CopyToClipboardMetafile();
    const QMimeData *mime = QGuiApplication::clipboard()->mimeData();
    ASSERT_NE(mime, nullptr);
    ASSERT_TRUE(mime->hasFormat("image/x-emf"));
    const ParsedMetafile emf = parseEmf(mime->data("image/x-emf"));
    EXPECT_TRUE(emf.valid) << emf.problem.toStdString();
    ASSERT_TRUE(mime->hasImage());
    EXPECT_EQ(qvariant_cast<QImage>(mime->imageData()).size(), QSize(480, 320));
}

// Thousands of overlapping arrows painted band by band on every processor give the pixels of
// one painter, on an image and on a pixmap, within the chart's clip and half-pixel shift.
TEST(BandedPainting, GivesThePixelsOfOnePainter)
{
    if (rtl::UsableProcessors() < 2)
        GTEST_SKIP() << "with one processor nothing is painted in bands";
    std::vector<std::array<QPointF, 4>> arrows; // the line's start, then the head
    for (int i = 0; i < 5000; ++i) {
        const QPointF end(25 + (i * 0.0917), 300 - (i * 7919 % 997) * 0.3);
        arrows.push_back({QPointF(20.3, 290.7), end, end + QPointF(-3, 1.5), end + QPointF(-1.5, 3)});
    }
    const auto paintArrows = [&](QPaintDevice &device, bool inBands) {
        QCPPainter painter(&device);
        painter.setClipRect(QRect(15, 10, 440, 290));
        painter.setAntialiasing(true);
        painter.setPen(QPen(QColor(200, 30, 60), 1));
        painter.setBrush(QColor(200, 30, 60));
        const auto bounds = [&](size_t i) {
            const std::array<QPointF, 4> &a = arrows[i / 2];
            return i % 2 ? QPolygonF({a[1], a[2], a[3]}).boundingRect() : QRectF(a[0], a[1]).normalized();
        };
        const auto paint = [&](QCPPainter &p, size_t i) {
            i % 2 ? p.drawPolygon(&arrows[i / 2][1], 3) : p.drawLine(arrows[i / 2][0], arrows[i / 2][1]);
        };
        if (inBands)
            return PaintInBands(painter, 2 * arrows.size(), bounds, paint);
        for (size_t i = 0; i < 2 * arrows.size(); ++i)
            paint(painter, i);
        return true;
    };
    QImage banded(480, 320, QImage::Format_RGB32), expected = banded;
    banded.fill(Qt::white), expected.fill(Qt::white);
    ASSERT_TRUE(paintArrows(banded, true));
    paintArrows(expected, false);
    EXPECT_TRUE(banded == expected);
    QPixmap bandedPixmap(480, 320), expectedPixmap(480, 320);
    bandedPixmap.fill(Qt::white), expectedPixmap.fill(Qt::white);
    ASSERT_TRUE(paintArrows(bandedPixmap, true));
    paintArrows(expectedPixmap, false);
    EXPECT_TRUE(bandedPixmap.toImage() == expectedPixmap.toImage());
}

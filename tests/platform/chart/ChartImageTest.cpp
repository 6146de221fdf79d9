// Chart images: bitmap and metafile files at the chart's size, written under a temporary name
// and renamed into place, and the clipboard's two formats.

#include "MetafileRecords.h"

#include "DashSeries.h"

#include "platform/chart/Chart.h"

#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>
#include <QTemporaryDir>

#include <qcustomplot.h>

#include <gtest/gtest.h>

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

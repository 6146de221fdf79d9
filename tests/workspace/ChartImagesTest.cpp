#include "MainWindowFixture.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

namespace {

class ChartImagesTest : public MainWindowTest
{
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        openText("a;1;2;3;10;11\n");
        f().RB_distribution->setChecked(true);
        form->RB_distributionClick();
        form->resize(700, 460);
    }

    QByteArray saveAs(const QString &name, int filterIndex = 0)
    {
        dialogs.expectFile(dir.filePath(name), filterIndex);
        form->GraphSave1Click();
        QFile file(form->saveDialog().FileName);
        return file.open(QIODevice::ReadOnly) ? file.read(4) : QByteArray();
    }
};

TEST_F(ChartImagesTest, ExtensionChoosesTheFormatIgnoringCase)
{
    EXPECT_EQ(saveAs(QStringLiteral("graph.Bmp")).left(2), QByteArray("BM"));
    EXPECT_EQ(saveAs(QStringLiteral("graph.emf")), QByteArray("\x01\x00\x00\x00", 4));
    EXPECT_EQ(saveAs(QStringLiteral("plain.WMF")), QByteArray("\xD7\xCD\xC6\x9A", 4)); // placeable header
}

TEST_F(ChartImagesTest, TypeChangeSetsTheDefaultExtension)
{
    EXPECT_EQ(saveAs(QStringLiteral("chart"), 2), QByteArray("\xD7\xCD\xC6\x9A", 4));
    EXPECT_TRUE(form->saveDialog().FileName.endsWith(QStringLiteral("chart.wmf")));
    EXPECT_TRUE(saveAs(QStringLiteral("graph"), 3).isEmpty()); // the enhanced entry adds no extension
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("graph"))));
    EXPECT_TRUE(saveAs(QStringLiteral("graph.png"), 4).isEmpty());
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("graph.png"))));
    EXPECT_EQ(saveAs(QStringLiteral("again"), 1).left(2), QByteArray("BM"));
    EXPECT_EQ(dialogs.messages(), QStringList());
}

TEST_F(ChartImagesTest, CopyPutsTheEnhancedMetafileAndABitmapOnTheClipboard)
{
    form->Copytoclipboard1Click();
    const QMimeData *data = QGuiApplication::clipboard()->mimeData();
    ASSERT_NE(data, nullptr);
    EXPECT_TRUE(data->hasFormat(QStringLiteral("image/x-emf")));
    EXPECT_TRUE(data->hasImage());
}

TEST_F(ChartImagesTest, ClickOnASeriesNamesItAndThePoint)
{
    form->SetLimitAfter(4 - 1);
    chart::TChartSeries *line = seriesNamed(QStringLiteral("Limit_3_4"));
    ASSERT_NE(line, nullptr);
    dialogs.expectPlainMessage(QStringLiteral("Series: Limit_3_4 at point: 1"));
    emit chart().ClickSeries(line, 1, Qt::LeftButton, Qt::NoModifier, 0, 0);
    dialogs.expectPlainMessage(QStringLiteral("Series:  at point: 0"));
    form->Chart1ClickSeries(nullptr, 0);
}

} // namespace

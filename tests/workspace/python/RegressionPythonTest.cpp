// The polynomial fitted to one class's values against numpy.polyfit of the same points (Debian's
// Python): coefficients and coefficient of determination of a degree-2 and a degree-5 fit.

#include "workspace/Detrend.h"

#include "statistics/Ustatistics.h"

#include <QProcess>

#include <gtest/gtest.h>

#include <cmath>

namespace {

std::vector<double> numpyFit(const std::vector<TStatPoint> &points, int degree)
{
    QByteArray input;
    for (const TStatPoint &p : points)
        input += QByteArray::number(double(p.X), 'g', 17) + ' ' + QByteArray::number(double(p.Y), 'g', 17) + '\n';
    QProcess python;
    python.start(QStringLiteral("/usr/bin/python3"),
                 {QStringLiteral(QUIBO_SOURCE_DIR "/tests/workspace/python/polyfit.py"), QString::number(degree)});
    python.write(input);
    python.closeWriteChannel();
    python.waitForFinished(60000);
    EXPECT_EQ(python.exitCode(), 0) << python.readAllStandardError().toStdString();
    std::vector<double> numbers;
    for (const QByteArray &line : python.readAllStandardOutput().split('\n'))
        if (!line.isEmpty())
            numbers.push_back(line.toDouble());
    return numbers;
}

// Items with identifiers 3, 5, ..., values along a wavy curve; every third value is class 1 and
// stays out of the fit; the last item is not in use.
std::vector<TDataItem> wavyItems()
{
    std::vector<TDataItem> items;
    for (int i = 0; i < 40; ++i) {
        TDataItem item;
        const double x = 3 + 2 * i;
        item.Id = QString::number(x);
        item.Used = i != 39;
        for (int j = 0; j < 3; ++j) {
            item.Values.push_back(1.5 + 0.02 * x - 3e-4 * x * x + 0.1 * std::sin(0.7 * x + j) + (j == 2 ? 50 : 0));
            item.Positions.push_back(uint16_t(j + 1));
            item.Classes.push_back(j == 2 ? 1 : 0);
        }
        item.Count = 3;
        items.push_back(item);
    }
    return items;
}

struct FitCase
{
    int degree;
    // Largest relative difference of a coefficient from numpy's: the normal equations solved in
    // 80-bit arithmetic against numpy's least squares by singular value decomposition. Seen:
    // 3e-15 at degree 2, 7e-13 at degree 5, whose system over x up to 81 is far worse conditioned.
    double tolerance;
};

class ClassFitTest : public ::testing::TestWithParam<FitCase> {};

TEST_P(ClassFitTest, CoefficientsAsNumpyPolyfit)
{
    const int degree = GetParam().degree;
    TStatistics statistics;
    AddClassPoints(statistics, wavyItems(), 0, TPredictor::Identifier);
    statistics.Compute(uint8_t(degree));
    ASSERT_EQ(statistics.FCountX, 39 * 2);
    ASSERT_TRUE(statistics.HasPolynomial());
    const std::vector<double> numpy = numpyFit(statistics.Points(), degree);
    ASSERT_EQ(numpy.size(), size_t(degree) + 2);
    for (int k = 0; k <= degree; ++k) {
        const double ours = double(statistics.FCoefficients[size_t(k)]);
        EXPECT_LE(std::fabs(ours - numpy[size_t(k)]), GetParam().tolerance * std::fabs(numpy[size_t(k)]))
            << "c" << k << ": ours " << ours << ", numpy " << numpy[size_t(k)];
    }
    EXPECT_NEAR(double(statistics.FDetermination), numpy.back(), 1e-9);
}

INSTANTIATE_TEST_SUITE_P(Degrees, ClassFitTest, ::testing::Values(FitCase{2, 1e-12}, FitCase{5, 1e-10}),
                         [](const auto &info) { return "degree" + std::to_string(info.param.degree); });

} // namespace

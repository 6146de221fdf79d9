// The critical-value tables the statistics window writes, read by Debian's dbfread: the same
// rows, every number exactly as written.

#include "StatWindowFixture.h"

#include "statistics/OrderedDiffSimulation.h"

#include <QProcess>

#include <charconv>

namespace {

double exactNumber(const QByteArray &text)
{
    double value = 0;
    const auto [end, error] = std::from_chars(text.constData(), text.constData() + text.size(), value);
    EXPECT_TRUE(error == std::errc() && end == text.constData() + text.size()) << text.toStdString();
    return value;
}

std::vector<CriticalRow> readByDbfread(const QString &table)
{
    QProcess python;
    python.start(QStringLiteral("/usr/bin/python3"),
                 {QStringLiteral(QUIBO_SOURCE_DIR "/tests/statistics/python/critical_rows.py"), table});
    python.waitForFinished(60000);
    EXPECT_EQ(python.exitCode(), 0) << python.readAllStandardError().toStdString();
    std::vector<CriticalRow> rows;
    for (const QByteArray &line : python.readAllStandardOutput().split('\n')) {
        const QList<QByteArray> fields = line.split(' ');
        if (fields.size() == 4)
            rows.push_back({fields[0].toInt(), fields[1].toInt(), exactNumber(fields[2]), exactNumber(fields[3])});
    }
    return rows;
}

} // namespace

TEST_F(StatWindow, DbfreadReadsTheStoredNumbersExactly)
{
    form->GetCriticalValue(dkNormal, 0, 0, 7, 0.95, 20000);
    form->GetCriticalValue(dkNormal, 0, 0, 300, 0.123456789012345, 20000);
    const std::vector<CriticalRow> ours = rows(QStringLiteral("Normal.dbf"));
    const std::vector<CriticalRow> theirs = readByDbfread(dir.filePath(QStringLiteral("Normal.dbf")));
    ASSERT_EQ(ours.size(), 25u);
    ASSERT_EQ(theirs.size(), ours.size());
    for (size_t i = 0; i < ours.size(); ++i) {
        EXPECT_EQ(theirs[i].nmb, ours[i].nmb) << i;
        EXPECT_EQ(theirs[i].iters, ours[i].iters) << i;
        EXPECT_EQ(theirs[i].alpha, ours[i].alpha) << i;
        EXPECT_EQ(theirs[i].val, ours[i].val) << i;
    }
    // The full-precision readouts of the store come back bit for bit.
    for (const CriticalRow &row : ours) {
        if (row.nmb == 300 && row.alpha != 0.123456789012345) {
            EXPECT_EQ(row.val, double(GapQuantile(*form->Diffs(), row.alpha))) << row.alpha;
        }
    }
}

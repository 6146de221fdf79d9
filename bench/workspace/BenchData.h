#pragma once
// A large text data file for the workspace benchmarks: 10,000 items of 100 values in three
// groups, with two decimals so that ties are frequent.

#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <cmath>
#include <random>
#include <vector>

namespace bench {

constexpr int kLines = 10000;
constexpr int kValuesPerLine = 100;

// Values with two decimals from a mixture of three groups, so that ties are frequent.
inline std::vector<double> sampleValues(size_t count, uint32_t seed)
{
    std::mt19937 random(seed);
    std::normal_distribution<double> noise(0.0, 1.0);
    std::vector<double> values(count);
    for (size_t i = 0; i < count; ++i)
        values[i] = std::round((20.0 * double(i % 3) + 5.0 * noise(random)) * 100.0) / 100.0 + 100.0;
    return values;
}

inline QString writeSampleFile(const QTemporaryDir &dir, int lines = kLines)
{
    const std::vector<double> values = sampleValues(size_t(lines) * kValuesPerLine, 42);
    QByteArray text;
    text.reserve(int(values.size()) * 8);
    for (int line = 0; line < lines; ++line) {
        text += "item" + QByteArray::number(line);
        for (int j = 0; j < kValuesPerLine; ++j)
            text += ';' + QByteArray::number(values[size_t(line) * kValuesPerLine + size_t(j)], 'f', 2);
        text += '\n';
    }
    const QString path = dir.filePath(QStringLiteral("million.csv"));
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(text);
    return path;
}
} // namespace bench

// Speed of the query builder on a dBASE table of 1,000,000 records: listing the distinct values
// of a field (the click on a field, values into the list), and showing the table view (open,
// grid and navigator shown and painted).

#include "workspace/FSetQuery.h"

#include "ui_FSetQuery.h"

#include "platform/db/Database.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstring>

namespace {

constexpr int kRecords = 1000000;
const QString kAlias = QStringLiteral("builderbench");

struct FieldSpec
{
    const char *name;
    char type;
    int length;
    int decimals;
};

// ID, a class text, a colour of 1,000 values, Start and four Rf values, FACTOR.
constexpr FieldSpec kFields[] = {{"ID", 'N', 8, 0},     {"CLAS", 'C', 4, 0},  {"COLOR", 'C', 10, 0}, {"START", 'N', 8, 3},
                                 {"RF1", 'N', 8, 3},    {"RF2", 'N', 8, 3},   {"RF3", 'N', 8, 3},    {"RF4", 'N', 8, 3},
                                 {"FACTOR", 'N', 9, 5}};

void put16(QByteArray &bytes, int at, int value)
{
    bytes[at] = char(value & 0xff);
    bytes[at + 1] = char((value >> 8) & 0xff);
}

void put32(QByteArray &bytes, int at, int value)
{
    put16(bytes, at, value & 0xffff);
    put16(bytes, at + 2, (value >> 16) & 0xffff);
}

// The dBASE III file written directly: making a million records through the layer would
// take longer than the benchmark itself.
void writeTable(const QString &path)
{
    const int fieldCount = int(std::size(kFields));
    int recordLength = 1;
    for (const FieldSpec &field : kFields)
        recordLength += field.length;
    const int headerLength = 32 + 32 * fieldCount + 1;
    QByteArray header(headerLength, '\0');
    header[0] = 0x03;
    header[1] = char(126);
    header[2] = 1;
    header[3] = 1;
    put32(header, 4, kRecords);
    put16(header, 8, headerLength);
    put16(header, 10, recordLength);
    for (int i = 0; i < fieldCount; ++i) {
        const int at = 32 + 32 * i;
        std::memcpy(header.data() + at, kFields[i].name, std::strlen(kFields[i].name));
        header[at + 11] = kFields[i].type;
        header[at + 16] = char(kFields[i].length);
        header[at + 17] = char(kFields[i].decimals);
    }
    header[headerLength - 1] = 0x0d;
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(header);
    QByteArray record;
    uint32_t seed = 12345;
    auto next = [&seed] { return seed = seed * 134775813u + 1u; };
    for (int r = 0; r < kRecords; ++r) {
        record.clear();
        record += ' ';
        record += QByteArray::number(r + 1).rightJustified(8, ' ');
        record += QByteArray("ABCD").mid(int(next() % 4), 1).leftJustified(4, ' ');
        record += (QByteArray("c") + QByteArray::number(next() % 1000)).leftJustified(10, ' ');
        for (int v = 0; v < 5; ++v)
            record += QByteArray::number((next() % 9999999) / 1000.0, 'f', 3).rightJustified(8, ' ');
        record += QByteArray("1.00000").rightJustified(9, ' ');
        file.write(record);
    }
    file.write("\x1a", 1);
}

class BigTable
{
public:
    static BigTable &instance()
    {
        static BigTable table;
        return table;
    }

private:
    BigTable()
    {
        writeTable(m_dir.filePath(QStringLiteral("big.dbf")));
        m_database.SetDatabaseName(kAlias);
        m_database.Params().Add(QStringLiteral("PATH=") + m_dir.path());
        m_database.Open();
    }

    QTemporaryDir m_dir;
    db::TDatabase m_database;
};

std::unique_ptr<TFormSetQuery> builder()
{
    BigTable::instance();
    auto form = std::make_unique<TFormSetQuery>();
    form->InitQuery(kAlias, QStringLiteral("big.dbf"));
    return form;
}

void listValues(benchmark::State &state, const QString &field, const QString &condition = QString())
{
    auto form = builder();
    Ui::TFormSetQuery &w = form->form();
    if (!condition.isEmpty())
        w.ListConds->addItem(condition);
    w.ListFields->setCurrentItem(w.ListFields->findItems(field, Qt::MatchExactly).value(0));
    for (auto _ : state) {
        form->ListFieldsClick();
        benchmark::DoNotOptimize(w.ListVals->count());
    }
    state.counters["values"] = w.ListVals->count();
}

void DistinctValuesOfColour(benchmark::State &state) { listValues(state, QStringLiteral("COLOR")); }
BENCHMARK(DistinctValuesOfColour)->Unit(benchmark::kMillisecond)->Iterations(5);

void DistinctValuesOfClass(benchmark::State &state) { listValues(state, QStringLiteral("CLAS")); }
BENCHMARK(DistinctValuesOfClass)->Unit(benchmark::kMillisecond)->Iterations(5);

// Narrowed by a condition: the engine finds the records, the layer their values.
void DistinctValuesOfColourInClassA(benchmark::State &state) { listValues(state, QStringLiteral("COLOR"), QStringLiteral("(CLAS='A')")); }
BENCHMARK(DistinctValuesOfColourInClassA)->Unit(benchmark::kMillisecond)->Iterations(5);

void TableViewShown(benchmark::State &state)
{
    auto form = builder();
    form->show();
    QApplication::processEvents();
    for (auto _ : state) {
        form->BtnShowTableClick();
        form->form().DBGrid->repaint();
        QApplication::processEvents();
        state.PauseTiming();
        form->BtnShowTableClick();
        QApplication::processEvents();
        state.ResumeTiming();
    }
}
BENCHMARK(TableViewShown)->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace

// Makes the empty critical-value tables in the folder given on the command line, one per
// distribution of the statistics window. A table that exists already keeps its rows (only its
// time stamp is renewed, so that the build sees it up to date).
//
// Layout: NMB and ITERS N(11,0); ALPHA and VAL N(32,24). A number is written with 24 decimals and
// read back by correctly rounded conversion, so every 64-bit float from 2^-27 (about 7.5e-9) up
// to 10^7 (10^6 when negative) reads back exactly as written, and 0 too: the probability levels
// and the critical values, which rows are found by and compared with, lie in that range.

#include "platform/db/DbfTable.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QSaveFile>

#include <cstdio>

namespace {

const char *const kTables[] = {"Regular.dbf", "Normal.dbf", "chi-quadrat.dbf", "t.dbf"};

db::FieldDef numberField(const char *name, int size, int decimals)
{
    db::FieldDef field;
    field.name = QString::fromLatin1(name);
    field.type = db::ftFloat;
    field.size = size;
    field.decimals = decimals;
    field.nativeType = 'N';
    return field;
}

bool makeTable(const QString &path, const QByteArray &image)
{
    if (QFile::exists(path)) {
        QFile file(path);
        return file.open(QIODevice::ReadWrite) && file.setFileTime(QDateTime::currentDateTime(), QFileDevice::FileModificationTime);
    }
    QSaveFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(image) == image.size() && file.commit();
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_critical_tables <folder>\n");
        return 2;
    }
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    const QByteArray image = db::DbfTable::newTableImage(
        {numberField("NMB", 11, 0), numberField("ITERS", 11, 0), numberField("ALPHA", 32, 24), numberField("VAL", 32, 24)});
    for (const char *table : kTables) {
        const QString path = folder.filePath(QString::fromLatin1(table));
        if (!makeTable(path, image)) {
            std::fprintf(stderr, "make_critical_tables: cannot write %s\n", qPrintable(path));
            return 1;
        }
    }
    return 0;
}

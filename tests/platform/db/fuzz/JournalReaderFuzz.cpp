// Fuzz target for the reader of the journals killed changes leave: the input is a journal
// beside a small valid table (JournalTable.h) in a folder of its own; the table is opened,
// which deals with the journal, then read and changed. Nothing may crash or hang, and no file
// but the table's own may change: the files of another table beside it stay byte for byte.

#include "JournalTable.h"

#include "platform/db/DatabaseError.h"
#include "platform/db/DbfTable.h"
#include "platform/db/FileIo.h"
#include "platform/rtl/Warnings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <sys/stat.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

QByteArray littleEndian(uint64_t value)
{
    QByteArray bytes(8, '\0');
    for (int i = 0; i < 8; ++i)
        bytes[i] = char(uint8_t(value >> (8 * i)));
    return bytes;
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        std::abort();
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        std::abort();
    return file.readAll();
}

// The journal with the place-holders of `path`'s device and inode filled in.
void fillIn(QByteArray &journal, const QString &path, const char *device, const char *inode)
{
    struct stat info;
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        std::abort();
    journal.replace(QByteArray(device, 8), littleEndian(uint64_t(info.st_dev)));
    journal.replace(QByteArray(inode, 8), littleEndian(uint64_t(info.st_ino)));
}

QString fuzzFolderBase()
{
    // Recovery syncs what it writes: a folder in memory keeps runs fast.
    return QFileInfo(QStringLiteral("/dev/shm")).isWritable() ? QStringLiteral("/dev/shm") : QDir::tempPath();
}

void exercise(const QString &path)
{
    auto table = db::DbfTable::open(path);
    const int count = table->slotCount();
    for (int slot = 0; slot < count; ++slot)
        for (size_t field = 0; field < table->fields().size(); ++field)
            table->value(slot, int(field));
    if (count > 0)
        table->update(0, {QStringLiteral("fuzz"), QStringLiteral("new memo")}, {true, true});
}

// The file that is not the table's own but was made or changed; empty when there is none.
// Only the table's files, its journal and journals set aside may be in the folder.
QString foreignFileChanged(const QDir &dir, const QByteArray &other)
{
    for (const QString &name : dir.entryList(QDir::Files | QDir::Hidden | QDir::System)) {
        const bool own = name == QLatin1String("t.dbf") || name == QLatin1String("t.dbt") || name.startsWith(QLatin1String("t.dbf-journal"));
        if (!own && name != QLatin1String("T.DBT"))
            return name;
    }
    return readFile(dir.filePath(QStringLiteral("T.DBT"))) == other ? QString() : QStringLiteral("T.DBT");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const bool quiet = (rtl::SetWarningHandler([](rtl::WarningKind, const QString &) {}), true);
    (void)quiet;
    const JournalTableFiles &files = JournalTable();
    QTemporaryDir folder(fuzzFolderBase() + QStringLiteral("/quibo-journal-fuzz-XXXXXX"));
    if (!folder.isValid())
        std::abort();
    const QDir dir(folder.path());
    const QString path = dir.filePath(QStringLiteral("t.dbf"));
    writeFile(path, files.table);
    writeFile(dir.filePath(QStringLiteral("t.dbt")), files.memo);
    writeFile(dir.filePath(QStringLiteral("T.DBT")), files.memo);
    QByteArray journal(reinterpret_cast<const char *>(data), qsizetype(size));
    fillIn(journal, path, kTableDevice, kTableInode);
    fillIn(journal, dir.filePath(QStringLiteral("t.dbt")), kMemoDevice, kMemoInode);
    fillIn(journal, dir.filePath(QStringLiteral("T.DBT")), kOtherDevice, kOtherInode);
    writeFile(db::io::journalPathFor(path), journal);
    try {
        exercise(path);
    } catch (const db::EDatabaseError &) {
    }
    if (const QString changed = foreignFileChanged(dir, files.memo); !changed.isEmpty()) {
        std::fprintf(stderr, "The journal made the table change a file of another: %s\n", qPrintable(changed));
        std::abort();
    }
    return 0;
}

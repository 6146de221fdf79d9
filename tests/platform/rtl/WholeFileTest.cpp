// Files written whole: under a file size limit and on a full disk every writer says why it
// failed, keeps the earlier file byte for byte and leaves nothing behind.

#include "platform/rtl/SettingsStore.h"
#include "platform/rtl/WholeFile.h"

#include "FileSizeLimit.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QByteArray kEarlier = "[General]\nfot_delimiter=;\n";

QByteArray readAll(const QString &fileName)
{
    QFile file(fileName);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

void writeBytes(const QString &fileName, const QByteArray &bytes)
{
    QFile file(fileName);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_EQ(file.write(bytes), bytes.size());
}

struct Writer
{
    const char *name;
    std::function<void(const QString &fileName, const QByteArray &bytes)> write;
};

void PrintTo(const Writer &writer, std::ostream *out) { *out << writer.name; }

const Writer kWriters[] = {
    {"InOnePiece", [](const QString &fileName, const QByteArray &bytes) { rtl::WriteWholeFile(fileName, bytes); }},
    {"InPieces",
     [](const QString &fileName, const QByteArray &bytes) {
         rtl::WholeFileWriter file(fileName);
         for (qsizetype at = 0; at < bytes.size(); at += 100)
             file.write(bytes.mid(at, 100));
         file.commit();
     }},
    {"SettingsStore",
     [](const QString &fileName, const QByteArray &bytes) {
         rtl::SettingsStore store;
         store.open(QFileInfo(fileName).absolutePath(), QFileInfo(fileName).fileName());
         store.write(QStringLiteral("fot_names"), QString::fromLatin1(bytes));
     }},
};

class WholeFile : public ::testing::TestWithParam<Writer>
{
protected:
    // Writes `size` bytes over the earlier file of `folder`, which must fail; answers the error's text.
    QString failedWrite(const QString &folder, qsizetype size)
    {
        const QString fileName = folder + QStringLiteral("/quibo.ini");
        try {
            GetParam().write(fileName, QByteArray(size, 'x'));
        } catch (const rtl::EInOutError &error) {
            EXPECT_TRUE(error.Message().contains(fileName)) << error.Message().toStdString();
            EXPECT_EQ(readAll(fileName), kEarlier);
            QStringList left = QDir(folder).entryList(QDir::Files | QDir::Hidden);
            left.removeOne(QStringLiteral("filler"));
            EXPECT_EQ(left, QStringList{QStringLiteral("quibo.ini")});
            return error.Message();
        }
        ADD_FAILURE() << "the write was reported as done; the file holds " << readAll(fileName).size() << " bytes";
        return {};
    }

    QTemporaryDir m_dir;
};

TEST_P(WholeFile, ShortWriteUnderASizeLimitKeepsTheEarlierFile)
{
    // Under 1 KB a single buffered write fits; past the limit the write stops short.
    for (const qsizetype size : {qsizetype(1500), qsizetype(100000)}) {
        writeBytes(m_dir.filePath(QStringLiteral("quibo.ini")), kEarlier);
        QString message;
        WithFileSizeLimit(1024, [&] { message = failedWrite(m_dir.path(), size); });
        EXPECT_TRUE(message.endsWith(QStringLiteral(": File too large"))) << message.toStdString();
    }
}

TEST_P(WholeFile, FullDiskKeepsTheEarlierFile)
{
    const QString mountPoint = m_dir.filePath(QStringLiteral("full"));
    ASSERT_TRUE(QDir().mkpath(mountPoint));
    if (::mount("tmpfs", QFile::encodeName(mountPoint).constData(), "tmpfs", 0, "size=64k") != 0)
        GTEST_SKIP() << "no tmpfs can be mounted here (needs root)";
    writeBytes(mountPoint + QStringLiteral("/quibo.ini"), kEarlier);
    QFile filler(mountPoint + QStringLiteral("/filler"));
    ASSERT_TRUE(filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
    while (filler.write(QByteArray(512, 'f')) > 0) {
    }
    filler.close();
    const QString message = failedWrite(mountPoint, 4000);
    ::umount(QFile::encodeName(mountPoint).constData());
    EXPECT_TRUE(message.endsWith(QStringLiteral(": No space left on device"))) << message.toStdString();
}

INSTANTIATE_TEST_SUITE_P(Writers, WholeFile, ::testing::ValuesIn(kWriters),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(WholeFileWrite, ReplacedFileKeepsItsModeAndNewFileTakesTheUmask)
{
    QTemporaryDir dir;
    const QString kept = dir.filePath(QStringLiteral("kept.txt"));
    writeBytes(kept, "old");
    ASSERT_EQ(::chmod(QFile::encodeName(kept).constData(), 0640), 0);
    rtl::WriteWholeFile(kept, "new");
    EXPECT_EQ(readAll(kept), "new");

    const QString fresh = dir.filePath(QStringLiteral("fresh.txt"));
    const mode_t mask = ::umask(022);
    rtl::WriteWholeFile(fresh, "new");
    ::umask(mask);
    struct stat keptStat {}, freshStat {};
    ASSERT_EQ(::stat(QFile::encodeName(kept).constData(), &keptStat), 0);
    ASSERT_EQ(::stat(QFile::encodeName(fresh).constData(), &freshStat), 0);
    EXPECT_EQ(keptStat.st_mode & 07777, 0640u);
    EXPECT_EQ(freshStat.st_mode & 07777, 0644u);

    // A file that must be new leaves a name another file has as it was, and nothing beside it.
    EXPECT_THROW(rtl::WriteWholeFile(kept, "newer", rtl::WholeFileTarget::CreateNew), rtl::EInOutError);
    EXPECT_EQ(readAll(kept), "new");
    rtl::WriteWholeFile(dir.filePath(QStringLiteral("created.txt")), "created", rtl::WholeFileTarget::CreateNew);
    EXPECT_EQ(readAll(dir.filePath(QStringLiteral("created.txt"))), "created");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 3);
}

TEST(WholeFileWrite, ChainOfLinksReplacesTheFileItEndsIn)
{
    QTemporaryDir dir;
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("real")));
    writeBytes(dir.filePath(QStringLiteral("real/r.sql")), "old");
    ASSERT_EQ(::symlink("real/r.sql", QFile::encodeName(dir.filePath(QStringLiteral("b.sql"))).constData()), 0);
    ASSERT_EQ(::symlink("b.sql", QFile::encodeName(dir.filePath(QStringLiteral("a.sql"))).constData()), 0);
    rtl::WriteWholeFile(dir.filePath(QStringLiteral("a.sql")), "new");
    EXPECT_EQ(readAll(dir.filePath(QStringLiteral("real/r.sql"))), "new");
    EXPECT_EQ(QFileInfo(dir.filePath(QStringLiteral("a.sql"))).symLinkTarget(), dir.filePath(QStringLiteral("b.sql")));
    EXPECT_EQ(QFileInfo(dir.filePath(QStringLiteral("b.sql"))).symLinkTarget(), dir.filePath(QStringLiteral("real/r.sql")));
}

} // namespace

#include "DbTestSupport.h"

#include <QFile>

DbFolder::DbFolder(const QString &alias) : m_alias(alias), m_database(std::make_unique<db::TDatabase>())
{
    m_database->SetDatabaseName(alias);
    m_database->SetDriverName(QStringLiteral("STANDARD"));
    m_database->SetLoginPrompt(false);
    m_database->Params().Add(QStringLiteral("PATH=") + m_dir.path());
    m_database->Params().Add(QStringLiteral("DEFAULT DRIVER=DBASE"));
    m_database->Params().Add(QStringLiteral("ENABLE BCD=FALSE"));
    m_database->Open();
}

QString DbFolder::path(const QString &name) const { return name.isEmpty() ? m_dir.path() : m_dir.filePath(name); }

void DbFolder::exec(const QString &sql)
{
    auto q = query(sql);
    q->ExecSQL();
}

std::unique_ptr<db::TQuery> DbFolder::query(const QString &sql)
{
    auto q = std::make_unique<db::TQuery>();
    q->SetDatabaseName(m_alias);
    q->SQL().SetText(sql);
    return q;
}

std::unique_ptr<db::TTable> DbFolder::table(const QString &name)
{
    auto t = std::make_unique<db::TTable>();
    t->SetDatabaseName(m_alias);
    t->SetTableName(name);
    return t;
}

QByteArray DbFolder::bytes(const QString &name) const
{
    QFile file(path(name));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

void DbFolder::writeBytes(const QString &name, const QByteArray &bytes) const
{
    QFile file(path(name));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

namespace {

void put16(QByteArray &bytes, int at, int value)
{
    bytes[at] = char(value & 0xFF);
    bytes[at + 1] = char((value >> 8) & 0xFF);
}

void put32(QByteArray &bytes, int at, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes[at + i] = char((value >> (8 * i)) & 0xFF);
}

} // namespace

QByteArray DbfImage::bytes() const
{
    const int headerLength = 32 + 32 * int(fields.size()) + 1;
    int recordLength = 1;
    for (const Field &field : fields)
        recordLength += field.length;
    QByteArray image(headerLength, '\0');
    image[0] = char(version);
    image[1] = char(124);
    image[2] = char(1);
    image[3] = char(1);
    put32(image, 4, uint32_t(records.size()));
    put16(image, 8, headerLength);
    put16(image, 10, recordLength);
    image[29] = char(languageDriver);
    for (size_t i = 0; i < fields.size(); ++i) {
        const int at = 32 + 32 * int(i);
        const QByteArray name(fields[i].name);
        for (int c = 0; c < name.size(); ++c)
            image[at + c] = name[c];
        image[at + 11] = fields[i].type;
        image[at + 16] = char(fields[i].length);
        image[at + 17] = char(fields[i].decimals);
    }
    image[headerLength - 1] = '\x0D';
    for (const QByteArray &record : records)
        image += record.leftJustified(recordLength, ' ', true);
    image += '\x1A';
    return image;
}

QByteArray dBase4Memo(int blockSize, const std::vector<QByteArray> &texts, std::vector<int> &blocks)
{
    QByteArray file(blockSize, '\0');
    put16(file, 20, blockSize);
    for (const QByteArray &text : texts) {
        blocks.push_back(int(file.size() / blockSize));
        QByteArray block("\xFF\xFF\x08\x00", 4);
        block += QByteArray(4, '\0');
        put32(block, 4, uint32_t(text.size() + 8));
        block += text;
        block += QByteArray((blockSize - block.size() % blockSize) % blockSize, '\0');
        file += block;
    }
    put32(file, 0, uint32_t(file.size() / blockSize));
    return file;
}

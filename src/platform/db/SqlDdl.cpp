#include "platform/db/SqlDdl.h"

#include "platform/db/DatabaseError.h"
#include "platform/db/DbfTable.h"
#include "platform/db/ParadoxTable.h"
#include "platform/db/TableFiles.h"
#include "platform/db/TableLock.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace db {
namespace {

class DdlParser
{
public:
    explicit DdlParser(const QString &sql) : m_tokens(TokenizeSql(sql)) {}

    const SqlToken &peek() const { return m_tokens[m_at]; }
    const SqlToken &next() { return m_tokens[m_at < m_tokens.size() - 1 ? m_at++ : m_at]; }
    bool acceptWord(const char *word)
    {
        if (!peek().isWord(word))
            return false;
        next();
        return true;
    }
    bool acceptSymbol(const char *symbol)
    {
        if (!peek().isSymbol(symbol))
            return false;
        next();
        return true;
    }
    void expectWord(const char *word)
    {
        if (!acceptWord(word))
            fail(QStringLiteral("%1 expected").arg(QLatin1String(word)));
    }
    void expectSymbol(const char *symbol)
    {
        if (!acceptSymbol(symbol))
            fail(QStringLiteral("'%1' expected").arg(QLatin1String(symbol)));
    }
    [[noreturn]] void fail(const QString &what) const
    {
        const SqlToken &at = peek();
        const QString near = at.kind == SqlToken::End ? QStringLiteral("the end of the statement") : QStringLiteral("'%1'").arg(at.text);
        throw EDatabaseError(QStringLiteral("Invalid statement: %1 near %2").arg(what, near));
    }

    /// A table name: quoted, or bare with dots ("data.dbf").
    QString tableName()
    {
        if (!peek().isName())
            fail(QStringLiteral("table name expected"));
        QString name = next().text;
        while (m_tokens[m_at - 1].kind == SqlToken::Word && peek().isSymbol(".") && m_tokens[m_at + 1].kind == SqlToken::Word) {
            next();
            name += QLatin1Char('.') + next().text;
        }
        return name;
    }
    QString fieldName()
    {
        if (!peek().isName())
            fail(QStringLiteral("field name expected"));
        return next().text;
    }
    int number()
    {
        if (peek().kind != SqlToken::Number)
            fail(QStringLiteral("number expected"));
        bool ok = false;
        const int value = next().text.toInt(&ok);
        if (!ok || value < 0)
            fail(QStringLiteral("size expected"));
        return value;
    }
    void expectEnd()
    {
        acceptSymbol(";");
        if (peek().kind != SqlToken::End)
            fail(QStringLiteral("end of statement expected"));
    }

private:
    std::vector<SqlToken> m_tokens;
    size_t m_at = 0;
};

struct ColumnType
{
    QString word;
    int size = -1;
    int scale = -1;
};

ColumnType columnType(DdlParser &parser)
{
    if (parser.peek().kind != SqlToken::Word)
        parser.fail(QStringLiteral("field type expected"));
    ColumnType type;
    type.word = parser.next().text.toUpper();
    if (parser.acceptSymbol("(")) {
        type.size = parser.number();
        if (parser.acceptSymbol(","))
            type.scale = parser.number();
        parser.expectSymbol(")");
    }
    return type;
}

FieldDef dbaseField(const QString &name, const ColumnType &type)
{
    FieldDef field;
    field.name = name;
    const QString &w = type.word;
    if (w == QLatin1String("CHAR") || w == QLatin1String("CHARACTER") || w == QLatin1String("VARCHAR")) {
        if (type.size < 0 && w == QLatin1String("VARCHAR"))
            throw EDatabaseError(QStringLiteral("Field %1: VARCHAR needs a length").arg(name));
        field.nativeType = 'C';
        field.size = type.size < 0 ? 1 : type.size;
    } else if (w == QLatin1String("DECIMAL") || w == QLatin1String("NUMERIC")) {
        const int precision = type.size < 0 ? 18 : type.size;
        const int scale = type.scale < 0 ? 0 : type.scale;
        if (precision < 1 || scale > precision)
            throw EDatabaseError(QStringLiteral("Field %1: invalid precision or scale").arg(name));
        field.nativeType = 'N';
        field.size = precision + (scale > 0 ? 1 : 0) + 1; // digits, point and sign
        field.decimals = scale;
        if (field.size > 20)
            throw EDatabaseError(QStringLiteral("Field %1: a dBASE number holds at most %2 digits").arg(name).arg(scale > 0 ? 18 : 19));
    } else if (w == QLatin1String("INTEGER") || w == QLatin1String("INT")) {
        field.nativeType = 'N';
        field.size = 11;
    } else if (w == QLatin1String("SMALLINT")) {
        field.nativeType = 'N';
        field.size = 6;
    } else if (w == QLatin1String("FLOAT")) {
        field.nativeType = 'N';
        field.size = 20;
        field.decimals = 10;
    } else if (w == QLatin1String("DATE")) {
        field.nativeType = 'D';
    } else if (w == QLatin1String("BOOLEAN")) {
        field.nativeType = 'L';
    } else if (w == QLatin1String("BLOB") || w == QLatin1String("MEMO")) {
        field.nativeType = 'M';
    } else {
        throw EDatabaseError(QStringLiteral("Field %1: the type %2 is not available in dBASE tables").arg(name, w));
    }
    return DbfTable::checkedField(field);
}

FieldDef paradoxField(const QString &name, const ColumnType &type)
{
    FieldDef field;
    field.name = name;
    const QString &w = type.word;
    if (w == QLatin1String("CHAR") || w == QLatin1String("CHARACTER") || w == QLatin1String("VARCHAR")) {
        field.type = ftString;
        field.size = type.size < 0 ? 1 : type.size;
    } else if (w == QLatin1String("DECIMAL") || w == QLatin1String("NUMERIC") || w == QLatin1String("FLOAT")) {
        field.type = ftFloat;
    } else if (w == QLatin1String("INTEGER") || w == QLatin1String("INT")) {
        field.type = ftInteger;
    } else if (w == QLatin1String("SMALLINT")) {
        field.type = ftSmallint;
    } else if (w == QLatin1String("MONEY")) {
        field.type = ftCurrency;
    } else if (w == QLatin1String("DATE")) {
        field.type = ftDate;
    } else if (w == QLatin1String("TIME")) {
        field.type = ftTime;
    } else if (w == QLatin1String("TIMESTAMP")) {
        field.type = ftDateTime;
    } else if (w == QLatin1String("BOOLEAN")) {
        field.type = ftBoolean;
    } else if (w == QLatin1String("AUTOINC")) {
        field.type = ftAutoInc;
    } else {
        throw EDatabaseError(QStringLiteral("Field %1: the type %2 is not available in Paradox tables").arg(name, w));
    }
    return ParadoxTable::checkedField(field);
}

FieldDef fieldFor(bool paradox, const QString &name, const ColumnType &type)
{
    return paradox ? paradoxField(name, type) : dbaseField(name, type);
}

int indexOfField(const std::vector<FieldDef> &fields, const QString &name)
{
    for (size_t i = 0; i < fields.size(); ++i)
        if (fields[i].name.compare(name, Qt::CaseInsensitive) == 0)
            return int(i);
    return -1;
}

void checkNotInUse(const TablePath &table)
{
    if (TableInUse::isInUse(table.path))
        throw EDatabaseError(QStringLiteral("Table %1 is in use").arg(QFileInfo(table.path).fileName()));
}

TablePath existingTable(const QString &folder, const QString &extension, const QString &name)
{
    const TablePath table = resolveTable(folder, name, extension);
    if (!table.exists)
        throw EDatabaseError(QStringLiteral("Table does not exist: %1").arg(name));
    return table;
}

void createTable(DdlParser &parser, const QString &folder, const QString &extension)
{
    const QString name = parser.tableName();
    const TablePath table = resolveTable(folder, name, extension);
    if (table.exists)
        throw EDatabaseError(QStringLiteral("Table %1 already exists").arg(name));
    parser.expectSymbol("(");
    std::vector<FieldDef> fields;
    do {
        const QString fieldName = parser.fieldName();
        FieldDef field = fieldFor(table.paradox, fieldName, columnType(parser));
        if (indexOfField(fields, field.name) >= 0)
            throw EDatabaseError(QStringLiteral("The field name %1 occurs twice").arg(field.name));
        fields.push_back(field);
    } while (parser.acceptSymbol(","));
    parser.expectSymbol(")");
    parser.expectEnd();

    if (table.paradox) {
        ParadoxTable::create(table.path, fields);
        return;
    }
    const QByteArray image = DbfTable::newTableImage(fields);
    const QFileInfo info(table.path);
    const bool memo = std::any_of(fields.begin(), fields.end(), [](const FieldDef &f) { return f.nativeType == 'M'; });
    const QString memoPath = info.absolutePath() + QLatin1Char('/') + info.completeBaseName() + QStringLiteral(".dbt");
    if (memo)
        DbfTable::createMemoFile(memoPath, info.fileName());
    try {
        io::saveWholeFile(table.path, image, false);
    } catch (...) {
        if (memo)
            QFile::remove(memoPath);
        throw;
    }
}

void alterTable(DdlParser &parser, const QString &folder, const QString &extension)
{
    const TablePath table = existingTable(folder, extension, parser.tableName());
    checkNotInUse(table);
    const TableLock lock(table.path, TableLock::Exclusive);
    io::checkModeAllowsWriting(table.path, QStringLiteral("Table %1").arg(QFileInfo(table.path).fileName()));
    std::vector<FieldDef> fields = OpenTableStore(table.path)->fields();
    std::vector<int> sources(fields.size());
    for (size_t i = 0; i < sources.size(); ++i)
        sources[i] = int(i);
    do {
        if (parser.acceptWord("ADD")) {
            parser.acceptWord("COLUMN");
            const QString fieldName = parser.fieldName();
            const FieldDef field = fieldFor(table.paradox, fieldName, columnType(parser));
            if (indexOfField(fields, field.name) >= 0)
                throw EDatabaseError(QStringLiteral("The table already has a field %1").arg(field.name));
            fields.push_back(field);
            sources.push_back(-1);
        } else if (parser.acceptWord("DROP")) {
            parser.acceptWord("COLUMN");
            const QString fieldName = parser.fieldName();
            const int index = indexOfField(fields, fieldName);
            if (index < 0)
                throw EDatabaseError(QStringLiteral("The table has no field %1").arg(fieldName));
            fields.erase(fields.begin() + index);
            sources.erase(sources.begin() + index);
        } else {
            parser.fail(QStringLiteral("ADD or DROP expected"));
        }
    } while (parser.acceptSymbol(","));
    parser.expectEnd();
    if (fields.empty())
        throw EDatabaseError(QStringLiteral("A table needs at least one field"));
    if (table.paradox)
        ParadoxTable::restructure(table.path, fields, sources);
    else
        DbfTable::restructure(table.path, fields, sources);
}

void dropTable(DdlParser &parser, const QString &folder, const QString &extension)
{
    const TablePath table = existingTable(folder, extension, parser.tableName());
    parser.expectEnd();
    checkNotInUse(table);
    const TableLock lock(table.path, TableLock::Exclusive);
    // Only a file that opens as a table is deleted: a typed name must not remove any other file.
    const auto store = OpenTableStore(table.path);
    const QString name = QFileInfo(table.path).fileName();
    io::checkModeAllowsWriting(table.path, QStringLiteral("Table %1").arg(name));
    QStringList files = tableFiles(table.path);
    // A memo file beside a table without memo fields is not the table's.
    if (const auto *dbase = dynamic_cast<const DbfTable *>(store.get()); dbase && !dbase->hasMemo())
        files = QStringList{table.path};
    for (const QString &file : files)
        if (!QFile::remove(file))
            throw EDatabaseError(QStringLiteral("Cannot delete %1").arg(file));
}

} // namespace

bool IsDdlStatement(const std::vector<SqlToken> &tokens)
{
    if (tokens.size() < 2)
        return false;
    const SqlToken &first = tokens[0];
    const SqlToken &second = tokens[1];
    if (first.isWord("CREATE") || first.isWord("DROP"))
        return second.isWord("TABLE") || second.isWord("INDEX") || second.isWord("UNIQUE");
    return first.isWord("ALTER") && second.isWord("TABLE");
}

void ExecuteDdl(const QString &folder, const QString &defaultExtension, const QString &sql)
{
    DdlParser parser(sql);
    if (parser.acceptWord("CREATE")) {
        if (parser.acceptWord("TABLE"))
            return createTable(parser, folder, defaultExtension);
        throw EDatabaseError(QStringLiteral("CREATE INDEX is not supported: the database layer keeps no index files"));
    }
    if (parser.acceptWord("DROP")) {
        if (parser.acceptWord("TABLE"))
            return dropTable(parser, folder, defaultExtension);
        throw EDatabaseError(QStringLiteral("DROP INDEX is not supported: the database layer keeps no index files"));
    }
    parser.expectWord("ALTER");
    parser.expectWord("TABLE");
    alterTable(parser, folder, defaultExtension);
}

} // namespace db

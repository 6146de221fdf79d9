// Fuzz target for query files (".sql"): the input is the file; its statement is made ready as
// the query builder applies it and prepared (not run) over a folder holding one table.

#include "FuzzSupport.h"

#include "platform/db/DatabaseError.h"
#include "platform/db/Query.h"
#include "platform/db/SqlLexer.h"
#include "workspace/QueryText.h"

#include <QDir>

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    // Tables are found in the current folder: it is the fuzz folder, with one small table.
    if (!QDir::setCurrent(FuzzFolder().path()))
        std::abort();
    db::TQuery create;
    create.SQL().SetText(QStringLiteral("CREATE TABLE 't.dbf' (ID NUMERIC(5,0), NAME CHAR(8), X NUMERIC(8,2))"));
    create.ExecSQL();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString fileName = WriteFuzzFile(QStringLiteral("fuzz.sql"), FuzzBytes(data, size));
    try {
        const TAppliedStatement statement = ApplyStatementLines(LoadQueryFile(fileName));
        const QString text = statement.statementLines.join(QLatin1Char('\n'));
        db::SqlParameterNames(text);
        db::TQuery query;
        query.SQL().SetText(text);
        query.Prepare();
    } catch (const rtl::Exception &) {
    }
    return 0;
}

#pragma once
// A dataset over the rows of an SQL statement run on the database's folder of tables.

#include "platform/db/DataSet.h"
#include "platform/db/Params.h"

#include "platform/rtl/StringList.h"

namespace db {

class TQuery : public TDataSet
{
public:
    TQuery() = default;
    ~TQuery() override;

    /// The statement, one or more lines. Table names are file names in the database's folder,
    /// in single or double quotes or bare; ":NAME" marks a parameter.
    rtl::TStringList &SQL() { return m_sql; }
    /// The parameters of the statement as it now reads, in order of first appearance.
    TParams &Params();
    TParam &ParamByName(const QString &name) { return Params().ParamByName(name); }

    /// A live result: the rows of a SELECT of one table (no DISTINCT, grouping or aggregates)
    /// can be edited and appended to, and Post writes to the table's records. Other
    /// statements give a read-only result.
    bool RequestLive() const { return m_requestLive; }
    void SetRequestLive(bool live);

    /// Checks the statement and its tables without running it; throws EDatabaseError.
    void Prepare();
    void UnPrepare() { m_prepared = false; }
    bool Prepared() const { return m_prepared && m_preparedText == m_sql.Text(); }

    /// Runs the statement as a command: any statement, CREATE/ALTER/DROP TABLE included; a
    /// SELECT runs without its rows being kept. Throws EDatabaseError; a statement that
    /// fails changes no file.
    void ExecSQL();
    /// Rows changed by the last ExecSQL.
    int RowsAffected() const { return m_rowsAffected; }

protected:
    std::unique_ptr<RowSource> OpenSource(const DatabaseContext &context) override;

private:
    QString statementText();
    std::vector<std::pair<QString, QVariant>> boundParams();

    rtl::TStringList m_sql;
    TParams m_params;
    QStringList m_paramsLines; ///< the statement's lines when the parameters were last parsed
    bool m_paramsBuilt = false;
    bool m_requestLive = false;
    bool m_prepared = false;
    QString m_preparedText;
    int m_rowsAffected = 0;
};

} // namespace db

#pragma once
// Critical values of ordered differences as a service: the database "stat" with one dBASE table
// per distribution, the lookup of a stored row, the simulation when no row rests on enough gaps,
// and the storing of the answer with the twelve table levels. No window is needed; the
// statistics window watches the requests through CriticalValueFeedback.

#include "CriticalValueSource.h"

#include "platform/db/Database.h"
#include "platform/db/Query.h"

#include <QString>

#include <memory>
#include <unordered_map>
#include <vector>

/// One request for a critical value, as CriticalValueSource::GetCriticalValue takes it.
struct CriticalValueRequest
{
    uint8_t Kind = dkNone;
    int32_t N = 0;
    int32_t N2 = 0;
    int32_t Cases = 0;
    double Alpha = 0;
    int32_t Iterations = 0;
};

/// What a request reports while it runs; every step does nothing by default. Calls come in this
/// order: accepted, then (when no stored row serves) simulationStarted, simulationFinished
/// (also when the simulation fails) and simulated.
class CriticalValueFeedback
{
public:
    virtual ~CriticalValueFeedback() = default;
    /// The request passed its checks; its table row is looked up next.
    virtual void accepted(const CriticalValueRequest &) {}
    /// No stored row rests on enough gaps: `samples` samples are simulated now (long work).
    virtual void simulationStarted(const CriticalValueRequest &, int32_t /*samples*/) {}
    virtual void simulationFinished() {}
    /// The simulated gaps in ascending order and their readout at the request's level, before
    /// the rows are stored.
    virtual void simulated(const CriticalValueRequest &, const std::shared_ptr<const std::vector<double>> &,
                           long double /*readout*/)
    {
    }
};

class CriticalValues : public CriticalValueSource
{
public:
    /// A service whose database, until SetDatabasePath, lies in `startFolder`.
    explicit CriticalValues(QString startFolder);
    ~CriticalValues() override;
    CriticalValues(const CriticalValues &) = delete;
    CriticalValues &operator=(const CriticalValues &) = delete;

    /// The table name of a distribution kind ("Regular", "Normal", "chi-quadrat", "t"); empty
    /// for other kinds.
    static QString DistributionName(uint8_t Kind);

    /// Connects the database "stat" to the folder that holds the critical-value tables.
    /// Throws db::EDatabaseError when the database cannot be connected.
    void SetDatabasePath(const QString &Path);

    /// The stored value of the distribution's table when its row for Cases and Alpha rests on at
    /// least Iterations gaps, else a new simulation (rtl::Random reseeded first), stored with its
    /// twelve table levels before it answers. Kinds outside 1 to 4 and Cases below 2 are refused
    /// with an error through rtl::ShowWarning and the answer -1. Throws db::EDatabaseError when
    /// the table is missing or cannot be written, rtl::EMathError for kinds 3 and 4 with N below 1.
    double GetCriticalValue(uint8_t Kind, int32_t N, int32_t N2, int32_t Cases, double Alpha,
                            int32_t Iterations) override;

    /// Within a run the rows of a distribution and level are read once, at the first request.
    void BeginRun() override;
    void EndRun() override;

    /// Writes the readouts of `gaps` (ascending, simulated from samples of Cases values of Kind)
    /// at every level of AlphaLevels except Alpha into the distribution's table: a new row, or a
    /// row resting on fewer gaps rewritten. Does nothing without gaps or for a kind outside 1 to 4.
    void StoreCriticalValues(uint8_t Kind, int32_t Cases, const std::vector<double> &gaps, double Alpha);

    /// Points the query at the table of Kind (prepared, so that a bad statement fails here).
    void SelectDistribution(uint8_t Kind);

    /// The watcher of the requests (not owned); nullptr for none.
    void setFeedback(CriticalValueFeedback *feedback) { m_feedback = feedback ? feedback : &m_silent; }
    const CriticalValueFeedback *feedback() const { return m_feedback == &m_silent ? nullptr : m_feedback; }

    db::TDatabase &database() { return m_database; }
    db::TQuery &query() { return m_query; }

private:
    struct StoredRow
    {
        int32_t iterations = 0;
        double value = 0;
    };
    // The rows of one distribution and level, read once during a run, by number of cases.
    struct RunRows
    {
        bool loaded = false;
        uint8_t kind = dkNone;
        double alpha = 0;
        std::unordered_map<int32_t, StoredRow> byCases;
    };

    void ensureConnected();
    void openRow(int32_t Cases, double Alpha);
    std::shared_ptr<const std::vector<double>> simulate(const CriticalValueRequest &request, int32_t samples);
    void writeAnsweredRow(const CriticalValueRequest &request, int32_t count, double value);
    void storeLevel(int32_t Cases, const std::vector<double> &gaps, double Level);
    const StoredRow *storedInRun(uint8_t Kind, int32_t Cases, double Alpha);

    QString m_startFolder;
    db::TDatabase m_database;
    db::TQuery m_query;
    uint8_t m_kind = dkNone;
    int m_runDepth = 0;
    RunRows m_runRows;
    CriticalValueFeedback m_silent;
    CriticalValueFeedback *m_feedback = &m_silent;
};

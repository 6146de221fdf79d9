#include "CriticalValues.h"

#include "OrderedDiffSimulation.h"

#include "platform/db/Field.h"
#include "platform/rtl/Random.h"
#include "platform/rtl/SysUtils.h"
#include "platform/rtl/Warnings.h"

#include <cmath>
#include <cstdint>

namespace {

// The statement before any distribution is chosen.
const char *const kInitialStatement = "SELECT * FROM 'normal.dbf' WHERE (NMB = :NMB) AND (ALPHA = :ALPHA)";

QString StatementFor(const QString &distribution)
{
    return QStringLiteral("SELECT * FROM '") + distribution + QStringLiteral(".dbf'")
           + QStringLiteral(" WHERE (NMB = :NMB) AND (ALPHA = :ALPHA)");
}

// A number as the statistics window shows it: 15 significant digits, read back. The answered
// value and the level of a simulated request have always passed through the window's boxes
// this way, so the tables written so far hold such values in the answered rows; rounding the
// same way keeps new rows and answers identical to them (the other levels keep every digit).
double AsShown(long double value) { return rtl::StrToFloat(rtl::FloatToStrF(value, 15)); }

// Ends the simulation for the watcher however the simulation ends.
class SimulationScope
{
public:
    SimulationScope(CriticalValueFeedback &feedback, const CriticalValueRequest &request, int32_t samples)
        : m_feedback(feedback)
    {
        m_feedback.simulationStarted(request, samples);
    }
    ~SimulationScope() { m_feedback.simulationFinished(); }
    SimulationScope(const SimulationScope &) = delete;
    SimulationScope &operator=(const SimulationScope &) = delete;

private:
    CriticalValueFeedback &m_feedback;
};

} // namespace

CriticalValues::CriticalValues(QString startFolder) : m_startFolder(std::move(startFolder))
{
    m_database.SetDatabaseName(QStringLiteral("stat"));
    m_database.SetDriverName(QStringLiteral("STANDARD"));
    m_database.SetLoginPrompt(false);
    m_database.Params().Add(QStringLiteral("PATH=") + m_startFolder);
    m_database.Params().Add(QStringLiteral("DEFAULT DRIVER=DBASE"));
    m_database.Params().Add(QStringLiteral("ENABLE BCD=FALSE"));
    m_query.SetDatabaseName(QStringLiteral("stat"));
    m_query.SetRequestLive(true);
    m_query.SQL().Add(QString::fromLatin1(kInitialStatement));
}

CriticalValues::~CriticalValues() { m_query.Close(); }

QString CriticalValues::DistributionName(uint8_t Kind)
{
    switch (Kind) {
    case dkRegular:
        return QStringLiteral("Regular");
    case dkNormal:
        return QStringLiteral("Normal");
    case dkChiQuadrat:
        return QStringLiteral("chi-quadrat");
    case dkT:
        return QStringLiteral("t");
    default:
        return {};
    }
}

void CriticalValues::SetDatabasePath(const QString &Path)
{
    m_database.Close();
    m_database.Params().SetValues(QStringLiteral("PATH"), Path);
    m_database.Open();
}

void CriticalValues::ensureConnected()
{
    if (m_database.Connected())
        return;
    m_database.Params().SetValues(QStringLiteral("PATH"), m_startFolder);
    m_database.Open();
}

void CriticalValues::SelectDistribution(uint8_t Kind)
{
    m_kind = Kind;
    m_query.Close();
    m_query.SQL().Clear();
    m_query.SQL().Add(StatementFor(DistributionName(Kind)));
    m_query.Prepare();
    m_query.Params()[0].SetDataType(db::ftInteger);
    m_query.Params()[1].SetDataType(db::ftFloat);
}

void CriticalValues::openRow(int32_t Cases, double Alpha)
{
    m_query.Close();
    m_query.ParamByName(QStringLiteral("NMB")).SetAsInteger(Cases);
    m_query.ParamByName(QStringLiteral("ALPHA")).SetAsFloat(Alpha);
    m_query.Open();
}

double CriticalValues::GetCriticalValue(uint8_t Kind, int32_t N, int32_t N2, int32_t Cases, double Alpha,
                                        int32_t Iterations)
{
    ensureConnected();
    if (Kind < dkRegular || Kind > dkT) {
        rtl::ShowWarning(rtl::WarningKind::Error, QStringLiteral("Specify distribution"));
        return -1.0;
    }
    if (Cases < 2) {
        rtl::ShowWarning(rtl::WarningKind::Error,
                         QStringLiteral("Critical values need samples of at least 2 cases, not %1").arg(Cases));
        return -1.0;
    }
    if (!(Alpha > 0 && Alpha < 1)) {
        // A level outside the open interval has no quantile; nothing may be stored under it.
        rtl::ShowWarning(rtl::WarningKind::Error,
                         QStringLiteral("The probability of a critical value must lie between 0 and 1, not %1")
                             .arg(rtl::FloatToStr(Alpha)));
        return -1.0;
    }
    const CriticalValueRequest request{Kind, N, N2, Cases, Alpha, Iterations};
    m_feedback->accepted(request);
    if (Kind != m_kind)
        SelectDistribution(Kind);

    if (const StoredRow *row = storedInRun(Kind, Cases, Alpha); row && row->iterations >= Iterations)
        return row->value;
    openRow(Cases, Alpha);
    if (!m_query.IsEmpty() && m_query.FieldByName(QStringLiteral("ITERS"))->AsInteger() >= Iterations) {
        const double stored = m_query.FieldByName(QStringLiteral("VAL"))->AsFloat();
        m_query.Close();
        return stored;
    }

    const std::shared_ptr<const std::vector<double>> gaps = simulate(request, SamplesForGaps(Iterations, Cases));
    const long double readout = GapQuantile(*gaps, AsShown(Alpha));
    m_feedback->simulated(request, gaps, readout);
    const double value = AsShown(readout);
    writeAnsweredRow(request, int32_t(gaps->size()), value);
    StoreCriticalValues(Kind, Cases, *gaps, Alpha);
    return value;
}

void CriticalValues::BeginRun()
{
    if (m_runDepth++ == 0)
        m_runRows.loaded = false;
}

void CriticalValues::EndRun()
{
    if (m_runDepth > 0 && --m_runDepth == 0)
        m_runRows = RunRows();
}

// The row the lookup's statement would find first, from the rows of Kind and Alpha read once per
// run; nullptr outside a run or when there is none.
const CriticalValues::StoredRow *CriticalValues::storedInRun(uint8_t Kind, int32_t Cases, double Alpha)
{
    if (m_runDepth == 0)
        return nullptr;
    if (!m_runRows.loaded || m_runRows.kind != Kind || m_runRows.alpha != Alpha) {
        RunRows read{true, Kind, Alpha, {}};
        db::TQuery rows;
        rows.SetDatabaseName(m_database.DatabaseName());
        rows.SQL().Add(QStringLiteral("SELECT * FROM '") + DistributionName(Kind) + QStringLiteral(".dbf' WHERE (ALPHA = :ALPHA)"));
        rows.ParamByName(QStringLiteral("ALPHA")).SetAsFloat(Alpha);
        rows.Open();
        const db::TField *cases = rows.FieldByName(QStringLiteral("NMB"));
        const db::TField *iterations = rows.FieldByName(QStringLiteral("ITERS"));
        const db::TField *value = rows.FieldByName(QStringLiteral("VAL"));
        for (; !rows.Eof(); rows.Next()) {
            // Only a whole number of cases can equal the lookup's; the first such row answers.
            const double n = cases->AsFloat();
            if (!cases->IsNull() && n >= 2 && n <= double(INT32_MAX) && n == std::floor(n))
                read.byCases.try_emplace(int32_t(n), StoredRow{iterations->AsInteger(), value->AsFloat()});
        }
        m_runRows = std::move(read);
    }
    const auto found = m_runRows.byCases.find(Cases);
    return found == m_runRows.byCases.end() ? nullptr : &found->second;
}

std::shared_ptr<const std::vector<double>> CriticalValues::simulate(const CriticalValueRequest &request,
                                                                    int32_t samples)
{
    const SimulationScope scope(*m_feedback, request, samples);
    rtl::Randomize();
    return std::make_shared<const std::vector<double>>(SimulateGaps(request.Kind, request.N, request.Cases, samples));
}

// The row opened by the lookup: appended when there was none, else rewritten.
void CriticalValues::writeAnsweredRow(const CriticalValueRequest &request, int32_t count, double value)
{
    m_runRows.loaded = false;
    if (m_query.IsEmpty()) {
        m_query.Append();
        m_query.FieldByName(QStringLiteral("NMB"))->SetAsInteger(request.Cases);
        m_query.FieldByName(QStringLiteral("ALPHA"))->SetAsFloat(request.Alpha);
    } else {
        m_query.Edit();
    }
    m_query.FieldByName(QStringLiteral("ITERS"))->SetAsInteger(count);
    m_query.FieldByName(QStringLiteral("VAL"))->SetAsFloat(value);
    m_query.Post();
    m_query.Close();
}

void CriticalValues::StoreCriticalValues(uint8_t Kind, int32_t Cases, const std::vector<double> &gaps, double Alpha)
{
    if (gaps.empty() || Kind < dkRegular || Kind > dkT)
        return;
    m_runRows.loaded = false;
    if (Kind != m_kind)
        SelectDistribution(Kind);
    for (const double level : AlphaLevels) {
        if (level != Alpha)
            storeLevel(Cases, gaps, level);
    }
}

void CriticalValues::storeLevel(int32_t Cases, const std::vector<double> &gaps, double Level)
{
    const auto count = int32_t(gaps.size());
    const auto value = double(GapQuantile(gaps, Level));
    openRow(Cases, Level);
    if (m_query.IsEmpty()) {
        m_query.Append();
        m_query.FieldByName(QStringLiteral("NMB"))->SetAsInteger(Cases);
        m_query.FieldByName(QStringLiteral("ALPHA"))->SetAsFloat(Level);
    } else if (m_query.FieldByName(QStringLiteral("ITERS"))->AsInteger() < count) {
        m_query.Edit();
    } else {
        m_query.Close();
        return;
    }
    m_query.FieldByName(QStringLiteral("ITERS"))->SetAsInteger(count);
    m_query.FieldByName(QStringLiteral("VAL"))->SetAsFloat(value);
    m_query.Post();
    m_query.Close();
}

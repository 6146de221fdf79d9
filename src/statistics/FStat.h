#pragma once
// The "Statistics" window: quantile and probability calculators of the distributions, the
// Monte-Carlo simulation of ordered differences with its readout, curves and histograms in the
// graph window, text tables of critical values, and the critical values the main window asks
// for, kept in one dBASE table per distribution beside the program.

#include "CriticalValueSource.h"

#include "platform/db/Database.h"
#include "platform/db/Query.h"
#include "platform/ui/Dialogs.h"

#include <QWidget>

#include <memory>
#include <optional>
#include <vector>

namespace Ui {
class TFormStat;
}

namespace chart {
class TChartSeries;
}

class QLineEdit;

class TFormStat : public QWidget, public CriticalValueSource
{
    Q_OBJECT
public:
    explicit TFormStat(QWidget *parent = nullptr);
    ~TFormStat() override;

    /// Connects the database "stat" to the folder that holds the critical-value tables.
    /// Throws db::EDatabaseError when the database cannot be connected.
    void SetDatabasePath(const QString &Path);

    /// The critical value of ordered differences: the stored value of the distribution's table
    /// when its row for Cases and Alpha rests on at least Iterations gaps, else a new simulation
    /// (under the hourglass), stored with its twelve table levels before it answers. Kinds outside
    /// 1 to 4 and Cases below 2 are refused with an error box and the answer -1. The window shows
    /// the request's settings afterwards. Throws db::EDatabaseError when the table is missing
    /// or cannot be written.
    double GetCriticalValue(uint8_t Kind, int32_t N, int32_t N2, int32_t Cases, double Alpha,
                            int32_t Iterations) override;
    /// Writes the readouts of the last simulation at every level of AlphaLevels except Alpha into
    /// the distribution's table: a new row, or a row resting on fewer gaps rewritten.
    void StoreCriticalValues(double Alpha);
    /// Simulates Iterations samples of Cases values of the chosen distribution, reads the limit
    /// value, draws the curve when ShowGraph and, when Sender is given, stores the table levels.
    /// Does nothing while no distribution is chosen.
    void Simulate(int32_t Cases, int32_t Iterations, bool ShowGraph, QObject *Sender);

    // Window events and handlers.
    void FormActivate();
    void EditNormDblClick();
    void EditChi2DblClick();
    void EditTDblClick();
    void EditFDblClick();
    void BtnNormalDClick();
    void BtnChi2Click();
    void BtnTClick();
    void EditIterChange();
    void EditCaseChange();
    void EditNChange();
    void EditN2Change();
    void CB_GraphClick();
    void CB_DistribChange();
    void BtnLimitClick(QObject *Sender);
    void BtnDistributionClick(QObject *Sender);
    void BtnFrequencyClick();
    void BtnTableClick(QObject *Sender);

    // State read by tests.
    /// The gaps of the last simulation in ascending order; nullptr before the first one.
    const std::vector<double> *Diffs() const { return FDiffs ? &*FDiffs : nullptr; }
    bool Computed() const { return FComputed; }
    const QString &StartDir() const { return FStartDir; }
    uint8_t Kind() const { return FKind; }
    int32_t N() const { return FN; }
    int32_t N2() const { return FN2; }
    int32_t Cases() const { return FCases; }
    Ui::TFormStat &form() const { return *ui; }
    db::TDatabase &database() { return DBstatistics; }
    db::TQuery &query() { return QueryCritVal; }
    ui::TColorDialog &colorDialog() { return ColorDlg; }

protected:
    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void connectHandlers();
    void setupUpDowns();
    void SetStatement(const QString &Distribution);
    void OpenCriticalValueRow(int32_t Cases, double Alpha);
    void StoreLevel(double Level, int32_t Count);
    bool ReadyToSimulate() const;
    void DrawSeries(int32_t Cases, QObject *Sender);
    QColor NewSeriesColor(QObject *Sender);
    void ShowSeries(chart::TChartSeries *series);
    QString DistributionTitle(const QString &degrees) const;
    void WriteTextTable(const QStringList &lines);
    static QString Text(const QLineEdit *edit);

    std::unique_ptr<Ui::TFormStat> ui;
    ui::TColorDialog ColorDlg;
    db::TDatabase DBstatistics;
    db::TQuery QueryCritVal;

    std::optional<std::vector<double>> FDiffs;
    bool FComputed = false;
    QString FStartDir;
    uint8_t FKind = dkNone;
    int32_t FN = 0;
    int32_t FN2 = 0;
    int32_t FCases = 0;
    // The sample size of the simulation in FDiffs, under which its levels are stored.
    int32_t m_simulatedCases = 0;
    bool m_activated = false;
};

extern TFormStat *FormStat;

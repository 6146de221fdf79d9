#pragma once
// The "Statistics" window: quantile and probability calculators of the distributions, the
// Monte-Carlo simulation of ordered differences with its readout, curves and histograms in the
// graph window, text tables of critical values, and the critical values the main window asks
// for, kept in one dBASE table per distribution beside the program.

#include "CriticalValues.h"

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
    /// A window over a critical-value service of its own, whose tables start in the current folder.
    explicit TFormStat(QWidget *parent = nullptr);
    /// A window over `values` (not owned; it must outlive the window). The window watches every
    /// request to the service, whoever makes it.
    explicit TFormStat(CriticalValues &values, QWidget *parent = nullptr);
    ~TFormStat() override;

    /// The service that answers, simulates and stores critical values.
    CriticalValues &criticalValues() { return *m_values; }

    /// Connects the service's database "stat" to the folder that holds the critical-value tables.
    /// Throws db::EDatabaseError when the database cannot be connected.
    void SetDatabasePath(const QString &Path);

    /// Asks the service (CriticalValues::GetCriticalValue). The window shows the request's
    /// settings, and after a simulation its sample count, level and limit value; a simulation runs
    /// under the hourglass and becomes the window's last run.
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
    const std::vector<double> *Diffs() const { return FDiffs.get(); }
    bool Computed() const { return FComputed; }
    const QString &StartDir() const { return FStartDir; }
    uint8_t Kind() const { return FKind; }
    int32_t N() const { return FN; }
    int32_t N2() const { return FN2; }
    int32_t Cases() const { return FCases; }
    Ui::TFormStat &form() const { return *ui; }
    db::TDatabase &database() { return m_values->database(); }
    db::TQuery &query() { return m_values->query(); }
    ui::TColorDialog &colorDialog() { return ColorDlg; }

protected:
    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    class RequestView;

    TFormStat(std::unique_ptr<CriticalValues> ownValues, CriticalValues *values, QWidget *parent);
    void connectHandlers();
    void setupUpDowns();
    bool ReadyToSimulate() const;
    void DrawSeries(int32_t Cases, QObject *Sender);
    /// The colour of a new run's series; for a text-table run also its full colour value.
    QColor NewSeriesColor(QObject *Sender, std::optional<int32_t> &colorValue);
    int32_t TableSeriesColorValue() const;
    void ShowSeries(chart::TChartSeries *series);
    QString DistributionTitle(const QString &degrees) const;
    void WriteTextTable(const QStringList &lines);
    static QString Text(const QLineEdit *edit);

    std::unique_ptr<Ui::TFormStat> ui;
    ui::TColorDialog ColorDlg;
    std::unique_ptr<CriticalValues> m_ownValues;
    CriticalValues *m_values;
    std::unique_ptr<RequestView> m_requestView;

    std::shared_ptr<const std::vector<double>> FDiffs;
    bool FComputed = false;
    QString FStartDir;
    uint8_t FKind = dkNone;
    int32_t FN = 0;
    int32_t FN2 = 0;
    int32_t FCases = 0;
    // The sample size of the simulation in FDiffs, under which its levels are stored.
    int32_t m_simulatedCases = 0;
};

extern TFormStat *FormStat;

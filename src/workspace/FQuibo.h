#pragma once
// The main window: the open data, the ordered differences, the class limits and the views.

#include "Analysis.h"
#include "ToolWindows.h"

#include "platform/db/Database.h"
#include "platform/db/Query.h"
#include "platform/rtl/StringList.h"
#include "platform/ui/Dialogs.h"

#include <QPointer>
#include <QWidget>

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <vector>

class CriticalValueSource;
class TStatistics;
class QMenu;
class QRadioButton;

namespace Ui {
class FormQuibo;
}

namespace chart {
class TChart;
class TChartSeries;
class TLineSeries;
}

class TFormQuibo : public QWidget
{
    Q_OBJECT
public:
    explicit TFormQuibo(QWidget *parent = nullptr);
    ~TFormQuibo() override;

    // Window events.
    void FormCreate();
    void FormActivate();
    void FormResize();

    // Handlers.
    void BtnOpenClick();
    void BtnCloseClick(QObject *Sender);
    void BtnCancelClick(QObject *Sender);
    void BtnFunctionsClick();
    void EditProbabChange();
    void EditMinDevExit();
    void DistGridDblClick();
    void RB_distributionClick();
    void RB_CasesClick();
    void Statistics1Click();
    void DataItems1Click();
    void Tables1Click();
    void History1Click();
    void Help1Click();
    void I_HelponlineClick();
    void AboutQuibo1Click();
    void GraphSave1Click();
    void SaveDlgTypeChange();
    void Copytoclipboard1Click();
    /// Prints the report of the analysis on the printer chosen in the printer set-up dialog.
    void Print1Click();
    void Graphproperties1Click();
    void Importeditdata1Click();
    void ImportTalnex1Click();
    void SQLcommand1Click();
    /// The entry points of the import and SQL windows, which this library does not build.
    void SetToolWindows(TToolWindows Tools) { FToolWindows = std::move(Tools); }
    void Chart1ClickSeries(chart::TChartSeries *Series, int ValueIndex);
    void BtnQueryClick(QObject *Sender);
    void Closedatabase1Click();
    void Resultsintoclipboard1Click();

    // Data tables.
    /// Opens the table Name (full path) in the database "DBFtables" pointed at its folder; reads
    /// it at once when Name is the file being opened, otherwise only remembers it. Answers ''
    /// when the table is open; otherwise why not: the text of the error box it showed (a name
    /// that is no full path of a table file, a table not created or not read), or that the user
    /// declined to create it. Throws db::EDatabaseError when the folder cannot be opened.
    QString OpenDatabaseTable(const QString &Name);
    /// Asks whether and how to create the missing table Name; true when it was created, false
    /// when the user declined. Throws rtl::Exception when the table could not be made.
    bool CreateDatabaseTable(const QString &Name);
    /// Clears the view, the report, the items and the query before a read.
    void ResetForQuery();
    /// Reads the open table by a WHERE condition (without the word WHERE), the builder unseen.
    /// Answers the text of the error box it showed when the read failed, else '' (also when the
    /// condition selected no record).
    QString QueryWhere(const QString &Where);

    // Results list and output table.
    /// Writes the class entries of the results list from the judged classes.
    void StoreClassResults();
    /// Writes the entries of accepted regression Number.
    void StoreRegression(int Number, const TStatistics &Stat);
    /// Names the output table whose record, selected by KeyField, takes the results in MemoField.
    void SetOutputTable(const QString &TableName, const QString &KeyField, const QString &MemoField);
    /// Gives the output key its type code (1 string, 2 16-bit, 3 32-bit, 4 16-bit unsigned
    /// integer, 5 Boolean, 6 float, 9 date, 10 time) and its value from ItemText. Throws
    /// rtl::EConvertError for text the type rejects.
    void SetOutputKey(int ItemType, const QString &ItemText);
    /// Serving an automation client: the start screen goes, and Cancel and Esc no longer quit.
    void PrepareAutomation();

    // Regression, class limits read back and write-back.
    /// Fits a polynomial to one class's values over the items' predictor, shows it and, when
    /// accepted, subtracts it from every value and analyses again.
    void Dataregression1Click();
    void Runregressionscript1Click();
    /// Replays the regressions stored in the output table's memo; answers the number of
    /// regressions now applied (0 when none is stored) or -1 on an error.
    int32_t RunRegressionScript();
    /// Subtracts c0 + c1*x + ... + cDegree*x^Degree from every value and analyses again.
    /// Throws rtl::EInvalidOperation for a negative degree or too few coefficients.
    void ApplyRegression(int32_t Degree, const std::vector<double> &Coefficients);
    void Readclasslimits1Click();
    /// Sets the limits of the class sizes stored in the output table's memo, computes the class
    /// statistics and warns of differences from the stored ones; answers the number of classes,
    /// or -1 on an error.
    int32_t ReadClassLimits();
    /// Writes the reciprocal of a chosen class's average into FACTOR of every record read.
    void Setfactor1Click();
    /// Writes each item's class letters into CLAS of its record and the results into the output table.
    void SaveClassification1Click();

    // Services for automation, answered by the analysis the window shows.
    int32_t GetClassStat(int32_t Class, double &Avg, double &Std) const { return FAnalysis.ClassStat(Class, Avg, Std); }
    int32_t GetItemValueCount(int32_t Item) const { return FAnalysis.ItemValueCount(Item); }
    int32_t GetItemCount() const { return FAnalysis.ItemCount(); }
    int32_t GetItemValue(int32_t Item, int32_t Index, double &X) const { return FAnalysis.ItemValue(Item, Index, X); }
    int32_t GetClassCount() const { return FAnalysis.ClassCount(); }
    /// The minimal STD of the next class statistics, shown in its box.
    void SetMinStd(double Value);
    /// Ticks or clears the LOG-transformation box for the next read.
    void SetLogTransformation(bool Checked);

    /// Turns the marked limits into classes, judges each class by its critical values and
    /// fills the report, the limit marks and the class letters of the values. Answers false when
    /// it judged nothing and said why in a warning (too many classes, a bad probability).
    bool ComputeStatistics();
    /// Where the class statistics take their critical values; none set means the program's tables.
    void SetCriticalValueSource(CriticalValueSource *source) { FCriticalValues = source; }

    /// Recomputes the enabled and visible state of the controls from the open file and the items.
    void UpdateControls();
    /// True when the open file is a dBASE or Paradox table (extension .DBF or .DB in any case).
    bool IsDatabaseFile() const;

    /// Builds the ordered and differences lists from the used values and fills the grid.
    void Analyse();
    /// Removes the chart's series; with `Clear` also unchecks the views and removes the marks.
    void ResetView(bool Clear);
    /// Removes the limit of a grid row, or sets one.
    void ToggleLimit(int Row);
    /// Sets the limit of a grid row and draws its line.
    void AddLimitLine(int Row);
    /// Toggles the limit between ordered positions Position and Position + 1; answers 1 when
    /// toggled, 0 for the last ordered position, -1 when no row has that gap.
    int SetLimitAfter(int Position);
    /// 'A' + the class index of a value, or '?' for an item or value that does not exist.
    QChar ClassLetter(int Item, int ValueIndex) const;

    // State read by the other windows and by tests.
    TAnalysis &Analysis() { return FAnalysis; }
    const TAnalysis &Analysis() const { return FAnalysis; }
    const QString &FileName() const { return FFileName; }
    int ItemCount() const { return FAnalysis.ItemCount(); }
    const std::vector<TDataItem> &Items() const { return FAnalysis.Items(); }
    const std::vector<TValueRef> &Ordered() const { return FAnalysis.Ordered(); }
    const std::vector<TDifference> &Differences() const { return FAnalysis.Differences(); }
    const std::vector<TJudgedClass> &Classes() const { return FAnalysis.Classes(); }
    double Probability() const { return FProbability; }
    double MinStd() const { return FMinStd; }
    const QString &TransformText() const { return FTransformText; }
    const rtl::TStringList &Results() const { return FResults; }
    const rtl::TStringList *SqlLines() const { return FSqlLines.get(); }
    const QString &IdFieldName() const { return FIdFieldName; }
    uint8_t RegressionCount() const { return FRegressionCount; }
    db::TDatabase &database() { return Database1; }
    db::TQuery &query() { return Query; }
    db::TQuery *OutputQuery() const { return FOutputQuery.get(); }
    const QString &OutputTable() const { return FOutputTable; }
    const QString &OutputMemoField() const { return FOutputMemoField; }
    bool Activated() const { return FActivated; }
    QMenu *popupFunctions() const { return PopupFunctions; }
    ui::TSaveDialog &saveDialog() { return SaveDlg; }
    Ui::FormQuibo &form() const { return *ui; }

    /// The folder of the running program (critical-value tables, history file).
    static QString ExecutableFolder();
    /// The history file loaded at the first activation: "history.txt" in the executable's folder
    /// unless set before that.
    QString HistoryFileName() const { return FHistoryFileName; }
    void SetHistoryFileName(const QString &fileName) { FHistoryFileName = fileName; }

signals:
    /// The application should end (the user confirmed the quit).
    void quitRequested();

protected:
    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void connectHandlers();
    void setHelpContexts();
    void buildPopupMenu();
    void setUpDatabase();
    bool OpenTextFile();
    void WarnTruncatedLines(const QList<int> &lines);
    /// Reads the records of the final statement; `expectedRecords` is the builder's count of them.
    void ReadQueryRecords(int32_t expectedRecords);
    /// The read of BtnQueryClick; answers the text of the error box it showed when it failed.
    QString ReadByQuery(QObject *Sender);
    void AbandonQuery(const QString &message, ui::TMsgDlgType type);
    /// Abandons the read with an error box; answers its text.
    QString FailQuery(const QString &message);
    /// Why Name cannot be opened as a table (not a full path, not a table's extension, not a
    /// file); '' when it can.
    static QString UnfitTableName(const QString &Name);
    /// No table is open after all: shows `failure` in an error box when `showBox`; answers it.
    QString CloseUnopenedTable(const QString &failure, bool showBox);
    static QString CreateQuestion(const QString &Name);
    void WarnTruncatedRecords(const QStringList &ids);
    void AbandonReading(const QString &warning);
    void FillDistGrid();
    void ClearDistGrid();
    void ShowLimitMarks();
    /// Shows the report beside this window; the windows the user opened go clear of it.
    void showReport();
    void RemoveLimitLine(int row);
    QWidget *Panel1() const;
    void AddHistoryItem(const QString &Action, const QString &Detail);
    CriticalValueSource &CriticalValues() const;
    void SetViewChecked(QRadioButton *button, bool checked);
    chart::TChart *Chart1() const;
    int AskRegressionClass();
    int AskRegressionDegree();
    std::optional<int> AskFactorClass();
    void Detrend(QObject *Sender, int Degree, const std::vector<double> &Coefficients, const std::vector<double> &xs,
                 const std::function<double(double)> &curve);
    bool ReadOutputMemo(rtl::TStringList &memo);
    void SelectCasesView();
    void WriteResultsMemo(int clasWritten);
    // The error box after CLAS could not be written; the results were not written either.
    void ReportClassificationNotWritten(const QString &reason);

    std::unique_ptr<Ui::FormQuibo> ui;
    QMenu *PopupFunctions = nullptr;
    ui::TOpenDialog OpenDlg;
    ui::TSaveDialog SaveDlg;

    bool FActivated = false;
    bool m_quitting = false;
    TAnalysis FAnalysis;
    double FMinStd = 0.0;
    QString FFileName;
    QString FTransformText;
    bool FRandomized = false;
    CriticalValueSource *FCriticalValues = nullptr;
    TToolWindows FToolWindows;
    double FProbability = 0.95;
    rtl::TStringList FResults;
    QString FHistoryFileName;
    db::TDatabase Database1;
    db::TQuery Query;
    std::unique_ptr<rtl::TStringList> FSqlLines;
    QString FIdFieldName = QStringLiteral("ID");
    bool FAutomationQuery = false;
    double FSkipValue = 0.0;
    uint8_t FRegressionCount = 0;
    std::unique_ptr<db::TQuery> FOutputQuery;
    QString FOutputTable;
    QString FOutputMemoField;
    // The line series of each limit row; the chart properties dialog may free them.
    std::map<int, QPointer<chart::TLineSeries>> m_limitLines;
};

/// The address of the on-line help.
extern const char *const OnlineHelpUrl;

/// The main window of the run.
extern TFormQuibo *FormQuibo;

// The main window: regression detrending, the regression script and the class limits read back.
#include "FQuibo.h"

#include "Detrend.h"
#include "FQuiboHelpers.h"
#include "ResultsList.h"
#include "StoredResults.h"
#include "ui_FQuibo.h"

#include "statistics/RegressionChart.h"

// ---- Regression ----

void TFormQuibo::Dataregression1Click()
{
    if (FAnalysis.Classes().empty()) {
        warn(QStringLiteral("Run statistics firstly"));
        return;
    }
    const int index = AskRegressionClass();
    const int degree = AskRegressionDegree();
    TStatistics statistics;
    statistics.FMissingX = -9999.9999L;
    statistics.FMissingY = -9999.9999L;
    // Every predictor is read first: an identifier that is no number stops the command before
    // anything is fitted or changed.
    const std::vector<double> xs = Predictors(FAnalysis.Items(), PredictorFor(FFileName));
    AddClassPoints(statistics, FAnalysis.Items(), index, xs);
    statistics.Compute(uint8_t(degree));
    // A fit whose system could not be solved has no polynomial to show, subtract or store.
    bool applied = false;
    if (statistics.FComputed && statistics.HasPolynomial() && statistics.FCountX > degree + 2) {
        DrawRegressionToChart(statistics, *Chart1(), false);
        if (ui::MessageDlg(QStringLiteral("Coefficient of determination Sqr(r)=")
                               + rtl::FloatToStr(double(statistics.FDetermination))
                               + QStringLiteral("\r\nDo you accept regression line?"),
                           ui::TMsgDlgType::mtConfirmation, ui::TMsgDlgButtons::mbYesNo)
            == ui::mrYes) {
            const std::vector<double> coefficients(statistics.FCoefficients.begin(), statistics.FCoefficients.end());
            Detrend(ui->Dataregression1, statistics.FOrder, coefficients, xs,
                    [&statistics](double x) { return double(statistics.Evaluate(x)); });
            StoreRegression(FRegressionCount, statistics);
            applied = true;
        }
    }
    if (applied)
        AddHistoryItem(QStringLiteral("Regression"), QStringLiteral("Class=%1,Degree=%2").arg(index).arg(degree));
    else
        ui::MessageDlg(QStringLiteral("Regression was not calculated"), ui::TMsgDlgType::mtInformation,
                       ui::TMsgDlgButtons::mbOK);
}

// Cancel answers the prompt's default (class A, degree 1); the fit is still shown for acceptance.
int TFormQuibo::AskRegressionClass()
{
    const int classCount = int(FAnalysis.Classes().size());
    for (;;) {
        const QString answer
            = ui::InputBox(QStringLiteral("Regression setting"), QStringLiteral("Index of class"), QStringLiteral("A")).toUpper();
        if (answer.isEmpty())
            continue;
        const int index = answer[0].unicode() - u'A';
        if (index < classCount)
            return index;
        warn(QStringLiteral("Class must be less or equal to ") + ClassResultLetter(classCount - 1));
    }
}

int TFormQuibo::AskRegressionDegree()
{
    for (;;) {
        const int degree = rtl::StrToInt(
            ui::InputBox(QStringLiteral("Regression setting"), QStringLiteral("Polynom degree (1-9)"), QStringLiteral("1")));
        if (degree >= 1 && degree <= 9)
            return degree;
        warn(QStringLiteral("Index must be between 1 and 9"));
    }
}

void TFormQuibo::Detrend(QObject *Sender, int Degree, const std::vector<double> &Coefficients,
                         const std::vector<double> &xs, const std::function<double(double)> &curve)
{
    SubtractCurve(FAnalysis.Items(), xs, curve);
    FTransformText = TransformTextWithRegression(FTransformText, Degree);
    BtnCloseClick(Sender);
    Analyse();
    Chart1()->SetTitle(Chart1()->Title() << RegressionTitleLine(Coefficients, FIdFieldName));
    ++FRegressionCount;
}

void TFormQuibo::ApplyRegression(int32_t Degree, const std::vector<double> &Coefficients)
{
    if (Degree < 0 || int64_t(Coefficients.size()) < int64_t(Degree) + 1)
        throw rtl::EInvalidOperation(QStringLiteral("A regression of degree %1 needs %2 coefficients, not %3")
                                         .arg(Degree)
                                         .arg(int64_t(Degree) + 1)
                                         .arg(Coefficients.size()));
    const std::vector<double> c(Coefficients.begin(), Coefficients.begin() + Degree + 1);
    Detrend(ui->Runregressionscript1, Degree, c, Predictors(FAnalysis.Items(), PredictorFor(FFileName)),
            [&c](double x) { return PolynomialValue(c, x); });
}

void TFormQuibo::Runregressionscript1Click() { RunRegressionScript(); }

int32_t TFormQuibo::RunRegressionScript()
{
    if (FRegressionCount != 0) {
        warn(QStringLiteral("Adding an automatic regression is not possible."));
        return -1;
    }
    if (!FOutputQuery) {
        warn(QStringLiteral("Error: Database configuration."));
        return -1;
    }
    rtl::TStringList stored;
    if (!ReadOutputMemo(stored)) {
        SelectCasesView();
        return -1;
    }
    const QString count = stored.Values(QStringLiteral("number_of_regression"));
    if (count.isEmpty())
        return 0;
    const int32_t N = rtl::StrToInt(count);
    for (int r = 1; r <= N; ++r) {
        TStoredRegression regression;
        try {
            regression = ReadStoredRegression(stored, r);
        } catch (const EStoredResultError &error) {
            warn(error.Message());
            return -1;
        }
        ApplyRegression(regression.Degree, regression.Coefficients);
        CopyRegressionEntries(stored, r, regression.Degree, FResults, FRegressionCount);
    }
    SelectCasesView();
    return FRegressionCount;
}

bool TFormQuibo::ReadOutputMemo(rtl::TStringList &memo)
{
    OpenedQuery opened(*FOutputQuery);
    db::TField *field = FOutputQuery->FindField(FOutputMemoField);
    if (!field)
        return false;
    if (!FOutputQuery->IsEmpty())
        field->AssignTo(memo);
    return true;
}

void TFormQuibo::SelectCasesView()
{
    if (!FAnalysis.IsAnalysed())
        return;
    ui->RB_Cases->setChecked(true);
    RB_CasesClick();
}

// ---- Class limits read back and services ----

void TFormQuibo::Readclasslimits1Click() { ReadClassLimits(); }

int32_t TFormQuibo::ReadClassLimits()
{
    if (!FOutputQuery) {
        warn(QStringLiteral("Error: Database configuration."));
        return -1;
    }
    rtl::TStringList memo;
    ReadOutputMemo(memo); // without the memo field no class is read and the rest still runs
    const int64_t orderedCount = int64_t(FAnalysis.Ordered().size());
    std::vector<TStoredClass> stored;
    int64_t cum = -1;
    for (int c = 0;; ++c) {
        const QString entry = ResultValue(memo, ClassResultKey(c));
        if (entry.isEmpty())
            break;
        TStoredClass cls;
        const int n = ParseClassStat(entry, cls.Average, cls.Std);
        stored.push_back(cls);
        if (n >= 1)
            cum += n;
        if (n < 1 || cum >= orderedCount || SetLimitAfter(int(cum)) < 0) {
            warn(QStringLiteral("Error: Class read: ") + ClassResultLetter(c));
            return -1;
        }
    }
    if (!ComputeStatistics())
        return -1; // the classes read were not judged: no count of them would be true
    const int32_t classCount = FAnalysis.ClassCount();
    const QStringList differences = ClassDifferenceLines(stored, FAnalysis.Classes(), cum, orderedCount);
    if (!differences.isEmpty())
        warn(QStringLiteral("Classes loaded with some differences:\r\n") + differences.join(QStringLiteral("\r\n")));
    return classCount;
}

void TFormQuibo::SetMinStd(double Value)
{
    FMinStd = Value;
    ui->EditMinDev->setText(rtl::FloatToStr(Value));
}

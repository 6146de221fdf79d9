#include "FStat.h"

#include "ui_FStat.h"

#include "FGraph.h"
#include "OrderedDiffSimulation.h"
#include "Ustatistics.h"

#include "platform/chart/Chart.h"
#include "platform/chart/Color.h"
#include "platform/rtl/Random.h"
#include "platform/rtl/SysUtils.h"
#include "platform/rtl/WholeFile.h"
#include "platform/ui/Application.h"
#include "platform/ui/Help.h"

#include <QDir>
#include <QMouseEvent>
#include <QSignalBlocker>

#include <optional>

#include <cmath>
#include <limits>

TFormStat *FormStat = nullptr;

namespace {

constexpr int kHelpContext = 130;
constexpr int kUpDownMax = 10000;
// The full colour value of a text-table series, which may exceed the colour's 24 bits.
constexpr const char *kColorValueProperty = "quiboColorValue";

bool HasDegreesOfFreedom(uint8_t kind) { return kind == dkChiQuadrat || kind == dkT; }

QString NumberText(long double value) { return rtl::FloatToStrF(value, 15); }

// Writes a result into a box so that it shows from its first digit: a long number in a narrow
// box would otherwise show only its tail, which reads as another number.
void ShowResult(QLineEdit *edit, const QString &text)
{
    edit->setText(text);
    edit->setCursorPosition(0);
}

} // namespace

// What the window shows of a request to its service.
class TFormStat::RequestView : public CriticalValueFeedback
{
public:
    explicit RequestView(TFormStat &form) : m_form(form) {}

    void accepted(const CriticalValueRequest &request) override
    {
        Ui::TFormStat &ui = *m_form.ui;
        if (request.Kind != m_form.FKind) {
            m_form.FKind = request.Kind;
            const QSignalBlocker quiet(ui.CB_Distrib);
            ui.CB_Distrib->setCurrentIndex(request.Kind - 1);
        }
        m_form.FN = request.N;
        ui.EditN->setText(QString::number(request.N));
        m_form.FN2 = request.N2;
        ui.EditN2->setText(QString::number(request.N2));
        m_form.FCases = request.Cases;
        ui.EditCase->setText(QString::number(request.Cases));
    }

    void simulationStarted(const CriticalValueRequest &request, int32_t samples) override
    {
        Ui::TFormStat &ui = *m_form.ui;
        ShowResult(ui.EditAlpha, rtl::FloatToStr(request.Alpha));
        ui.EditIter->setText(QString::number(samples));
        ui.EditCase->setText(QString::number(request.Cases));
        m_form.repaint();
        m_hourglass.emplace();
    }

    void simulationFinished() override { m_hourglass.reset(); }

    void simulated(const CriticalValueRequest &request, const std::shared_ptr<const std::vector<double>> &gaps,
                   long double readout) override
    {
        m_form.FDiffs = gaps;
        m_form.m_simulatedCases = request.Cases;
        m_form.FComputed = true;
        ShowResult(m_form.ui->EditLimitVal, NumberText(readout));
    }

private:
    TFormStat &m_form;
    std::optional<ui::TWaitCursor> m_hourglass;
};

TFormStat::TFormStat(QWidget *parent)
    : TFormStat(std::make_unique<CriticalValues>(QDir::currentPath()), nullptr, parent)
{
}

TFormStat::TFormStat(CriticalValues &values, QWidget *parent) : TFormStat(nullptr, &values, parent) {}

TFormStat::TFormStat(std::unique_ptr<CriticalValues> ownValues, CriticalValues *values, QWidget *parent)
    : QWidget(parent),
      ui(std::make_unique<Ui::TFormStat>()),
      m_ownValues(std::move(ownValues)),
      m_values(values ? values : m_ownValues.get()),
      m_requestView(std::make_unique<RequestView>(*this))
{
    ui->setupUi(this);
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint
                   | Qt::WindowCloseButtonHint);
    setFixedSize(size());
    ui::SetHelpContext(this, kHelpContext);
    setupUpDowns();

    // The layout's defaults 0,95 and 0,1, written with this locale's decimal separator.
    ui->EditAlpha->setText(rtl::FloatToStr(0.95));
    ui->EditInterval->setText(rtl::FloatToStr(0.1));
    FStartDir = QDir::currentPath();
    // The sample size the window shows, so that a run started from the buttons stores its rows
    // under it even before the box was changed.
    FCases = rtl::StrToInt(ui->EditCase->text());
    m_values->setFeedback(m_requestView.get());

    connectHandlers();
}

TFormStat::~TFormStat()
{
    if (m_values->feedback() == m_requestView.get())
        m_values->setFeedback(nullptr);
    m_values->query().Close();
    // The graph window was made by this window; its series belong to this window.
    delete FormGraph;
    if (FormStat == this)
        FormStat = nullptr;
}

void TFormStat::setupUpDowns()
{
    const struct
    {
        ui::TUpDown *upDown;
        QLineEdit *edit;
        int min, max, increment;
    } bindings[] = {
        {ui->UpDown3, ui->EditN, 0, kUpDownMax, 1},
        {ui->UpDown4, ui->EditN2, 0, kUpDownMax, 1},
        {ui->UpDown1, ui->EditIter, 0, kUpDownMax, 100},
        {ui->UpDown2, ui->EditCase, 2, 100, 1},
    };
    for (const auto &b : bindings) {
        b.upDown->SetRange(b.min, b.max);
        b.upDown->SetIncrement(b.increment);
        b.upDown->SetAssociate(b.edit);
        b.upDown->SetPosition(rtl::StrToInt(b.edit->text()));
    }
}

void TFormStat::connectHandlers()
{
    for (QLineEdit *edit : {ui->EditNorm, ui->EditChi2, ui->EditT, ui->EditF})
        edit->installEventFilter(this);
    connect(ui->BtnNormalD, &QToolButton::clicked, this, &TFormStat::BtnNormalDClick);
    connect(ui->BtnChi2, &QToolButton::clicked, this, &TFormStat::BtnChi2Click);
    connect(ui->BtnT, &QToolButton::clicked, this, &TFormStat::BtnTClick);
    connect(ui->EditIter, &QLineEdit::textChanged, this, &TFormStat::EditIterChange);
    connect(ui->EditCase, &QLineEdit::textChanged, this, &TFormStat::EditCaseChange);
    connect(ui->EditN, &QLineEdit::textChanged, this, &TFormStat::EditNChange);
    connect(ui->EditN2, &QLineEdit::textChanged, this, &TFormStat::EditN2Change);
    connect(ui->CB_Graph, &QCheckBox::toggled, this, &TFormStat::CB_GraphClick);
    connect(ui->CB_Distrib, &QComboBox::activated, this, &TFormStat::CB_DistribChange);
    connect(ui->BtnDistribution, &QToolButton::clicked, this, [this] { BtnDistributionClick(ui->BtnDistribution); });
    connect(ui->BtnLimit, &QToolButton::clicked, this, [this] { BtnLimitClick(ui->BtnLimit); });
    connect(ui->BtnFrequency, &QToolButton::clicked, this, &TFormStat::BtnFrequencyClick);
    connect(ui->BtnTable, &QPushButton::clicked, this, [this] { BtnTableClick(ui->BtnTable); });
}

bool TFormStat::event(QEvent *event)
{
    if (event->type() == QEvent::WindowActivate || event->type() == QEvent::Show)
        FormActivate();
    return QWidget::event(event);
}

bool TFormStat::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseButtonDblClick) {
        if (watched == ui->EditNorm)
            EditNormDblClick();
        else if (watched == ui->EditChi2)
            EditChi2DblClick();
        else if (watched == ui->EditT)
            EditTDblClick();
        else if (watched == ui->EditF)
            EditFDblClick();
    }
    return QWidget::eventFilter(watched, event);
}

QString TFormStat::Text(const QLineEdit *edit) { return edit->text(); }

void TFormStat::SetDatabasePath(const QString &Path) { m_values->SetDatabasePath(Path); }

void TFormStat::FormActivate()
{
    if (FormGraph)
        return;
    FormGraph = new TFormGraph;
    FormGraph->hide();
    // "Graph" follows the window, so that ticking it, or the next curve, shows it again.
    connect(FormGraph, &TFormGraph::closed, this, [this] { ui->CB_Graph->setChecked(false); });
}

// Calculators.

void TFormStat::EditNormDblClick()
{
    if (Text(ui->EditAlpha).isEmpty())
        return;
    ShowResult(ui->EditNorm, NumberText(NormalQuantile(rtl::StrToFloatExt(Text(ui->EditAlpha)))));
}

void TFormStat::EditChi2DblClick()
{
    if (Text(ui->EditAlpha).isEmpty() || Text(ui->EditN).isEmpty())
        return;
    const long double alpha = rtl::StrToFloatExt(Text(ui->EditAlpha));
    ShowResult(ui->EditChi2, NumberText(ChiSquareQuantile(rtl::StrToInt(Text(ui->EditN)), alpha)));
}

void TFormStat::EditTDblClick()
{
    if (Text(ui->EditAlpha).isEmpty() || Text(ui->EditN).isEmpty())
        return;
    const long double alpha = rtl::StrToFloatExt(Text(ui->EditAlpha));
    ShowResult(ui->EditT, NumberText(StudentQuantile(rtl::StrToInt(Text(ui->EditN)), alpha)));
}

void TFormStat::EditFDblClick()
{
    if (Text(ui->EditAlpha).isEmpty() || Text(ui->EditN).isEmpty() || Text(ui->EditN2).isEmpty())
        return;
    const long double alpha = rtl::StrToFloatExt(Text(ui->EditAlpha));
    ShowResult(ui->EditF,
               NumberText(FisherQuantile(rtl::StrToInt(Text(ui->EditN)), rtl::StrToInt(Text(ui->EditN2)), alpha)));
}

void TFormStat::BtnNormalDClick()
{
    if (Text(ui->EditNorm).isEmpty())
        return;
    ShowResult(ui->EditAlpha, NumberText(NormalProbability(rtl::StrToFloatExt(Text(ui->EditNorm)))));
}

void TFormStat::BtnChi2Click()
{
    if (Text(ui->EditChi2).isEmpty())
        return;
    const int32_t n = rtl::StrToInt(Text(ui->EditN));
    ShowResult(ui->EditAlpha, NumberText(ChiSquareProbability(n, rtl::StrToFloatExt(Text(ui->EditChi2)))));
}

void TFormStat::BtnTClick()
{
    if (Text(ui->EditT).isEmpty())
        return;
    const int32_t n = rtl::StrToInt(Text(ui->EditN));
    ShowResult(ui->EditAlpha, NumberText(StudentProbability(n, rtl::StrToFloatExt(Text(ui->EditT)))));
}

// Settings.

void TFormStat::EditIterChange() { FComputed = false; }

void TFormStat::EditCaseChange()
{
    FComputed = false;
    if (!Text(ui->EditCase).isEmpty())
        FCases = rtl::StrToInt(Text(ui->EditCase));
}

void TFormStat::EditNChange()
{
    if (!Text(ui->EditN).isEmpty())
        FN = rtl::StrToInt(Text(ui->EditN));
}

void TFormStat::EditN2Change()
{
    if (!Text(ui->EditN2).isEmpty())
        FN2 = rtl::StrToInt(Text(ui->EditN2));
}

void TFormStat::CB_GraphClick()
{
    FormActivate();
    if (ui->CB_Graph->isChecked() && !FormGraph->isVisible())
        ui::MoveClearOfWindowsOnTop(*FormGraph, ui::FrameMargins(*this));
    FormGraph->setVisible(ui->CB_Graph->isChecked());
}

// The entries of CB_Distrib are the distribution kinds in order, from 1.
void TFormStat::CB_DistribChange()
{
    m_values->query().Close();
    FComputed = false;
    FKind = uint8_t(ui->CB_Distrib->currentIndex() + 1);
    m_values->SelectDistribution(FKind);
}

// Simulation and readout.

bool TFormStat::ReadyToSimulate() const
{
    return !Text(ui->EditIter).isEmpty() && rtl::StrToInt(Text(ui->EditIter)) >= 1 && !Text(ui->EditCase).isEmpty()
           && rtl::StrToInt(Text(ui->EditCase)) >= 2;
}

void TFormStat::Simulate(int32_t Cases, int32_t Iterations, bool ShowGraph, QObject *Sender)
{
    if (FKind == dkNone)
        return;
    // No hourglass here: only a request of another window shows it (the request view).
    rtl::Randomize();
    FDiffs = std::make_shared<const std::vector<double>>(SimulateGaps(FKind, FN, Cases, Iterations));
    m_simulatedCases = Cases;
    FComputed = true;
    BtnLimitClick(Sender);
    if (ShowGraph)
        DrawSeries(Cases, Sender);
    if (Sender)
        StoreCriticalValues(-1.0);
}

void TFormStat::BtnLimitClick(QObject *Sender)
{
    ui->EditLimitVal->setText(QStringLiteral("-1"));
    if (FComputed) {
        if (Text(ui->EditAlpha).isEmpty())
            return;
        const double alpha = rtl::StrToFloat(Text(ui->EditAlpha));
        ShowResult(ui->EditLimitVal, NumberText(GapQuantile(*FDiffs, alpha)));
    } else if (ReadyToSimulate()) {
        Simulate(rtl::StrToInt(Text(ui->EditCase)), rtl::StrToInt(Text(ui->EditIter)), true, Sender);
    }
}

void TFormStat::BtnDistributionClick(QObject *Sender)
{
    if (ReadyToSimulate())
        Simulate(rtl::StrToInt(Text(ui->EditCase)), rtl::StrToInt(Text(ui->EditIter)), true, Sender);
}

// Graph series.

QString TFormStat::DistributionTitle(const QString &degrees) const
{
    QString title = ui->CB_Distrib->currentText();
    if (HasDegreesOfFreedom(FKind))
        title += QLatin1Char('[') + degrees + QLatin1Char(']');
    return title;
}

int32_t TFormStat::TableSeriesColorValue() const
{
    const chart::TChart *chart = FormGraph->Chart1();
    if (chart->SeriesCount() == 0) {
        const long double r1 = rtl::Random(), r2 = rtl::Random(), r3 = rtl::Random();
        return int32_t(r1 * 256 + r2 * 65536 + r3 * 16777216);
    }
    // Each further series of a text table takes a colour derived from the full colour value of the
    // one before it, bits above the 24 colour bits included.
    const chart::TChartSeries *last = chart->Series(chart->SeriesCount() - 1);
    const QVariant stored = last->property(kColorValueProperty);
    const int32_t value = stored.isValid() ? stored.toInt() : chart::TColorFromColor(last->SeriesColor());
    const auto derived = int32_t(uint32_t(int64_t(65000) - value) * 200u); // 32 bits, wrapping
    return derived == std::numeric_limits<int32_t>::min() ? derived : std::abs(derived);
}

QColor TFormStat::NewSeriesColor(QObject *Sender, std::optional<int32_t> &colorValue)
{
    colorValue.reset();
    if (Sender != ui->BtnTable)
        return ColorDlg.Execute() ? ColorDlg.Color : QColor(Qt::black);
    colorValue = TableSeriesColorValue();
    return chart::ColorFromTColor(*colorValue);
}

void TFormStat::ShowSeries(chart::TChartSeries *series)
{
    chart::TChart *chart = FormGraph->Chart1();
    chart->AddSeries(series);
    chart->SetLegendVisible(chart->SeriesCount() > 1);
}

void TFormStat::DrawSeries(int32_t Cases, QObject *Sender)
{
    FormActivate();
    std::optional<int32_t> colorValue;
    const QColor color = NewSeriesColor(Sender, colorValue);
    if (ui->CB_DelOld->isChecked()) {
        while (FormGraph->Chart1()->SeriesCount() > 1)
            FormGraph->BtnDeleteClick();
    }
    const std::vector<double> &gaps = *FDiffs;
    std::vector<double> shares(gaps.size());
    for (size_t i = 0; i < gaps.size(); ++i)
        shares[i] = double(i + 1) / double(gaps.size());
    auto *series = new chart::TLineSeries(this);
    series->SetSeriesColor(color);
    if (colorValue)
        series->setProperty(kColorValueProperty, *colorValue);
    series->SetPoints(gaps, std::move(shares));
    series->SetTitle(QStringLiteral("Dif(") + DistributionTitle(QString::number(FN)) + QStringLiteral(")[")
                     + QString::number(Cases) + QLatin1Char(']'));
    ShowSeries(series);
    if (!FormGraph->isVisible())
        ui->CB_Graph->setChecked(true);
}

// Critical-value tables.

double TFormStat::GetCriticalValue(uint8_t Kind, int32_t N, int32_t N2, int32_t Cases, double Alpha, int32_t Iterations)
{
    return m_values->GetCriticalValue(Kind, N, N2, Cases, Alpha, Iterations);
}

void TFormStat::StoreCriticalValues(double Alpha)
{
    if (FDiffs)
        m_values->StoreCriticalValues(FKind, m_simulatedCases, *FDiffs, Alpha);
}

// Histogram and text table.

void TFormStat::BtnFrequencyClick()
{
    if (!FDiffs || !FComputed || Text(ui->EditInterval).isEmpty())
        return;
    const double w = rtl::StrToFloat(Text(ui->EditInterval));
    if (!(w > 0))
        return;
    const std::vector<THistogramBar> bars = GapHistogram(*FDiffs, w);
    FormActivate();
    const QColor color = ColorDlg.Execute() ? ColorDlg.Color : QColor(Qt::black);
    auto *series = new chart::TBarSeries(this);
    series->SetSeriesColor(color);
    series->SetBarWidthPercent(100);
    std::vector<double> x(bars.size()), y(bars.size());
    for (size_t i = 0; i < bars.size(); ++i)
        x[i] = bars[i].X, y[i] = bars[i].Y;
    series->SetPoints(std::move(x), std::move(y));
    series->SetTitle(QStringLiteral("Fd(") + DistributionTitle(Text(ui->EditN)) + QStringLiteral(")[")
                     + Text(ui->EditCase) + QLatin1Char(']'));
    ShowSeries(series);
}

void TFormStat::BtnTableClick(QObject *Sender)
{
    if (FKind == dkNone) {
        // Without a distribution nothing is simulated: a table of -1 would be no result.
        ui::MessageDlg(QStringLiteral("Specify distribution"), ui::TMsgDlgType::mtError, ui::TMsgDlgButtons::mbOK);
        return;
    }
    const int32_t iterations = rtl::StrToInt(Text(ui->EditIter));
    const int32_t cases = rtl::StrToInt(Text(ui->EditCase));
    const int64_t total = int64_t(cases - 1) * iterations;
    QString header = QStringLiteral("n");
    for (const double level : AlphaLevels)
        header += QLatin1Char(';') + rtl::FloatToStr(level);
    QStringList lines{header};
    for (int32_t n = 2; n <= cases; ++n) {
        ui->EditCase->setText(QString::number(n));
        ui->EditIter->setText(QString::number(int64_t(std::trunc(static_cast<long double>(total - 1) / (n - 1))) + 1));
        ui->EditAlpha->setText(rtl::FloatToStr(AlphaLevels.front()));
        BtnDistributionClick(Sender);
        repaint();
        if (FormGraph)
            FormGraph->repaint();
        QString line = Text(ui->EditCase) + QLatin1Char(';') + Text(ui->EditLimitVal);
        for (size_t i = 1; i < AlphaLevels.size(); ++i) {
            ui->EditAlpha->setText(rtl::FloatToStr(AlphaLevels[i]));
            BtnLimitClick(Sender);
            line += QLatin1Char(';') + Text(ui->EditLimitVal);
        }
        lines << line;
    }
    WriteTextTable(lines);
}

void TFormStat::WriteTextTable(const QStringList &lines)
{
    QString folder = QDir::currentPath();
    if (!folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    const QString fileName = folder + ui->CB_Distrib->currentText() + QStringLiteral(".txt");
    QByteArray text;
    for (const QString &line : lines)
        text += line.toLatin1() + "\r\n";
    rtl::WriteWholeFile(fileName, text);
    ui::MessageDlg(QStringLiteral("Results have been saved into ") + QDir::toNativeSeparators(fileName),
                   ui::TMsgDlgType::mtInformation, ui::TMsgDlgButtons::mbOK);
}

#include "FGraph.h"

#include "ui_FGraph.h"

#include "charts/FChartProp.h"
#include "platform/chart/Chart.h"
#include "platform/ui/Application.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/Help.h"

#include <QCloseEvent>
#include <QFile>
#include <QScreen>

TFormGraph *FormGraph = nullptr;

namespace {

constexpr int kHelpContext = 70;

void setAxisTitle(chart::TChartAxis &axis, const QString &title, int points)
{
    axis.SetTitleCaption(title);
    axis.SetTitleFont(chart::TChartFont{QStringLiteral("MS Sans Serif"), points, true});
}

} // namespace

TFormGraph::TFormGraph(QWidget *parent) : QWidget(parent), ui(std::make_unique<Ui::TFormGraph>())
{
    ui->setupUi(this);
    setWindowFlag(Qt::Window);
    ui::SetHelpContext(this, kHelpContext);
    ui::CenterOnScreen(*this);
    // Heights of 16 and 19 pixels at 96 pixels to the inch.
    setAxisTitle(ui->Chart1->BottomAxis(), QStringLiteral("Value"), 12);
    setAxisTitle(ui->Chart1->LeftAxis(), QStringLiteral("Probability"), 14);

    connect(ui->BtnClear, &QPushButton::clicked, this, &TFormGraph::BtnClearClick);
    connect(ui->BtnDelete, &QPushButton::clicked, this, &TFormGraph::BtnDeleteClick);
    connect(ui->BtnSave, &QPushButton::clicked, this, &TFormGraph::BtnSaveClick);
    connect(ui->BtnProperties, &QPushButton::clicked, this, &TFormGraph::BtnPropertiesClick);
}

TFormGraph::~TFormGraph()
{
    if (FormGraph == this)
        FormGraph = nullptr;
}

chart::TChart *TFormGraph::Chart1() const { return ui->Chart1; }

void TFormGraph::closeEvent(QCloseEvent *event)
{
    QWidget::closeEvent(event);
    if (event->isAccepted())
        emit closed();
}

void TFormGraph::BtnClearClick()
{
    while (ui->Chart1->SeriesCount() > 0)
        delete ui->Chart1->Series(0);
}

void TFormGraph::BtnDeleteClick()
{
    if (ui->Chart1->SeriesCount() > 0)
        delete ui->Chart1->Series(ui->Chart1->SeriesCount() - 1);
}

void TFormGraph::BtnPropertiesClick() { ShowChartProperties(ui->Chart1); }

void TFormGraph::BtnSaveClick()
{
    ui::TSaveDialog SaveDlg;
    SaveDlg.DefaultExt = QStringLiteral("bmp");
    SaveDlg.Filter = QStringLiteral("Windows bitmap|*.bmp");
    SaveDlg.Title = QStringLiteral("Save graph as BMP");
    if (!SaveDlg.Execute())
        return;
    if (QFile::exists(SaveDlg.FileName)
        && ui::MessageDlg(QStringLiteral("Existing file will be overwrited"), ui::TMsgDlgType::mtConfirmation,
                          ui::TMsgDlgButtons::mbYesNo) != ui::mrYes)
        return;
    ui->Chart1->SaveToBitmapFile(SaveDlg.FileName);
}

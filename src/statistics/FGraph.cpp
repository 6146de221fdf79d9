#include "FGraph.h"

#include "ui_FGraph.h"

#include "platform/chart/Chart.h"
#include "platform/ui/Application.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/Help.h"

#include <QFile>
#include <QScreen>
#include <qcustomplot.h>

TFormGraph *FormGraph = nullptr;

namespace {

constexpr int kHelpContext = 70;

void setAxisTitle(QCPAxis *axis, const QString &title, int pixelHeight)
{
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPixelSize(pixelHeight);
    font.setBold(true);
    axis->setLabel(title);
    axis->setLabelFont(font);
    axis->setLabelColor(Qt::black);
}

} // namespace

TFormGraph::TFormGraph(QWidget *parent) : QWidget(parent), ui(std::make_unique<Ui::TFormGraph>())
{
    ui->setupUi(this);
    setWindowFlag(Qt::Window);
    ui::SetHelpContext(this, kHelpContext);
    ui::CenterOnScreen(*this);
    setAxisTitle(ui->Chart1->plot()->xAxis, QStringLiteral("Value"), 16);
    setAxisTitle(ui->Chart1->plot()->yAxis, QStringLiteral("Probability"), 19);

    connect(ui->BtnClear, &QPushButton::clicked, this, &TFormGraph::BtnClearClick);
    connect(ui->BtnDelete, &QPushButton::clicked, this, &TFormGraph::BtnDeleteClick);
    connect(ui->BtnSave, &QPushButton::clicked, this, &TFormGraph::BtnSaveClick);
    // "Properties" opens the chart-properties dialog once that dialog exists.
}

TFormGraph::~TFormGraph()
{
    if (FormGraph == this)
        FormGraph = nullptr;
}

chart::TChart *TFormGraph::Chart1() const { return ui->Chart1; }

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
                          ui::TMsgDlgButtons::mbYesNo) == ui::mrNo)
        return;
    ui->Chart1->SaveToBitmapFile(SaveDlg.FileName);
}

#include "FExportParams.h"

#include "ExportParams.h"
#include "TypedTextDelegate.h"
#include "ui_FExportParams.h"

#include "platform/ui/Dialogs.h"
#include "platform/ui/Help.h"

#include <QHeaderView>
#include <QScrollBar>

namespace {

constexpr int kExportParamsHelpContext = 142;

} // namespace

TFormExportParams::TFormExportParams(QWidget *parent)
    : QDialog(parent), ui(std::make_unique<Ui::TFormExportParams>()), FParams(new TExportParamsModel(this))
{
    ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    ui->ParamGrid->setModel(FParams);
    // Name and number follow each other while the user types.
    ui->ParamGrid->setItemDelegate(new TTypedTextDelegate(ui->ParamGrid));
    // The editor opens on any cell the user reaches, as in a grid whose editor is always shown.
    ui->ParamGrid->setEditTriggers(QAbstractItemView::AllEditTriggers);
    ui->ParamGrid->verticalHeader()->setDefaultSectionSize(20);
    ui->ParamGrid->verticalHeader()->hide();
    ui->ParamGrid->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    // Wide enough for each heading and a field name in the program's font.
    const int widths[] = {90, 90, 25, 120};
    QFont bold = ui->ParamGrid->horizontalHeader()->font();
    bold.setBold(true); // the current column's heading
    const QFontMetrics metrics(bold);
    int gridWidth = 2 * ui->ParamGrid->frameWidth() + ui->ParamGrid->verticalScrollBar()->sizeHint().width();
    for (int column = 0; column < TExportParamsModel::ColumnCount; ++column) {
        const QString heading = FParams->headerData(column, Qt::Horizontal, Qt::DisplayRole).toString();
        const int width = std::max(widths[column], metrics.horizontalAdvance(heading) + 16);
        ui->ParamGrid->setColumnWidth(column, width);
        gridWidth += width;
    }
    resize(std::max(width(), gridWidth), height());
    connect(ui->BtnOK, &QPushButton::clicked, this, &QDialog::accept);
    ui::SetHelpContext(this, kExportParamsHelpContext);
}

TFormExportParams::~TFormExportParams() = default;

QTableView *TFormExportParams::ParamGrid() const { return ui->ParamGrid; }

void TFormExportParams::Execute(const QStringList &Fields, const QStringList &Columns)
{
    FParams->Fill(Fields, Columns);
    if (FParams->FieldCount() > 0)
        ui->ParamGrid->setCurrentIndex(FParams->index(0, TExportParamsModel::ColName));
    ui::ShowModal(*this);
}

int TFormExportParams::GetParam(int Index, QString &Value) const
{
    return FParams->GetParam(Index, Value);
}

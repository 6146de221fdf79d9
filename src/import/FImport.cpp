#include "FImport.h"

#include "ui_FImport.h"

#include "FOpenText.h"
#include "ImportGridView.h"

#include "platform/ui/Help.h"

#include <QCloseEvent>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>

TFormImport *FormImport = nullptr;

namespace {

constexpr int kHelpContext = 140;
constexpr int kGridLineWidth = 1;
constexpr int kButtonPadding = 18;
constexpr int kSmallButtonWidth = 24;
const QString kCaption = QStringLiteral("Import/edit data");
const QString kNewFieldItem = QStringLiteral("[NEW]");

} // namespace

TFormImport::TFormImport(QWidget *parent) : QDialog(parent), ui(std::make_unique<Ui::TFormImport>())
{
    ui->setupUi(this);
    ui->DataGrid->SetGrid(&m_grid);
    ui->BtnLeft->raise();
    ui->BtnRight->raise();
    ui->ListBoxFields->raise();
    FitPanelToTexts();
    SaveDlg.Filter = QStringLiteral("Semicolon delimited|*.csv|Any file|*.*");
    Table.SetDatabaseName(QStringLiteral("DBFtables"));
    ui::SetHelpContext(this, kHelpContext);
    FormCreate();

    connect(ui->DataGrid, &TImportGridView::SelectCell, this, &TFormImport::DataGridSelectCell);
    for (QScrollBar *bar : {ui->DataGrid->horizontalScrollBar(), ui->DataGrid->verticalScrollBar()})
        connect(bar, &QScrollBar::valueChanged, this, [this] { PlaceShiftButtons(ui->DataGrid->Col(), ui->DataGrid->Row()); });
    connect(ui->CB_ShiftBtn, &QCheckBox::clicked, this, &TFormImport::CB_ShiftBtnClick);
    connect(ui->BtnLeft, &QToolButton::clicked, this, &TFormImport::BtnLeftClick);
    connect(ui->BtnRight, &QToolButton::clicked, this, &TFormImport::BtnRightClick);
    connect(ui->BtnColAdd, &QPushButton::clicked, this, &TFormImport::BtnColAddClick);
    connect(ui->BtnColDel, &QPushButton::clicked, this, &TFormImport::BtnColDelClick);
    connect(ui->BtnColRename, &QPushButton::clicked, this, [this] { BtnColRenameClick(ui->BtnColRename); });
    connect(ui->BtnRowAdd, &QPushButton::clicked, this, &TFormImport::BtnRowAddClick);
    connect(ui->BtnRowDel, &QPushButton::clicked, this, &TFormImport::BtnRowDelClick);
    connect(ui->BtnClear, &QPushButton::clicked, this, [this] { BtnClearClick(ui->BtnClear); });
    connect(ui->BtnRead, &QPushButton::clicked, this, &TFormImport::BtnReadClick);
    connect(ui->BtnSave, &QPushButton::clicked, this, &TFormImport::BtnSaveClick);
    connect(ui->BtnStoreInDBF, &QPushButton::clicked, this, &TFormImport::BtnStoreInDBFClick);
    connect(ui->BtnCancel, &QPushButton::clicked, this, &TFormImport::BtnCancelClick);
    connect(ui->ListBoxFields, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem *item) {
        SetColumnName(item->text());
        HideFieldList();
    });
    for (QWidget *watched : {static_cast<QWidget *>(ui->BtnLeft), static_cast<QWidget *>(ui->BtnRight),
                             static_cast<QWidget *>(ui->ListBoxFields)})
        watched->installEventFilter(this);
}

TFormImport::~TFormImport()
{
    if (FormImport == this)
        FormImport = nullptr;
    // Hidden while its cells still exist: the open cell editor hands over its text as the window
    // loses the focus, which the base class would only do after the cells are gone.
    hide();
}

void TFormImport::FitPanelToTexts()
{
    // The buttons as wide as their captions, so that the panel keeps to the window's width.
    const QFontMetrics metrics = ui->Panel1->fontMetrics();
    for (QPushButton *button : ui->Panel1->findChildren<QPushButton *>()) {
        const int width = std::max(metrics.horizontalAdvance(button->text()) + kButtonPadding, kSmallButtonWidth);
        button->setMinimumWidth(width);
        button->setMaximumWidth(width);
    }
    for (QLabel *label : {ui->LblCol, ui->LblRow})
        label->setMinimumWidth(metrics.horizontalAdvance(QStringLiteral("Column 00000")));
}

void TFormImport::FormCreate()
{
    FFileName.clear();
    FRenameCol = 0;
    FReadMode = 0;
    FSaved = true;
    ui->DataGrid->SetCurrentCell(1, 1);
    DataGridSelectCell(ui->DataGrid->Col(), ui->DataGrid->Row());
}

TImportGridView *TFormImport::DataGrid() const { return ui->DataGrid; }

QListWidget *TFormImport::ListBoxFields() const { return ui->ListBoxFields; }

QPushButton *TFormImport::BtnStoreInDBF() const { return ui->BtnStoreInDBF; }

void TFormImport::GetFileName(QString &FileName) const { FileName = FFileName; }

void TFormImport::DeleteColumn(int Col) { m_grid.DeleteColumn(Col); }

void TFormImport::DeleteRow(int Row) { m_grid.DeleteRow(Row); }

void TFormImport::SaveCSV(const QString &FileName, bool WithNames, bool WithNumbers)
{
    ::SaveCSV(m_grid, FileName, WithNames, WithNumbers);
}

void TFormImport::DataGridSelectCell(int ACol, int ARow)
{
    ui->LblCol->setText(QStringLiteral("Column ") + QString::number(ACol));
    ui->LblRow->setText(QStringLiteral("Row ") + QString::number(ARow));
    PlaceShiftButtons(ACol, ARow);
}

void TFormImport::PlaceShiftButtons(int ACol, int ARow)
{
    if (!ui->CB_ShiftBtn->isChecked() || ACol < 1 || ARow < 1) {
        ui->BtnLeft->hide();
        ui->BtnRight->hide();
        return;
    }
    const QRect cell = ui->DataGrid->CellRect(ACol, ARow, this);
    ui->BtnLeft->move(cell.left() - ui->BtnLeft->width(), cell.top());
    ui->BtnLeft->setVisible(ACol >= 2);
    ui->BtnRight->move(cell.right() + 1 + kGridLineWidth, cell.top());
    ui->BtnRight->setVisible(ACol < m_grid.ColCount() - 1);
}

void TFormImport::CB_ShiftBtnClick()
{
    PlaceShiftButtons(ui->DataGrid->Col(), ui->DataGrid->Row());
}

bool TFormImport::eventFilter(QObject *watched, QEvent *event)
{
    if ((watched == ui->BtnLeft || watched == ui->BtnRight) && event->type() == QEvent::MouseButtonPress)
        FShiftState = static_cast<QMouseEvent *>(event)->modifiers();
    if (watched == ui->ListBoxFields) {
        if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent *>(event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter) {
                if (QListWidgetItem *item = ui->ListBoxFields->currentItem())
                    SetColumnName(item->text());
                HideFieldList();
                return true;
            }
            if (key == Qt::Key_Escape) {
                HideFieldList();
                return true;
            }
        }
        // Leaving the list for another control drops the rename; a box opened over the window
        // does not.
        if (event->type() == QEvent::FocusOut) {
            const Qt::FocusReason reason = static_cast<QFocusEvent *>(event)->reason();
            if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
                HideFieldList();
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TFormImport::BtnLeftClick()
{
    const int col = ui->DataGrid->Col(), row = ui->DataGrid->Row();
    if (FShiftState & Qt::ShiftModifier)
        m_grid.MoveToEmptyCell(row, col, -1);
    else
        ShiftCell(row, col, -1);
}

void TFormImport::BtnRightClick()
{
    const int col = ui->DataGrid->Col(), row = ui->DataGrid->Row();
    if (FShiftState & Qt::ShiftModifier)
        m_grid.MoveToEmptyCell(row, col, +1);
    else
        ShiftCell(row, col, +1);
}

bool TFormImport::ShiftCell(int Row, int Col, int Direction)
{
    if (!m_grid.ShiftCell(Row, Col, Direction))
        return false;
    ui->DataGrid->SetCol(Col + Direction);
    return true;
}

void TFormImport::BtnColAddClick()
{
    const int col = ui->DataGrid->Col();
    if (col < 1)
        return;
    m_grid.BeginUpdate();
    m_grid.InsertColumn(col);
    m_grid.SetCells(col, 0, QStringLiteral("New") + QString::number(m_grid.ColCount() - 1));
    m_grid.EndUpdate();
}

void TFormImport::BtnColDelClick()
{
    const int col = ui->DataGrid->Col();
    if (col < 1)
        return;
    const QString question = QStringLiteral("Remove column (") + QString::number(col) + QStringLiteral(") ") + m_grid.Cells(col, 0);
    if (ui::MessageDlg(question, ui::TMsgDlgType::mtConfirmation, ui::TMsgDlgButtons::mbYesNo) == ui::mrYes)
        DeleteColumn(col);
}

void TFormImport::BtnColRenameClick(QObject *Sender)
{
    const int col = FRenameCol >= 1 ? FRenameCol : ui->DataGrid->Col();
    if (col < 1)
        return;
    if (Sender == ui->BtnColRename && FStoreFields) {
        FRenameCol = col;
        ShowFieldList();
        return;
    }
    RenameByInput(col);
}

void TFormImport::RenameByInput(int Col)
{
    m_grid.SetCells(Col, 0, ui::InputBox(QStringLiteral("New variable name"), QStringLiteral("Edit new name"), m_grid.Cells(Col, 0)));
}

void TFormImport::SetColumnName(const QString &Name)
{
    const int col = FRenameCol;
    if (col >= 1) {
        if (Name == kNewFieldItem)
            RenameByInput(col);
        else
            m_grid.SetCells(col, 0, Name);
    }
    FRenameCol = 0;
}

void TFormImport::ShowFieldList()
{
    // Over the grid, standing on the panel above the rename button.
    QListWidget *list = ui->ListBoxFields;
    const int left = ui->BtnColRename->mapTo(this, QPoint(0, 0)).x();
    list->move(left, std::max(0, ui->Panel1->y() - list->height()));
    list->show();
    list->raise();
    if (list->currentRow() < 0 && list->count() > 0)
        list->setCurrentRow(0);
    list->setFocus(Qt::OtherFocusReason);
}

void TFormImport::HideFieldList()
{
    FRenameCol = 0;
    if (!ui->ListBoxFields->isVisible())
        return;
    ui->ListBoxFields->hide();
    ui->DataGrid->setFocus(Qt::OtherFocusReason);
}

void TFormImport::BtnRowAddClick()
{
    m_grid.AppendRow();
}

void TFormImport::BtnRowDelClick()
{
    const int row = ui->DataGrid->Row();
    if (row < 1)
        return;
    const QString question = QStringLiteral("Remove row (") + QString::number(row) + QStringLiteral(") ") + m_grid.Cells(0, row);
    if (ui::MessageDlg(question, ui::TMsgDlgType::mtConfirmation, ui::TMsgDlgButtons::mbYesNo) == ui::mrYes)
        DeleteRow(row);
}

void TFormImport::BtnClearClick(QObject *)
{
    m_grid.Clear();
    FSaved = true;
}

void TFormImport::SetCaptionFromFileName()
{
    setWindowTitle(kCaption + QStringLiteral(" [") + FFileName + QStringLiteral("]"));
}

void TFormImport::BtnReadClick()
{
    QString fileName;
    if (FReadMode == 1)
        OpenTabTextFile(m_grid, fileName);
    else
        OpenTextFile(m_grid, fileName);
    FFileName = fileName;
    SetCaptionFromFileName();
    FSaved = false;
}

void TFormImport::BtnSaveClick()
{
    if (!FFileName.isEmpty()) {
        const QFileInfo previous(FFileName);
        SaveDlg.InitialDir = previous.absolutePath();
        SaveDlg.FileName = previous.completeBaseName() + QStringLiteral(".csv");
    }
    if (!SaveDlg.Execute())
        return;
    const QString fileName = SaveDlg.FileName;
    const auto ask = [](const QString &question) {
        return ui::MessageDlg(question, ui::TMsgDlgType::mtConfirmation, ui::TMsgDlgButtons::mbYesNo) == ui::mrYes;
    };
    const bool withNumbers = ask(QStringLiteral("Save including item number?"));
    const bool withNames = ask(QStringLiteral("Save including variable names?"));
    SaveCSV(fileName, withNames, withNumbers);
    FFileName = fileName;
    SetCaptionFromFileName();
    FSaved = true;
}

void TFormImport::BtnCancelClick()
{
    const auto ask = [](const QString &question) {
        return ui::MessageDlg(question, ui::TMsgDlgType::mtConfirmation, ui::TMsgDlgButtons::mbYesNo);
    };
    if (ask(QStringLiteral("Close edit data window?")) != ui::mrYes)
        return;
    if (!FSaved && ask(QStringLiteral("Data was not saved - continue?")) != ui::mrYes)
        return;
    close();
}

void TFormImport::reject()
{
    BtnCancelClick();
}

void TFormImport::closeEvent(QCloseEvent *event)
{
    FormClose();
    event->accept();
    // Not QDialog's own close, which would ask through reject(); hiding ends a modal run.
    done(QDialog::Rejected);
}

void TFormImport::FormClose()
{
    HideFieldList();
    if (Table.Active())
        Table.Close();
}

#include "FSetQuery.h"

#include "ui_FSetQuery.h"

#include "FSetRelation.h"
#include "QueryText.h"

#include "platform/db/DistinctValues.h"
#include "platform/db/Field.h"
#include "platform/db/ValueConvert.h"
#include "platform/ui/DataSource.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/Help.h"

#include <QClipboard>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMenu>
#include <QMouseEvent>

TFormSetQuery *FormSetQuery = nullptr;

namespace {

constexpr int kHelpContext = 110;
// Heights of the window with and without the table view, and what the table view leaves
// around the grid (the window's caption counted, as the heights are the window's outer ones).
constexpr int kCaptionHeight = 28;
constexpr int kHeightWithTable = 495;
constexpr int kHeightWithoutTable = 240;
constexpr int kBorderWidth = 8;
constexpr int kGridWidthMargin = 13;
constexpr int kGridHeightMargin = 286;
constexpr int kGridMinHeight = 100;
constexpr int kNavigatorOffset = 225;

const QString kCaptionTableShown = QStringLiteral("Skrýt tabulku");
const QString kCaptionTableHidden = QStringLiteral("Zobrazit tabulku");

// Memo, blob, OLE and the other types from blobs to nested datasets cannot stand in a
// condition or a value list.
bool listedType(db::TFieldType type) { return type != db::ftUnknown && (type < db::ftBlob || type > db::ftDataSet); }

bool numericType(db::TFieldType type)
{
    switch (type) {
    case db::ftSmallint: case db::ftInteger: case db::ftWord: case db::ftBoolean: case db::ftFloat:
    case db::ftCurrency: case db::ftBCD: case db::ftAutoInc:
        return true;
    default:
        return false;
    }
}

QString conditionMessage(TConditionError error)
{
    switch (error) {
    case TConditionError::NoField: return QStringLiteral("Nebyl vybrán atribut pro dotaz.");
    case TConditionError::NoValue: return QStringLiteral("Nebyla vybrána hodnota pro dotaz.");
    case TConditionError::NotTwoValues: return QStringLiteral("Kvantifikátor vyžaduje vybrání dvou hodnot pro dotaz.");
    case TConditionError::NoValues: return QStringLiteral("Nebyla vybrána alespoň 1 hodnota pro dotaz.");
    case TConditionError::NotForParameter: return QStringLiteral("Kvantifikátor nemožno použít v podmíněném dotazu.");
    case TConditionError::None: break;
    }
    return QString();
}

void warn(const QString &text) { ui::MessageDlg(text, ui::TMsgDlgType::mtWarning, ui::TMsgDlgButtons::mbOK); }

const QString kNoSelectList = QStringLiteral("Doplnit pole \"Výběr pro\"");

} // namespace

TFormSetQuery::TFormSetQuery(QWidget *parent)
    : QDialog(parent), ui(std::make_unique<Ui::TFormSetQuery>()), m_dataSource(std::make_unique<ui::TDataSource>())
{
    ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMaximizeButtonHint |
                   Qt::WindowCloseButtonHint | Qt::WindowStaysOnTopHint);
    ui::SetHelpContext(this, kHelpContext);
    ui->DBGrid->SetDataSource(m_dataSource.get());
    ui->DBNavigator->SetDataSource(m_dataSource.get());
    ui->ListVals->setSelectionMode(QAbstractItemView::SingleSelection);

    // A click lists the values again (conditions may have changed since); moving by keys does too.
    connect(ui->ListFields, &QListWidget::itemClicked, this, &TFormSetQuery::ListFieldsClick);
    connect(ui->ListFields, &QListWidget::currentRowChanged, this, [this] {
        if (QGuiApplication::mouseButtons() == Qt::NoButton)
            ListFieldsClick();
    });
    connect(ui->ListFields, &QListWidget::itemDoubleClicked, this, &TFormSetQuery::ListFieldsDblClick);
    connect(ui->ListVals, &QListWidget::itemDoubleClicked, this, &TFormSetQuery::ListValsDblClick);
    connect(ui->CBoper, &QComboBox::currentIndexChanged, this, &TFormSetQuery::CBoperChange);
    connect(ui->BtnConds, &QPushButton::clicked, this, &TFormSetQuery::BtnCondsClick);
    connect(ui->SpeedButton1, &QToolButton::clicked, this, &TFormSetQuery::SpeedButton1Click);
    connect(ui->BtnRelation, &QToolButton::clicked, this, &TFormSetQuery::BtnRelationClick);
    connect(ui->BtnAddAtrib, &QToolButton::clicked, this, &TFormSetQuery::BtnAddAtribClick);
    connect(ui->BtnSQL, &QPushButton::clicked, this, &TFormSetQuery::BtnSQLClick);
    connect(ui->MemoSQL, &QPlainTextEdit::textChanged, this, &TFormSetQuery::MemoSQLChange);
    connect(ui->BtnShowTable, &QPushButton::clicked, this, &TFormSetQuery::BtnShowTableClick);
    connect(ui->BtnOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(ui->BtnCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(ui->ListConds, &QWidget::customContextMenuRequested, this, &TFormSetQuery::showPopupConds);
    connect(ui->MemoSQL, &QWidget::customContextMenuRequested, this, &TFormSetQuery::showPopupQuery);
    ui->MemoSQL->viewport()->installEventFilter(this);
}

TFormSetQuery::~TFormSetQuery()
{
    ui->DBGrid->SetDataSource(nullptr);
    ui->DBNavigator->SetDataSource(nullptr);
    if (FormSetQuery == this)
        FormSetQuery = nullptr;
}

bool TFormSetQuery::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == ui->MemoSQL->viewport() && event->type() == QEvent::MouseButtonDblClick) {
        MemoSQLDblClick();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TFormSetQuery::InitQuery(const QString &DatabaseName, const QString &TableName)
{
    m_table.Close();
    m_query.Close();
    m_table.SetDatabaseName(DatabaseName);
    m_query.SetDatabaseName(DatabaseName);
    ui->ListFields->clear();
    if (!TableName.isEmpty())
        LoadTableFields(TableName);
    m_table.Close();
    ui->ListConds->clear();
}

void TFormSetQuery::LoadTableFields(const QString &TableName)
{
    m_tableName = TableName;
    m_table.Close();
    m_table.SetTableName(m_tableName);
    m_table.Open();
    db::TFields &fields = m_table.Fields();
    for (int i = 0; i < fields.Count(); ++i)
        if (listedType(fields[i].DataType()))
            ui->ListFields->addItem(fields[i].FieldName());
}

QString TFormSetQuery::GetFromClause() const { return FromClause(m_tableName); }

QString TFormSetQuery::currentField() const
{
    const QListWidgetItem *item = ui->ListFields->currentItem();
    return item ? item->text() : QString();
}

QStringList TFormSetQuery::conditions() const
{
    QStringList list;
    for (int i = 0; i < ui->ListConds->count(); ++i)
        list << ui->ListConds->item(i)->text();
    return list;
}

void TFormSetQuery::ListFieldsClick()
{
    const QString field = currentField();
    if (field.isEmpty())
        return;
    m_query.Close();
    m_query.SQL().Clear();
    // The statement the values answer; the layer lists them without sorting every record.
    const QStringList statement = DistinctValuesStatement(field, m_tableName, conditions());
    for (const QString &line : statement)
        m_query.SQL().Add(line);
    const db::DistinctValueList distinct =
        db::DistinctFieldValues(m_query.DatabaseName(), m_tableName, field, WhereCondition(statement[1]));
    QStringList values;
    values.reserve(qsizetype(distinct.values.size()));
    for (const QVariant &value : distinct.values)
        values << db::ValueToText(value);
    m_engineValueTexts.clear();
    if (db::IsDateTimeType(distinct.type))
        for (const QVariant &value : distinct.values)
            m_engineValueTexts << db::DateTimeToSqlText(value);
    ui->ListVals->clear();
    ui->ListVals->addItems(values);
    (numericType(distinct.type) ? ui->RB_Number : ui->RB_Character)->setChecked(true);
}

void TFormSetQuery::ListFieldsDblClick()
{
    if (const QListWidgetItem *item = ui->ListFields->currentItem())
        QGuiApplication::clipboard()->setText(item->text());
}

void TFormSetQuery::ListValsDblClick()
{
    if (const QListWidgetItem *item = ui->ListVals->currentItem())
        QGuiApplication::clipboard()->setText(item->text());
}

void TFormSetQuery::CBoperChange()
{
    const auto op = TQueryOperator(ui->CBoper->currentIndex());
    const bool several = op == TQueryOperator::Between || op == TQueryOperator::In;
    ui->ListVals->setSelectionMode(several ? QAbstractItemView::MultiSelection : QAbstractItemView::SingleSelection);
}

void TFormSetQuery::addCondition(const TConditionText &condition)
{
    if (condition.error != TConditionError::None) {
        warn(conditionMessage(condition.error));
        return;
    }
    ui->ListConds->addItem(condition.condition);
}

// A picked date or time is written as the engine compares it, as a picked number is written
// with a point: the locale's text would never match.
QString TFormSetQuery::conditionValue(int row) const
{
    return row < m_engineValueTexts.size() ? m_engineValueTexts[row] : ui->ListVals->item(row)->text();
}

void TFormSetQuery::BtnCondsClick()
{
    const auto op = TQueryOperator(ui->CBoper->currentIndex());
    QStringList values;
    if (op == TQueryOperator::Between || op == TQueryOperator::In) {
        // In list order, whatever the order in which they were picked.
        for (int i = 0; i < ui->ListVals->count(); ++i)
            if (ui->ListVals->item(i)->isSelected())
                values << conditionValue(i);
    } else if (ui->ListVals->currentItem()) {
        values << conditionValue(ui->ListVals->currentRow());
    }
    addCondition(ValueCondition(currentField(), op, values, ui->RB_Character->isChecked()));
}

void TFormSetQuery::SpeedButton1Click()
{
    addCondition(ParameterCondition(currentField(), TQueryOperator(ui->CBoper->currentIndex())));
}

void TFormSetQuery::BtnRelationClick()
{
    rtl::TStringList fields;
    for (int i = 0; i < ui->ListFields->count(); ++i)
        fields.Add(ui->ListFields->item(i)->text());
    QString relation;
    if (SetRelation(fields, relation))
        ui->ListConds->addItem(relation);
}

void TFormSetQuery::M_Edit1Click()
{
    QListWidgetItem *item = ui->ListConds->currentItem();
    if (!item)
        return;
    const QString answer = ui::InputBox(QStringLiteral("Výběrová podmínka"), QString(), item->text());
    if (answer.isEmpty())
        delete item;
    else if (answer != item->text())
        item->setText(answer);
}

void TFormSetQuery::M_Delete1Click() { delete ui->ListConds->currentItem(); }

void TFormSetQuery::BtnAddAtribClick()
{
    const QString field = currentField();
    if (!field.isEmpty())
        ui->EditQueryFields->setText(AddToSelectList(ui->EditQueryFields->text(), field));
}

void TFormSetQuery::BtnSQLClick()
{
    const QString selectList = ui->EditQueryFields->text();
    if (selectList.isEmpty()) {
        warn(kNoSelectList);
        return;
    }
    ui->MemoSQL->setPlainText(SelectStatement(selectList, ui->CBdistinct->isChecked(), m_tableName, conditions()).join(QLatin1Char('\n')));
}

void TFormSetQuery::MemoSQLDblClick()
{
    const QString selectList = ui->EditQueryFields->text();
    if (selectList.isEmpty()) {
        warn(kNoSelectList);
        return;
    }
    ui->MemoSQL->setPlainText(StatementTemplate(selectList, m_tableName).join(QLatin1Char('\n')));
}

void TFormSetQuery::MemoSQLChange() { ui->BtnOK->setEnabled(!ui->MemoSQL->toPlainText().isEmpty()); }

void TFormSetQuery::ApplySQL()
{
    m_query.Close();
    m_query.SQL().Clear();
    const QStringList memoLines = ui->MemoSQL->toPlainText().split(QLatin1Char('\n'));
    const TAppliedStatement applied = ApplyStatementLines(memoLines);
    if (applied.memoLines != memoLines)
        ui->MemoSQL->setPlainText(applied.memoLines.join(QLatin1Char('\n')));
    for (const QString &line : applied.statementLines)
        m_query.SQL().Add(line);
    if (applied.hasParameters) {
        m_query.Prepare();
        return;
    }
    m_query.SetRequestLive(ui->CB_RequestLive->isChecked());
    m_query.Open();
}

void TFormSetQuery::PopSaveClick()
{
    QString base = QueryFileBase(m_tableName);
    if (!HasFolder(base)) {
        QString folder;
        if (ui::SelectDirectory(folder))
            base = JoinFolder(folder, base);
    }
    const QString fileName = NextQueryFileName(base, [](const QString &name) { return QFileInfo::exists(name); });
    SaveQueryFile(fileName, ui->MemoSQL->toPlainText().split(QLatin1Char('\n')));
    ui::MessageDlg(QStringLiteral("Dotaz uložen do souboru ") + fileName, ui::TMsgDlgType::mtInformation, ui::TMsgDlgButtons::mbOK);
}

void TFormSetQuery::PopLoadClick()
{
    ui::TOpenDialog dialog;
    dialog.Title = QStringLiteral("Načíst dotaz");
    dialog.Filter = QStringLiteral("Dotaz SQL|*.sql|Všechny soubory|*.*");
    if (dialog.Execute())
        ui->MemoSQL->setPlainText(LoadQueryFile(dialog.FileName).join(QLatin1Char('\n')));
}

void TFormSetQuery::setFormHeight(int height) { resize(width(), height - kCaptionHeight); }

void TFormSetQuery::BtnShowTableClick()
{
    if (!m_dataSource->DataSet()) {
        setFormHeight(kHeightWithTable);
        m_table.Open();
        m_dataSource->SetDataSet(&m_table);
        ui->DBGrid->show();
        ui->DBNavigator->show();
        ui->BtnShowTable->setText(kCaptionTableShown);
        FormResize();
        return;
    }
    m_table.Close();
    m_dataSource->SetDataSet(nullptr);
    ui->DBGrid->hide();
    ui->DBNavigator->hide();
    setFormHeight(kHeightWithoutTable);
    ui->BtnShowTable->setText(kCaptionTableHidden);
}

void TFormSetQuery::resizeEvent(QResizeEvent *event)
{
    QDialog::resizeEvent(event);
    FormResize();
}

void TFormSetQuery::FormResize()
{
    if (!ui->DBGrid || ui->DBGrid->isHidden())
        return;
    const int formWidth = width() + kBorderWidth;
    const int formHeight = height() + kCaptionHeight;
    const int gridHeight = std::max(formHeight - kGridHeightMargin, kGridMinHeight);
    ui->DBGrid->resize(formWidth - kGridWidthMargin, gridHeight);
    ui->DBNavigator->move(ui->DBNavigator->x(), gridHeight + kNavigatorOffset);
}

void TFormSetQuery::showPopupConds(const QPoint &position)
{
    QMenu menu(this);
    QAction *edit = menu.addAction(QStringLiteral("&Edit"), this, &TFormSetQuery::M_Edit1Click);
    edit->setObjectName(QStringLiteral("M_Edit1"));
    QAction *remove = menu.addAction(QStringLiteral("&Delete"), this, &TFormSetQuery::M_Delete1Click);
    remove->setObjectName(QStringLiteral("M_Delete1"));
    menu.exec(ui->ListConds->mapToGlobal(position));
}

void TFormSetQuery::showPopupQuery(const QPoint &position)
{
    QMenu menu(this);
    menu.addAction(QStringLiteral("&Načíst"), this, &TFormSetQuery::PopLoadClick)->setObjectName(QStringLiteral("PopLoad"));
    menu.addAction(QStringLiteral("&Uložit"), this, &TFormSetQuery::PopSaveClick)->setObjectName(QStringLiteral("PopSave"));
    menu.exec(ui->MemoSQL->mapToGlobal(position));
}

int32_t ExecuteQueryBuilder(const QString &DatabaseName, const QString &TableName, const rtl::TStringList *SQL,
                            QString &QueryFields, bool AutoRun)
{
    // The window of the previous OK is no longer needed by anyone; its query would keep the
    // table in use.
    delete FormSetQuery;
    auto form = std::make_unique<TFormSetQuery>();
    FormSetQuery = form.get();
    form->InitQuery(DatabaseName, TableName);
    Ui::TFormSetQuery &widgets = form->form();
    widgets.EditQueryFields->setText(QueryFields);
    if (SQL)
        widgets.MemoSQL->setPlainText(SQL->Lines().join(QLatin1Char('\n')));
    widgets.BtnOK->setEnabled(SQL != nullptr);
    const int result = AutoRun && widgets.BtnOK->isEnabled() ? ui::mrOk : ui::ShowModal(*form);
    form->Table().Close();
    if (result != ui::mrOk) {
        FormSetQuery = nullptr;
        return -1;
    }
    form->hide();
    form.release();
    FormSetQuery->ApplySQL();
    QueryFields = widgets.EditQueryFields->text();
    return FormSetQuery->Query().Active() ? FormSetQuery->Query().RecordCount() : 0;
}

void GetQuerySQL(TFormSetQuery *Form, std::unique_ptr<rtl::TStringList> &List)
{
    if (!List)
        List = std::make_unique<rtl::TStringList>();
    List->Clear();
    for (const QString &line : Form->Query().SQL().Lines())
        List->Add(line);
}

void GetQueryFieldNames(TFormSetQuery *Form, rtl::TStringList &List)
{
    List.Clear();
    db::TFields &fields = Form->Query().Fields();
    for (int i = 0; i < fields.Count(); ++i)
        List.Add(fields[i].FieldName());
}

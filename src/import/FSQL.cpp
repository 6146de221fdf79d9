#include "FSQL.h"

#include "ui_FSQL.h"

#include "platform/ui/Application.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/Help.h"

#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QTextCursor>

TFormSQL *FormSQL = nullptr;

namespace {

constexpr int kHelpContext = 180;
const QString kTableFilter =
    QStringLiteral("dBase/FoxPro table (DBF)|*.dbf|Paradox table (DB)|*.db|Any file|*.*");

bool isPlainF1(QEvent *event)
{
    if (event->type() != QEvent::KeyPress && event->type() != QEvent::ShortcutOverride)
        return false;
    const auto *key = static_cast<QKeyEvent *>(event);
    return key->key() == Qt::Key_F1 && key->modifiers() == Qt::NoModifier;
}

} // namespace

TFormSQL::TFormSQL(QWidget *parent) : QDialog(parent), ui(std::make_unique<Ui::TFormSQL>())
{
    ui->setupUi(this);
    buildPopupMenu();
    connectHandlers();
    ui::SetHelpContext(this, kHelpContext);
    ui::CenterOnScreen(*this);
}

TFormSQL::~TFormSQL()
{
    if (FormSQL == this)
        FormSQL = nullptr;
}

QPlainTextEdit *TFormSQL::Memo() const { return ui->Memo; }

QComboBox *TFormSQL::CBfields() const { return ui->CBfields; }

void TFormSQL::buildPopupMenu()
{
    m_popupMenu = new QMenu(this);
    m_popupMenu->setObjectName(QStringLiteral("PopupMenu"));
    m_popupMenu->addActions({ui->CREATETABLE1, ui->ALTERTABLE1, ui->DROPTABLE1});
    m_popupMenu->addSeparator();
    m_popupMenu->addActions({ui->CREATEINDEX1, ui->DROPINDEX1});
    m_popupMenu->addSeparator();
    m_popupMenu->addActions({ui->DELETE1, ui->INSERT1, ui->UPDATE1});
    m_popupMenu->addSeparator();
    m_popupMenu->addAction(ui->Choicetable1);
    // The menu opens by itself and takes the keyboard: F1 there is the window's help key.
    m_popupMenu->installEventFilter(this);
}

void TFormSQL::connectHandlers()
{
    connect(ui->BtnChoice, &QToolButton::clicked, this, &TFormSQL::BtnChoiceClick);
    connect(ui->BtnInsert, &QToolButton::clicked, this, &TFormSQL::BtnInsertClick);
    connect(ui->BtnOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(ui->BtnCancel, &QPushButton::clicked, this, &QDialog::reject);
    ui->Memo->viewport()->installEventFilter(this);
    const std::pair<QAction *, void (TFormSQL::*)()> items[] = {
        {ui->CREATETABLE1, &TFormSQL::CREATETABLE1Click}, {ui->ALTERTABLE1, &TFormSQL::ALTERTABLE1Click},
        {ui->DROPTABLE1, &TFormSQL::DROPTABLE1Click},     {ui->CREATEINDEX1, &TFormSQL::CREATEINDEX1Click},
        {ui->DROPINDEX1, &TFormSQL::DROPINDEX1Click},     {ui->DELETE1, &TFormSQL::DELETE1Click},
        {ui->INSERT1, &TFormSQL::INSERT1Click},           {ui->UPDATE1, &TFormSQL::UPDATE1Click},
        {ui->Choicetable1, &TFormSQL::Choicetable1Click},
    };
    for (const auto &[action, handler] : items)
        connect(action, &QAction::triggered, this, handler);
}

void TFormSQL::reject() { done(ui::mrCancel); }

bool TFormSQL::event(QEvent *event)
{
    const bool handled = QDialog::event(event);
    if (event->type() == QEvent::WindowActivate)
        FormActivate();
    return handled;
}

bool TFormSQL::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_popupMenu && isPlainF1(event)) {
        event->accept();
        if (event->type() == QEvent::KeyPress) {
            m_popupMenu->close();
            ui::ShowHelpContext(kHelpContext);
        }
        return true;
    }
    if (watched == ui->Memo->viewport() && event->type() == QEvent::MouseButtonDblClick) {
        // As in a plain edit box: the double-click selects the word under the mouse, which the
        // field name then replaces.
        QTextCursor word = ui->Memo->cursorForPosition(static_cast<QMouseEvent *>(event)->position().toPoint());
        word.select(QTextCursor::WordUnderCursor);
        ui->Memo->setTextCursor(word);
        MemoDblClick();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TFormSQL::SetTable(const QString &DatabaseName, const QString &Directory, const QString &TableName)
{
    Table.SetDatabaseName(DatabaseName);
    Query.SetDatabaseName(DatabaseName);
    FDirectory = Directory;
    Table.SetTableName(TableName);
    if (!TableName.isEmpty())
        fillFields();
}

void TFormSQL::fillFields()
{
    rtl::TStringList names;
    Table.GetFieldNames(names);
    ui->CBfields->clear();
    ui->CBfields->addItems(names.Lines());
}

void TFormSQL::ExecSQL()
{
    if (Query.Active())
        Query.Close();
    Query.SQL().Clear();
    Query.SQL().Lines() = ui->Memo->toPlainText().split(QLatin1Char('\n'));
    Query.ExecSQL();
}

void TFormSQL::FormActivate() { BtnChoiceClick(); }

void TFormSQL::BtnChoiceClick()
{
    ui->Choicetable1->setEnabled(Table.TableName().isEmpty());
    m_popupMenu->popup(ui->BtnChoice->mapToGlobal(QPoint(0, 0)));
}

void TFormSQL::MemoDblClick()
{
    // With no field to insert, the text stays as it is rather than losing the selected word.
    const QString field = ui->CBfields->currentText();
    if (!field.isEmpty())
        ui->Memo->insertPlainText(field);
}

void TFormSQL::BtnInsertClick()
{
    MemoDblClick();
    ui->Memo->setFocus();
}

void TFormSQL::writeTemplate(TSqlTemplate kind)
{
    // The menu opens at every activation, so a letter meant for the memo can pick a template:
    // the statement it replaces comes back with Ctrl+Z.
    QTextCursor whole(ui->Memo->document());
    whole.select(QTextCursor::Document);
    whole.insertText(SqlTemplateLines(kind, Table.TableName()).join(QLatin1Char('\n')));
    ui->Memo->moveCursor(QTextCursor::End);
    ui->Memo->setFocus();
}

void TFormSQL::CREATETABLE1Click() { writeTemplate(TSqlTemplate::CreateTable); }
void TFormSQL::ALTERTABLE1Click() { writeTemplate(TSqlTemplate::AlterTable); }
void TFormSQL::DROPTABLE1Click() { writeTemplate(TSqlTemplate::DropTable); }
void TFormSQL::CREATEINDEX1Click() { writeTemplate(TSqlTemplate::CreateIndex); }
void TFormSQL::DROPINDEX1Click() { writeTemplate(TSqlTemplate::DropIndex); }
void TFormSQL::DELETE1Click() { writeTemplate(TSqlTemplate::Delete); }
void TFormSQL::INSERT1Click() { writeTemplate(TSqlTemplate::Insert); }
void TFormSQL::UPDATE1Click() { writeTemplate(TSqlTemplate::Update); }

void TFormSQL::Choicetable1Click()
{
    ui::TOpenDialog OpenDlg;
    OpenDlg.Title = QStringLiteral("Select table name");
    OpenDlg.Filter = kTableFilter;
    OpenDlg.InitialDir = FDirectory;
    if (!OpenDlg.Execute())
        return;
    // A file whose fields cannot be read leaves the window's table as it was.
    const QString previous = Table.TableName();
    Table.SetTableName(TableNameFor(FDirectory, OpenDlg.FileName));
    try {
        fillFields();
    } catch (...) {
        Table.SetTableName(previous);
        throw;
    }
}

// The main window's commands that open the tool windows of the import library.

#include "FQuibo.h"

#include <QFileInfo>

void TFormQuibo::Importeditdata1Click()
{
    if (!FToolWindows.ImportEditData)
        return;
    const std::optional<QString> fileName = FToolWindows.ImportEditData(IsDatabaseFile() ? FFileName : QString());
    if (fileName)
        AddHistoryItem(QStringLiteral("(Edit)"), *fileName);
}

void TFormQuibo::ImportTalnex1Click()
{
    if (!FToolWindows.ImportTalnex)
        return;
    const QString text = FToolWindows.ImportTalnex(FFileName);
    if (!text.isEmpty())
        AddHistoryItem(QStringLiteral("(Import)"), text);
}

void TFormQuibo::SQLcommand1Click()
{
    if (!FToolWindows.SqlCommand)
        return;
    const QFileInfo table(FFileName);
    FToolWindows.SqlCommand(Database1.DatabaseName(), table.absolutePath() + QLatin1Char('/'),
                            table.fileName());
}

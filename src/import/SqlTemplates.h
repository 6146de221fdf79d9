#pragma once
// The statement templates of the SQL command window and the name by which they call a chosen
// table. Plain text work, without any window.

#include <QString>
#include <QStringList>

/// The templates in the order of the window's menu.
enum class TSqlTemplate { CreateTable, AlterTable, DropTable, CreateIndex, DropIndex, Delete, Insert, Update };

/// The lines of template `kind` for the table `tableName` (a bare file name in the database's
/// folder, a full path, or '' when no table is known). Words between underscores are
/// placeholders for the user to replace.
QStringList SqlTemplateLines(TSqlTemplate kind, const QString &tableName);

/// The folder of `fileName` with a trailing "/" ("/data/" for "/data/t.dbf"); empty for a bare
/// file name.
QString FolderOf(const QString &fileName);

/// The name by which the templates call the chosen table file `chosenFile` (a full path): its
/// bare file name when it lies in `directory` (the database's folder, with or without its
/// trailing "/"), otherwise its full path. Folders are compared as the file system names them:
/// letter case counts, since on this system two folders may differ by it alone.
QString TableNameFor(const QString &directory, const QString &chosenFile);

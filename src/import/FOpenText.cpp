#include "FOpenText.h"

#include "ImportGrid.h"

// Placeholder until the dialog is built: nothing is read, as after a cancel.
void OpenTextFile(TImportGrid &, QString &fileName)
{
    fileName.clear();
}

void OpenTabTextFile(TImportGrid &grid, QString &fileName)
{
    OpenTextFile(grid, fileName);
}

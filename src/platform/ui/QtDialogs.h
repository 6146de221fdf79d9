#pragma once
// The dialog seam's provider that shows real Qt windows.

#include "Dialogs.h"

#include <QStringList>

namespace ui {

class QtDialogProvider : public DialogProvider
{
public:
    TModalResult messageBox(const MessageRequest &request) override;
    void showMessage(const QString &title, const QString &text) override;
    bool inputQuery(const QString &caption, const QString &prompt, QString &value) override;
    bool fileDialog(TFileDialog &dialog) override;
    bool colorDialog(TColorDialog &dialog) override;
    int showModal(QDialog &form) override;
    bool selectDirectory(QString &folder) override;
    void openUrl(const QUrl &url) override;
    bool printerSetupDialog(TPrinterSetupDialog &dialog) override;
};

/// A run-time filter ("Text|*.csv;*.txt|All|*.*") as Qt name filters ("Text (*.csv *.txt)", ...).
QStringList QtNameFilters(const QString &filter);

} // namespace ui

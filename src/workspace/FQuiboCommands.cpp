// The main window: the commands that open other windows, chart images, printing.
#include "FQuibo.h"

#include "FDataItems.h"
#include "FHistory.h"
#include "FInfo.h"
#include "FQuiboHelpers.h"
#include "PrintReport.h"
#include "ui_FQuibo.h"

#include "charts/FChartProp.h"
#include "platform/ui/Application.h"
#include "platform/ui/Help.h"

#include "statistics/FStat.h"

#include <QPrinter>

// ---- Commands that open other windows ----

void TFormQuibo::DataItems1Click()
{
    BtnCloseClick(ui->Dataitems1);
    const QString used = ExecuteDataItems(FAnalysis.Items(), FAnalysis.ItemCount());
    if (FAnalysis.HasUsedValue()) {
        Analyse();
    } else {
        // The analysis stays cleared; the user can choose items again or close the data.
        UpdateControls();
        ui::MessageDlg(QStringLiteral("No data item is in use. Mark items in \"Data items\" or close the data."),
                       ui::TMsgDlgType::mtWarning, ui::TMsgDlgButtons::mbOK);
    }
    AddHistoryItem(QStringLiteral("Set_items"), used);
}

void TFormQuibo::Tables1Click()
{
    if (!FormStat || FormStat->isVisible())
        return;
    ui::MoveClearOfWindowsOnTop(*FormStat, ui::FrameMargins(*this));
    FormStat->show();
    FormStat->raise();
    FormStat->activateWindow();
}

void TFormQuibo::History1Click()
{
    if (!FormHistory)
        return;
    ui::MoveClearOfWindowsOnTop(*FormHistory, ui::FrameMargins(*this));
    FormHistory->show();
    FormHistory->raise();
}

void TFormQuibo::Help1Click() { ui::ShowHelpContext(10); }

void TFormQuibo::I_HelponlineClick()
{
    const QUrl page(QString::fromLatin1(OnlineHelpUrl));
    ui::OpenUrl(page, [page] {
        warn(QStringLiteral("The page %1 could not be opened: no program to show web pages was found.").arg(page.toString()));
    });
}

void TFormQuibo::AboutQuibo1Click()
{
    if (FormInfo)
        ui::ShowModal(*FormInfo);
}

// ---- Chart images and clipboard ----

void TFormQuibo::GraphSave1Click()
{
    if (!SaveDlg.Execute())
        return;
    const QString extension = upperExtension(SaveDlg.FileName);
    if (extension == QLatin1String(".BMP"))
        Chart1()->SaveToBitmapFile(SaveDlg.FileName);
    else if (extension == QLatin1String(".WMF"))
        Chart1()->SaveToMetafile(SaveDlg.FileName);
    else if (extension == QLatin1String(".EMF"))
        Chart1()->SaveToMetafileEnh(SaveDlg.FileName);
}

void TFormQuibo::SaveDlgTypeChange()
{
    // The filter entries: 1 bitmap, 2 Windows metafile, 3 enhanced metafile, 4 all files.
    switch (SaveDlg.FilterIndex) {
    case 1: SaveDlg.DefaultExt = QStringLiteral("bmp"); break;
    case 2: SaveDlg.DefaultExt = QStringLiteral("wmf"); break;
    default: SaveDlg.DefaultExt.clear(); break;
    }
}

void TFormQuibo::Copytoclipboard1Click() { Chart1()->CopyToClipboardMetafile(); }

void TFormQuibo::Print1Click()
{
    QPrinter printer(QPrinter::HighResolution);
    ui::TPrinterSetupDialog PrinterSetupDlg;
    PrinterSetupDlg.Printer = &printer;
    if (!PrinterSetupDlg.Execute())
        return;
    QString copyright;
    if (FormInfo)
        FormInfo->GetCopyright(copyright);
    PrintReport(printer, {.FileName = FFileName,
                          .IsTable = IsDatabaseFile(),
                          .SqlLines = Query.SQL().Lines(),
                          .Analysis = &FAnalysis,
                          .DrawChart = [this](QPainter &painter, const QRect &target) { Chart1()->Draw(painter, target); },
                          .Date = QDate::currentDate(),
                          .Copyright = copyright});
}

void TFormQuibo::Graphproperties1Click() { ShowChartProperties(Chart1()); }

void TFormQuibo::Chart1ClickSeries(chart::TChartSeries *Series, int ValueIndex)
{
    ui::ShowMessage(QStringLiteral("Series: ") + (Series ? Series->Name() : QString()) + QStringLiteral(" at point: ")
                    + QString::number(ValueIndex));
}

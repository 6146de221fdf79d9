#pragma once
// A main window over files in a temporary folder, with every dialog scripted.

#include "workspace/FHistory.h"
#include "workspace/FQuibo.h"
#include "workspace/FReport.h"

#include "ui_FQuibo.h"

#include "ScriptedDialogs.h"

#include "platform/chart/Chart.h"
#include "platform/rtl/SysUtils.h"
#include "platform/ui/StringGrid.h"

#include <QFile>
#include <QMenu>
#include <QTemporaryDir>

#include <gtest/gtest.h>


class MainWindowTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        saved = rtl::FormatLocale();
        rtl::SetFormatLocale(QLocale::c());
        FormHistory = new TFormHistory;
        form = std::make_unique<TFormQuibo>();
        form->SetHistoryFileName(historyFile());
        dialogs.expectModal([](QDialog &) { return int(ui::mrOk); }); // the start screen
        form->FormActivate();
    }
    void TearDown() override
    {
        form.reset();
        delete FormHistory;
        FormHistory = nullptr;
        rtl::SetFormatLocale(saved);
    }

    QString historyFile() const { return dir.filePath(QStringLiteral("history.txt")); }

    QString writeFile(const QString &name, const QByteArray &content)
    {
        const QString path = dir.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
        return path;
    }

    void open(const QString &path)
    {
        dialogs.expectFile(path);
        form->BtnOpenClick();
    }

    void openText(const QByteArray &content, bool log = false)
    {
        f().CB_log->setChecked(log);
        open(writeFile(QStringLiteral("data.csv"), content));
    }

    Ui::FormQuibo &f() { return form->form(); }
    ui::TStringGrid &grid() { return *f().DistGrid; }
    chart::TChart &chart() { return *f().Chart1; }
    QStringList row(int r) { return {grid().Cells(0, r), grid().Cells(1, r), grid().Cells(2, r)}; }
    chart::TChartSeries *seriesNamed(const QString &name)
    {
        for (int i = 0; i < chart().SeriesCount(); ++i) {
            if (chart().Series(i)->Name() == name)
                return chart().Series(i);
        }
        return nullptr;
    }

    QLocale saved;
    QTemporaryDir dir;
    ScriptedDialogs dialogs;
    std::unique_ptr<TFormQuibo> form;
};

// A main window whose statistics take their critical values from the test and fill a report
// window of their own.
class MainWindowWithReportTest : public MainWindowTest
{
protected:
    void useReport(CriticalValueSource &critical)
    {
        report = std::make_unique<TFormReport>();
        FormReport = report.get();
        form->SetCriticalValueSource(&critical);
    }
    void TearDown() override
    {
        FormReport = nullptr;
        report.reset();
        MainWindowTest::TearDown();
    }

    std::unique_ptr<TFormReport> report;
};

#pragma once
// The statistics window over copies of the empty critical-value tables in a temporary folder,
// which is also the current folder (text tables land there), on a locale with the decimal comma.

#include "statistics/FGraph.h"
#include "statistics/FStat.h"
#include "ui_FStat.h"

#include "CriticalTables.h"
#include "ScriptedDialogs.h"

#include "platform/db/Table.h"
#include "platform/rtl/SysUtils.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

struct CriticalRow
{
    int nmb = 0;
    int iters = 0;
    double alpha = 0;
    double val = 0;
};

class StatWindow : public ::testing::Test
{
protected:
    StatWindow() : m_oldDir(QDir::currentPath()), m_oldLocale(rtl::FormatLocale())
    {
        rtl::SetFormatLocale(QLocale(QLocale::German, QLocale::Germany));
        EXPECT_TRUE(CopyEmptyCriticalTables(QStringLiteral(QUIBO_EMPTY_TABLES_DIR), QDir(dir.path())));
        QDir::setCurrent(dir.path());
        form = std::make_unique<TFormStat>();
        form->SetDatabasePath(dir.path());
        form->FormActivate();
    }
    ~StatWindow() override
    {
        form.reset();
        QDir::setCurrent(m_oldDir);
        rtl::SetFormatLocale(m_oldLocale);
    }

    Ui::TFormStat &f() { return form->form(); }
    chart::TChart &graph() { return *FormGraph->Chart1(); }

    /// Chooses a distribution as the user does: the entry, then its change handler.
    void choose(int entry)
    {
        f().CB_Distrib->setCurrentIndex(entry);
        form->CB_DistribChange();
    }

    std::vector<CriticalRow> rows(const QString &table)
    {
        db::TTable t;
        t.SetTableName(dir.filePath(table));
        t.Open();
        std::vector<CriticalRow> all;
        for (t.First(); !t.Eof(); t.Next())
            all.push_back({t.FieldByName("NMB")->AsInteger(), t.FieldByName("ITERS")->AsInteger(),
                           t.FieldByName("ALPHA")->AsFloat(), t.FieldByName("VAL")->AsFloat()});
        return all;
    }

    ScriptedDialogs dialogs;
    QTemporaryDir dir;
    std::unique_ptr<TFormStat> form;

private:
    QString m_oldDir;
    QLocale m_oldLocale;
};

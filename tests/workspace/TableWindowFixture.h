#pragma once
// A main window whose temporary folder is also the database "fixture", for tests that make
// data tables; classes are judged against a constant critical value.

#include "MainWindowFixture.h"

#include "platform/db/Database.h"
#include "platform/db/Query.h"

#include "statistics/CriticalValueSource.h"

class TableWindowTest : public MainWindowTest
{
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        fixture.SetDatabaseName(QStringLiteral("fixture"));
        fixture.Params().Add(QStringLiteral("PATH=") + dir.path());
        fixture.Open();
        form->SetCriticalValueSource(&critical);
        f().CB_log->setChecked(false);
    }

    void exec(const QString &sql)
    {
        db::TQuery query;
        query.SetDatabaseName(QStringLiteral("fixture"));
        query.SQL().Add(sql);
        query.ExecSQL();
    }

    class TwoCriticalValues : public CriticalValueSource
    {
    public:
        double GetCriticalValue(uint8_t, int32_t, int32_t, int32_t, double, int32_t) override { return 2.0; }
    };

    db::TDatabase fixture;
    TwoCriticalValues critical;
};

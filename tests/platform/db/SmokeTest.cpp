#include "DbTestSupport.h"

#include "platform/db/DatabaseError.h"

using namespace db;

TEST(Smoke, CreateAppendQuery)
{
    DbFolder folder;
    folder.exec(QStringLiteral("CREATE TABLE \"Normal.dbf\" (NMB DECIMAL(5,0), ITERS DECIMAL(9,0), ALPHA DECIMAL(17,15), VAL DECIMAL(17,15))"));
    auto q = folder.query(QStringLiteral("SELECT * FROM 'normal.dbf' WHERE (NMB = :NMB) AND (ALPHA = :ALPHA)"));
    q->SetRequestLive(true);
    q->Prepare();
    q->Params()[0].SetDataType(ftInteger);
    q->Params()[1].SetDataType(ftFloat);
    q->ParamByName("NMB").SetAsInteger(5);
    q->ParamByName("ALPHA").SetAsFloat(0.95);
    q->Open();
    EXPECT_EQ(q->RecordCount(), 0);
    q->Edit();
    q->FieldByName("NMB")->SetAsInteger(5);
    q->FieldByName("ALPHA")->SetAsFloat(0.95);
    q->FieldByName("ITERS")->SetAsInteger(100004);
    q->FieldByName("VAL")->SetAsFloat(1.2345);
    q->Post();
    q->Close();
    q->Open();
    ASSERT_EQ(q->RecordCount(), 1);
    EXPECT_EQ(q->FieldByName("ITERS")->AsInteger(), 100004);
    EXPECT_DOUBLE_EQ(q->FieldByName("VAL")->AsFloat(), 1.2345);
    q->Edit();
    q->FieldByName("VAL")->SetAsFloat(2.5);
    q->Post();
    q->Close();
    auto t = folder.table("NORMAL");
    t->Open();
    ASSERT_EQ(t->RecordCount(), 1);
    EXPECT_EQ(t->FieldByName("VAL")->AsString(), QStringLiteral("2.5"));
}

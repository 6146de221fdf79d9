// The automation object in the program's own process, on the session bus of the test: what its
// members change in the main window, and the question asked when the user quits while a client
// holds the object. Run under dbus-run-session.

#include "TableWindowFixture.h"

#include "automation/AutomationServer.h"
#include "automation/Quibo_TLB.h"

#include "platform/db/Params.h"
#include "platform/ui/Application.h"
#include "workspace/FInfo.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QEventLoop>

namespace {

class AutomationWindowTest : public TableWindowTest
{
protected:
    void SetUp() override
    {
        TableWindowTest::SetUp();
        FormQuibo = form.get();
        ASSERT_EQ(server.Start(), QString());
        ui::SetCloseQuery([this] { return server.CanClose(); });
    }

    void TearDown() override
    {
        ui::SetCloseQuery(nullptr);
        QDBusConnection::disconnectFromBus(client.name());
        FormQuibo = nullptr;
        TableWindowTest::TearDown();
    }

    // A call from the client's connection, answered while this thread runs the server's events.
    QDBusMessage call(const QString &member, const QVariantList &arguments = {},
                      const char *interface = Quibo_TLB::InterfaceICQuibo)
    {
        QDBusMessage message = QDBusMessage::createMethodCall(QDBusConnection::sessionBus().baseService(),
                                                              QLatin1String(Quibo_TLB::ObjectPath),
                                                              QLatin1String(interface), member);
        message.setArguments(arguments);
        QDBusPendingCallWatcher watcher(client.asyncCall(message));
        QEventLoop loop;
        QObject::connect(&watcher, &QDBusPendingCallWatcher::finished, &loop, &QEventLoop::quit);
        if (!watcher.isFinished())
            loop.exec();
        return watcher.reply();
    }

    QString table()
    {
        exec(QStringLiteral(
            "CREATE TABLE 'm.dbf' (ID INTEGER, START DECIMAL(6,2), Rf1 DECIMAL(8,3), Rf2 DECIMAL(8,3))"));
        exec(QStringLiteral("INSERT INTO 'm.dbf' VALUES (1, 0, 10, 100)"));
        exec(QStringLiteral("INSERT INTO 'm.dbf' VALUES (2, 0, 20, 1000)"));
        return dir.filePath(QStringLiteral("m.dbf"));
    }

    automation::TAutomationServer server{false, QDBusConnection::sessionBus()};
    // A connection of its own per test: a new client for each server.
    QDBusConnection client = QDBusConnection::connectToBus(QDBusConnection::SessionBus, NewClientName());

private:
    static QString NewClientName()
    {
        static int clients = 0;
        return QStringLiteral("client %1").arg(++clients);
    }
};

TEST_F(AutomationWindowTest, MembersChangeWhatTheWindowShows)
{
    FormInfo->show(); // the start screen
    f().CB_log->setChecked(true);
    ASSERT_EQ(call(QStringLiteral("OpenDatabase"), {table()}).type(), QDBusMessage::ReplyMessage);
    EXPECT_FALSE(FormInfo->isVisible());
    EXPECT_FALSE(f().BtnCancel->isEnabled());

    ASSERT_EQ(call(QStringLiteral("OpenData"), {false, QStringLiteral("ID = 2")}).type(), QDBusMessage::ReplyMessage);
    EXPECT_FALSE(f().CB_log->isChecked()); // and so for the user's next read
    ASSERT_EQ(form->ItemCount(), 1);
    EXPECT_EQ(form->Items()[0].Values, (std::vector<double>{20, 1000}));
    EXPECT_TRUE(form->windowTitle().endsWith(QStringLiteral(" on ID = 2]")));

    exec(QStringLiteral("CREATE TABLE 'out.dbf' (K INTEGER, RES MEMO)"));
    const QVariantList output{QStringLiteral("out.dbf"), QStringLiteral("K"), QStringLiteral("RES"), 7,
                              QStringLiteral("12")};
    ASSERT_EQ(call(QStringLiteral("SetOutput"), output).type(), QDBusMessage::ReplyMessage);
    const db::TParam &key = form->OutputQuery()->Params()[0];
    EXPECT_EQ(int(key.DataType()), 7); // a type without conversion: the key has no value
    EXPECT_TRUE(key.IsNull());
    EXPECT_TRUE(f().Readclasslimits1->isVisible());

    ASSERT_EQ(call(QStringLiteral("SetMinStd"), {0.125}).type(), QDBusMessage::ReplyMessage);
    EXPECT_EQ(f().EditMinDev->text(), QStringLiteral("0.125"));
    EXPECT_EQ(form->MinStd(), 0.125);
}

TEST_F(AutomationWindowTest, QuittingWhileClientHoldsObjectAsksAndNoKeepsRunning)
{
    int quits = 0;
    QObject::connect(form.get(), &TFormQuibo::quitRequested, [&] { ++quits; });
    ASSERT_EQ(call(QStringLiteral("SeriesCount")).arguments(), QVariantList{0});

    dialogs.expectMessage(QStringLiteral("Quit of Quibo?"), ui::mrYes);
    dialogs.expectMessage(QStringLiteral("Close Quibo anyway?"), ui::mrNo);
    form->BtnCancelClick(f().BtnCancel);
    EXPECT_EQ(quits, 0);
    EXPECT_FALSE(QFile::exists(historyFile()));
    const ScriptedDialogs::Shown &question = dialogs.shown().back();
    EXPECT_EQ(question.type, ui::TMsgDlgType::mtWarning);
    EXPECT_EQ(question.buttons, ui::TMsgDlgButtons::mbYesNo);
    EXPECT_EQ(question.defaultButton, ui::mrNo);

    // Released, the object holds the program no longer: only the program's own question.
    ASSERT_EQ(call(QStringLiteral("Release"), {}, Quibo_TLB::InterfaceLifetime).type(), QDBusMessage::ReplyMessage);
    QCoreApplication::processEvents();
    EXPECT_EQ(call(QStringLiteral("SeriesCount")).errorName(),
              QStringLiteral("org.freedesktop.DBus.Error.UnknownObject"));
    dialogs.expectMessage(QStringLiteral("Quit of Quibo?"), ui::mrYes);
    form->BtnCancelClick(f().BtnCancel);
    EXPECT_EQ(quits, 1);
    EXPECT_TRUE(QFile::exists(historyFile()));
}

// A member whose routine fails shows the user its box on the server's screen and gives the
// client an error reply with the same text; a condition that selects no record is no failure.
TEST_F(AutomationWindowTest, FailedOpenOrReadIsAnErrorReplyBesideTheUsersBox)
{
    const QString good = table();
    exec(QStringLiteral("INSERT INTO 'm.dbf' VALUES (3, 50, 10, 100)")); // 10 - 50 has no logarithm
    exec(QStringLiteral("CREATE TABLE 'nostart.dbf' (ID INTEGER, Rf1 DECIMAL(8,3))"));
    exec(QStringLiteral("INSERT INTO 'nostart.dbf' VALUES (1, 10)"));
    exec(QStringLiteral("CREATE TABLE 'gone.dbf' (ID INTEGER, START DECIMAL(6,2), Rf1 DECIMAL(8,3))"));
    const QString gone = dir.filePath(QStringLiteral("gone.dbf"));

    const auto expectFailure = [this](const QString &member, const QVariantList &arguments, const QString &cause) {
        const size_t before = dialogs.shown().size();
        const QDBusMessage reply = call(member, arguments);
        ASSERT_GT(dialogs.shown().size(), before) << "no box for the user";
        const ScriptedDialogs::Shown &box = dialogs.shown().back();
        EXPECT_EQ(box.type, ui::TMsgDlgType::mtError);
        EXPECT_TRUE(box.text.contains(cause, Qt::CaseInsensitive)) << box.text.toStdString();
        EXPECT_EQ(reply.type(), QDBusMessage::ErrorMessage);
        EXPECT_EQ(reply.errorName(), QLatin1String(Quibo_TLB::ErrorUnexpected));
        EXPECT_EQ(reply.errorMessage(), box.text) << reply.errorMessage().toStdString();
        EXPECT_EQ(call(QStringLiteral("SeriesCount")).arguments(), QVariantList{0});
    };
    const auto open = [this](const QString &path) {
        ASSERT_EQ(call(QStringLiteral("OpenDatabase"), {path}).type(), QDBusMessage::ReplyMessage);
    };
    const auto read = [](bool log, const QString &where) { return QVariantList{log, where}; };
    const QString openData = QStringLiteral("OpenData");

    dialogs.expectMessage(QString());
    expectFailure(openData, read(false, QStringLiteral("ID = 1")), QStringLiteral("No data table is open"));
    open(good);
    dialogs.expectMessage(QString());
    expectFailure(openData, read(false, QStringLiteral("NOSUCH = 1")), QStringLiteral("NOSUCH"));
    dialogs.expectMessage(QString());
    expectFailure(openData, read(false, QStringLiteral("ID >")), QStringLiteral("failed"));
    dialogs.expectMessage(QString());
    expectFailure(openData, read(true, QStringLiteral("ID = 3")), QStringLiteral("logarithm"));
    open(dir.filePath(QStringLiteral("nostart.dbf")));
    dialogs.expectMessage(QString());
    expectFailure(openData, read(false, QStringLiteral("ID = 1")), QStringLiteral("Start"));
    open(gone);
    ASSERT_TRUE(QFile::remove(gone));
    dialogs.expectMessage(QString());
    expectFailure(openData, read(false, QStringLiteral("ID = 1")), QStringLiteral("gone.dbf"));

    dialogs.expectMessage(QStringLiteral("Create new?"), ui::mrYes);
    dialogs.expectInput(QString());
    dialogs.expectInput(QStringLiteral("three"));
    dialogs.expectMessage(QString());
    expectFailure(QStringLiteral("OpenDatabase"), {gone}, QStringLiteral("'three' is not a valid integer"));
    EXPECT_FALSE(QFile::exists(gone));

    open(good);
    dialogs.expectMessage(QStringLiteral("No active data"));
    EXPECT_EQ(call(openData, read(false, QStringLiteral("ID = 99"))).type(), QDBusMessage::ReplyMessage);
}

// Stored limits read back but not judged (the probability box holds no probability) are no
// count of classes: the user gets the warning, the client -1.
TEST_F(AutomationWindowTest, ClassesReadButNotJudgedAnswerMinusOne)
{
    ASSERT_EQ(call(QStringLiteral("OpenDatabase"), {table()}).type(), QDBusMessage::ReplyMessage);
    exec(QStringLiteral("CREATE TABLE 'out.dbf' (K INTEGER, RES MEMO)"));
    exec(QStringLiteral("INSERT INTO 'out.dbf' VALUES (7, 'class_A=(n 2; std 1; avg 1)')"));
    const QVariantList output{QStringLiteral("out.dbf"), QStringLiteral("K"), QStringLiteral("RES"), 3,
                              QStringLiteral("7")};
    ASSERT_EQ(call(QStringLiteral("SetOutput"), output).type(), QDBusMessage::ReplyMessage);
    ASSERT_EQ(call(QStringLiteral("OpenData"), {false, QStringLiteral("1 = 1")}).type(), QDBusMessage::ReplyMessage);
    f().EditProbab->setText(QStringLiteral("150")); // typed by the user on the server's screen
    dialogs.expectMessage(QStringLiteral("The probability must lie above 0 and below 100 %, not 150"));
    EXPECT_EQ(call(QStringLiteral("ReadClasses"), {0}).arguments(), QVariantList{-1});
}

// A client's first call may come before the window's first activation, which sets the minimal
// STD: what the client set is what the box shows and what the statistics use.
TEST_F(AutomationWindowTest, MinimalStdSetBeforeFirstActivationStays)
{
    TFormQuibo fresh;
    fresh.SetHistoryFileName(historyFile());
    FormQuibo = &fresh;
    ASSERT_EQ(call(QStringLiteral("SetMinStd"), {0.125}).type(), QDBusMessage::ReplyMessage);
    dialogs.expectModal([](QDialog &) { return int(ui::mrOk); }); // the start screen
    fresh.FormActivate();
    EXPECT_EQ(fresh.MinStd(), 0.125);
    EXPECT_EQ(fresh.form().EditMinDev->text(), QStringLiteral("0.125"));
    FormQuibo = form.get();
}

} // namespace

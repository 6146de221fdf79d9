#include "workspace/FInfo.h"

#include "platform/rtl/SysUtils.h"

#include "QtPrinters.h"
#include "ScriptedDialogs.h"

#include <QCoreApplication>
#include <QFile>
#include <QLabel>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QUrlQuery>

#include <gtest/gtest.h>

struct NormalizeCase
{
    const char *name;
    const char *text;
    const char *expected;
};

void PrintTo(const NormalizeCase &c, std::ostream *out) { *out << '"' << c.text << '"'; }

class NormalizeVersionCases : public ::testing::TestWithParam<NormalizeCase>
{
};

TEST_P(NormalizeVersionCases, KeepsMajorAndMinor)
{
    EXPECT_EQ(NormalizeVersion(QString::fromLatin1(GetParam().text)), QString::fromLatin1(GetParam().expected));
}

INSTANTIATE_TEST_SUITE_P(
    Texts, NormalizeVersionCases,
    ::testing::Values(NormalizeCase{"FourParts", "1.0.8.2", "1.0.0.0"}, NormalizeCase{"ThreeParts", "5.12.3", "5.12.0.0"},
                      NormalizeCase{"TwoParts", "5.1", "5.1.0.0"}, NormalizeCase{"TrailingDot", "5.", "5.0.0.0"},
                      NormalizeCase{"TwoDotsInARow", "5..3", "5.0.0.0"}, NormalizeCase{"NoDot", "7", "7"},
                      NormalizeCase{"LeadingDot", ".5.1", ".5.1"}, NormalizeCase{"Empty", "", ""}),
    [](const ::testing::TestParamInfo<NormalizeCase> &info) { return std::string(info.param.name); });

namespace {

class TFormInfoAt : public TFormInfo
{
public:
    TFormInfoAt(int ppi, TVersionInfo info, const QString &folder) : TFormInfo(std::move(info), folder), m_ppi(ppi) {}

protected:
    int PixelsPerInch() const override { return m_ppi; }

private:
    int m_ppi;
};

template<typename Widget>
Widget *part(const QWidget &form, const char *name)
{
    auto *widget = form.findChild<Widget *>(QLatin1String(name));
    EXPECT_NE(widget, nullptr) << name;
    return widget;
}

QString label(const QWidget &form, const char *name) { return part<QLabel>(form, name)->text(); }

QString applicationPathLine()
{
    return QStringLiteral("Application path=") + QCoreApplication::applicationDirPath() + QLatin1Char('/');
}

} // namespace

class AboutBox : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(folder.isValid());
        ui::SetApplicationTitle(QStringLiteral("Quibo"));
    }

    QTemporaryDir folder;
    ScriptedDialogs dialogs;
};

TEST_F(AboutBox, WithoutVersionEntriesShowsTheFallbacks)
{
    TFormInfo form(TVersionInfo{}, folder.path());
    form.SetProgramInfo(QString(), QString(), QString(), QString());

    EXPECT_EQ(part<QPlainTextEdit>(form, "Memo1")->toPlainText(), applicationPathLine());
    EXPECT_EQ(label(form, "LblTitle"), QStringLiteral("Program Quibo"));
    EXPECT_EQ(label(form, "LblComment"), QString());
    EXPECT_EQ(label(form, "LblVersion"), QStringLiteral("Version "));
    EXPECT_EQ(label(form, "LblCopyright"), QStringLiteral("Copyright \u00A9 The Quibo developers ()"));
    EXPECT_TRUE(part<QPushButton>(form, "BtnMore")->isVisibleTo(&form));
    EXPECT_FALSE(part<QPlainTextEdit>(form, "Memo1")->isVisibleTo(&form));
}

TEST_F(AboutBox, ArgumentsStandInForMissingEntries)
{
    TFormInfo form(TVersionInfo{}, folder.path());
    form.SetProgramInfo(QStringLiteral("Quibo trial"), QStringLiteral("Ordered values"), QStringLiteral("2.5"),
                        QStringLiteral("2020-2026"));
    EXPECT_EQ(label(form, "LblTitle"), QStringLiteral("Quibo trial"));
    EXPECT_EQ(label(form, "LblComment"), QStringLiteral("Ordered values"));
    EXPECT_EQ(label(form, "LblVersion"), QStringLiteral("Version 2.5"));
    EXPECT_EQ(form.Version(), QStringLiteral("2.5.0.0"));
    QString copyright;
    form.GetCopyright(copyright);
    EXPECT_EQ(copyright, QStringLiteral("Copyright \u00A9 The Quibo developers (2020-2026)"));
}

TEST_F(AboutBox, BuildEntriesAreListedInKeyOrderAndFillTheLabels)
{
    const TVersionInfo build = ProgramVersionInfo();
    TFormInfo form(build, folder.path());
    form.SetProgramInfo(QString(), QString(), QStringLiteral("beta"), QStringLiteral("1999"));

    QStringList expected;
    for (const QString &key : VersionKeys()) {
        if (!build.Value(key).isEmpty())
            expected << key + QLatin1Char('=') + build.Value(key);
    }
    expected << applicationPathLine();
    EXPECT_EQ(part<QPlainTextEdit>(form, "Memo1")->toPlainText().split(QLatin1Char('\n')), expected);

    const QString fileVersion = build.Value(QStringLiteral("FileVersion"));
    EXPECT_EQ(fileVersion.count(QLatin1Char('.')), 3) << "the file version has four parts";
    EXPECT_EQ(label(form, "LblTitle"), QStringLiteral("Program ") + build.Value(QStringLiteral("InternalName")));
    EXPECT_EQ(label(form, "LblComment"), build.Value(QStringLiteral("FileDescription")));
    EXPECT_EQ(label(form, "LblVersion"), QStringLiteral("Version ") + fileVersion + QStringLiteral(" beta"));
    EXPECT_EQ(form.Version(), NormalizeVersion(fileVersion));
    EXPECT_EQ(label(form, "LblCopyright"), build.Value(QStringLiteral("LegalCopyright")));
}

TEST_F(AboutBox, MoreInfoHeightsFollowThePixelsPerInch)
{
    TFormInfoAt form(120, TVersionInfo{}, folder.path());
    form.SetProgramInfo(QString(), QString(), QString(), QString());
    form.show();
    auto *more = part<QPushButton>(form, "BtnMore");
    auto *memo = part<QPlainTextEdit>(form, "Memo1");

    form.BtnMoreClick();
    EXPECT_EQ(form.frameGeometry().height(), 490);
    EXPECT_TRUE(memo->isVisible());
    EXPECT_EQ(more->text(), QStringLiteral("<< Info"));

    form.BtnMoreClick();
    EXPECT_EQ(form.frameGeometry().height(), 310);
    EXPECT_FALSE(memo->isVisible());
    EXPECT_EQ(more->text(), QStringLiteral("More Info >>"));
}

TEST_F(AboutBox, HeightsAreTruncatedNotRounded)
{
    TFormInfoAt form(100, TVersionInfo{}, folder.path()); // 392 * 100 / 96 = 408.33, 248 * 100 / 96 = 258.33
    form.show();
    form.BtnMoreClick();
    EXPECT_EQ(form.frameGeometry().height(), 408);
    form.BtnMoreClick();
    EXPECT_EQ(form.frameGeometry().height(), 258);
}

TEST_F(AboutBox, AddressClickWritesAMailWithTheTitleAsSubject)
{
    TFormInfo form(ProgramVersionInfo(), folder.path());
    form.SetProgramInfo(QString(), QString(), QString(), QString());
    auto *address = part<QLabel>(form, "LblAddress");

    dialogs.expectUrl();
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(2, 2), QPointF(2, 2), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(2, 2), QPointF(2, 2), Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(address, &press);
    QCoreApplication::sendEvent(address, &release);

    ASSERT_EQ(dialogs.urls().size(), 1);
    const QUrl mail = dialogs.urls().constFirst();
    EXPECT_EQ(mail.scheme(), QStringLiteral("mailto"));
    EXPECT_EQ(mail.path(), address->text());
    EXPECT_EQ(QUrlQuery(mail).queryItemValue(QStringLiteral("Subject"), QUrl::FullyDecoded),
              QStringLiteral("Program Quibo: User request"));
}

TEST_F(AboutBox, SettingsAnswerFalseUntilTheStoreIsOpen)
{
    TFormInfo form(ProgramVersionInfo(), folder.path());
    QString value = QStringLiteral("left over");
    EXPECT_FALSE(form.ReadRegString(QStringLiteral("fot_delimiter"), value));
    EXPECT_EQ(value, QString());
    EXPECT_FALSE(form.WriteRegString(QStringLiteral("fot_delimiter"), QStringLiteral(";")));
    EXPECT_TRUE(form.SettingsFileName().isEmpty());

    form.SetProgramInfo(QString(), QString(), QString(), QString());
    EXPECT_TRUE(form.WriteRegString(QStringLiteral("fot_delimiter"), QStringLiteral(";")));
    EXPECT_TRUE(form.ReadRegString(QStringLiteral("fot_delimiter"), value));
    EXPECT_EQ(value, QStringLiteral(";"));
}

TEST_F(AboutBox, SettingsPersistPerVersionAndAbsentNamesReadEmpty)
{
    TVersionInfo version;
    version.Present = true;
    version.Entries[QStringLiteral("FileVersion")] = QStringLiteral("1.2.3.4");
    {
        TFormInfo first(version, folder.path());
        first.SetProgramInfo(QString(), QString(), QString(), QString());
        EXPECT_TRUE(first.SettingsFileName().endsWith(QStringLiteral("/quibo-1.2.0.0.ini"))) << first.SettingsFileName().toStdString();
        EXPECT_TRUE(first.WriteRegString(QStringLiteral("fot_names"), QStringLiteral("a,b; c=d")));
        EXPECT_TRUE(first.WriteRegString(QStringLiteral("fot_empty"), QString()));
    }
    TFormInfo second(version, folder.path());
    second.SetProgramInfo(QString(), QString(), QString(), QString());
    QString value = QStringLiteral("x");
    EXPECT_TRUE(second.ReadRegString(QStringLiteral("fot_names"), value));
    EXPECT_EQ(value, QStringLiteral("a,b; c=d"));
    EXPECT_TRUE(second.ReadRegString(QStringLiteral("fot_empty"), value));
    EXPECT_EQ(value, QString());
    value = QStringLiteral("x");
    EXPECT_TRUE(second.ReadRegString(QStringLiteral("fot_never_written"), value));
    EXPECT_EQ(value, QString());
}

TEST_F(AboutBox, StoredValueThatIsNoTextReadsAsFailure)
{
    TFormInfo form(TVersionInfo{}, folder.path());
    form.SetProgramInfo(QString(), QString(), QStringLiteral("3.0"), QString());
    QFile file(form.SettingsFileName());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("[General]\nfot_list=one,two\n");
    file.close();

    TFormInfo reader(TVersionInfo{}, folder.path());
    reader.SetProgramInfo(QString(), QString(), QStringLiteral("3.0"), QString());
    QString value = QStringLiteral("x");
    EXPECT_FALSE(reader.ReadRegString(QStringLiteral("fot_list"), value));
    EXPECT_EQ(value, QString());
}

TEST_F(AboutBox, UnwritableStoreRaisesAnError)
{
    QFile blocker(folder.filePath(QStringLiteral("blocker")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    TFormInfo form(TVersionInfo{}, blocker.fileName() + QStringLiteral("/settings"));
    form.SetProgramInfo(QString(), QString(), QString(), QString());
    EXPECT_THROW(form.WriteRegString(QStringLiteral("fot_delimiter"), QStringLiteral(";")), rtl::Exception);
}

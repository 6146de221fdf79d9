#include "Dialogs.h"

#include "QtDialogs.h"

#include <QFileInfo>

#include "platform/rtl/SysUtils.h"

namespace ui {

namespace {
DialogProvider *g_provider = nullptr;

QString &titleStore()
{
    static QString title;
    return title;
}
} // namespace

DialogProvider &Dialogs()
{
    if (g_provider)
        return *g_provider;
    static QtDialogProvider qtProvider;
    return qtProvider;
}

void SetDialogProvider(DialogProvider *provider) { g_provider = provider; }

QString ApplicationTitle() { return titleStore(); }

void SetApplicationTitle(const QString &title) { titleStore() = title; }

bool TFileDialog::Execute()
{
    if (!Dialogs().fileDialog(*this))
        return false;
    // A name typed without an extension gets the default one, whichever provider asked.
    if (!DefaultExt.isEmpty() && !FileName.isEmpty() && QFileInfo(FileName).suffix().isEmpty())
        FileName += QLatin1Char('.') + DefaultExt;
    return true;
}

bool TColorDialog::Execute() { return Dialogs().colorDialog(*this); }

bool TPrinterSetupDialog::Execute() { return Printer && Dialogs().printerSetupDialog(*this); }
bool TFontDialog::Execute() { return Dialogs().fontDialog(*this); }

TModalResult MessageDlg(const QString &text, TMsgDlgType type, TMsgDlgButtons buttons, int helpContext,
                        TModalResult defaultButton)
{
    return Dialogs().messageBox({ApplicationTitle(), text, type, buttons, helpContext, defaultButton});
}

bool ConfirmAnswered(const QString &text)
{
    MessageRequest request{ApplicationTitle(), text, TMsgDlgType::mtConfirmation, TMsgDlgButtons::mbYesNo};
    request.answerRequired = true;
    return Dialogs().messageBox(request) == mrYes;
}

void ShowWarningBox(rtl::WarningKind kind, const QString &text)
{
    TMsgDlgType type = TMsgDlgType::mtWarning;
    if (kind == rtl::WarningKind::Error)
        type = TMsgDlgType::mtError;
    else if (kind == rtl::WarningKind::Information)
        type = TMsgDlgType::mtInformation;
    MessageDlg(text, type, TMsgDlgButtons::mbOK);
}

void RouteWarningsToDialogs() { rtl::SetWarningHandler(&ShowWarningBox); }

void RouteLongWorkToDialogs()
{
    rtl::SetStopBoxMaker([](const QString &text) { return Dialogs().stopBox(text); });
}

void ShowMessage(const QString &text) { Dialogs().showMessage(ApplicationTitle(), text); }

QString InputBox(const QString &caption, const QString &prompt, const QString &defaultText)
{
    QString value = defaultText;
    return Dialogs().inputQuery(caption, prompt, value) ? value : defaultText;
}

bool InputQuery(const QString &caption, const QString &prompt, QString &value)
{
    return Dialogs().inputQuery(caption, prompt, value);
}

int ShowModal(QDialog &form) { return Dialogs().showModal(form); }

bool SelectDirectory(QString &folder) { return Dialogs().selectDirectory(folder); }

void OpenUrl(const QUrl &url, std::function<void()> notShown) { Dialogs().openUrl(url, std::move(notShown)); }

void ShowException(const std::exception &error)
{
    const auto *known = dynamic_cast<const rtl::Exception *>(&error);
    QString text = known ? known->Message() : QString::fromLocal8Bit(error.what());
    if (dynamic_cast<const std::bad_alloc *>(&error))
        text = QStringLiteral("Out of memory");
    Dialogs().messageBox({ApplicationTitle(), text, TMsgDlgType::mtError, TMsgDlgButtons::mbOK, 0});
}

} // namespace ui

#include "Dialogs.h"

#include "QtDialogs.h"

#include <QFileInfo>

#include <algorithm>

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

namespace {

// The first (or, with `fromEnd`, the last) `most` characters of `text`, but no more than
// `lines` lines of them, and no half of a surrogate pair.
QStringView textEnd(QStringView text, bool fromEnd, qsizetype most, qsizetype lines)
{
    QStringView part = fromEnd ? text.last(std::min(most, text.size())) : text.first(std::min(most, text.size()));
    qsizetype breaks = 0;
    for (qsizetype i = 0; i < part.size(); ++i) {
        const qsizetype at = fromEnd ? part.size() - 1 - i : i;
        if (part[at] == u'\n' && ++breaks == lines) {
            part = fromEnd ? part.sliced(at + 1) : part.first(at);
            break;
        }
    }
    if (fromEnd && !part.isEmpty() && part.front().isLowSurrogate())
        part = part.sliced(1);
    if (!fromEnd && !part.isEmpty() && part.back().isHighSurrogate())
        part.chop(1);
    return part;
}

} // namespace

QString BoxText(const QString &text)
{
    if (text.size() <= kBoxTextMost && text.count(u'\n') < kBoxLinesMost)
        return text;
    const QStringView all(text);
    return textEnd(all, false, kBoxTextMost / 2, kBoxLinesMost / 2).toString()
           + QStringLiteral(" \u2026 (%1 characters in all) \u2026 ").arg(text.size())
           + textEnd(all, true, kBoxTextMost / 2, kBoxLinesMost / 2).toString();
}

TModalResult MessageDlg(const QString &text, TMsgDlgType type, TMsgDlgButtons buttons, int helpContext,
                        TModalResult defaultButton)
{
    return Dialogs().messageBox({ApplicationTitle(), BoxText(text), type, buttons, helpContext, defaultButton});
}

bool ConfirmAnswered(const QString &text)
{
    MessageRequest request{ApplicationTitle(), BoxText(text), TMsgDlgType::mtConfirmation, TMsgDlgButtons::mbYesNo};
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

void ShowMessage(const QString &text) { Dialogs().showMessage(ApplicationTitle(), BoxText(text)); }

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
    MessageDlg(text, TMsgDlgType::mtError, TMsgDlgButtons::mbOK);
}

} // namespace ui

#pragma once
// The one seam through which the program shows every message box, question, input box, file
// dialog and modal form, and opens URLs. The Qt provider shows real windows; tests install a
// scripted provider that answers and records what was asked.

#include "platform/rtl/LongWork.h"
#include "platform/rtl/SysUtils.h"
#include "platform/rtl/Warnings.h"

#include <QColor>
#include <QFont>
#include <QString>
#include <QUrl>

#include <functional>
#include <memory>

class QDialog;
class QPrinter;

namespace ui {

enum class TMsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation };
enum class TMsgDlgButtons { mbOK, mbYesNo };

/// Results of modal windows and boxes, with the run-time's numbering.
enum TModalResult : int { mrNone = 0, mrOk = 1, mrCancel = 2, mrAbort = 3, mrYes = 6, mrNo = 7 };

enum class TFileDialogKind { Open, Save };

/// An input box that nobody answered: the program ended under it (its automation client left),
/// or was ending when it was to be shown. What asked must not take its default for an answer.
class EUnanswered : public rtl::Exception
{
public:
    using Exception::Exception;
};

/// The state of an open or save dialog: filled by the caller, read back after Execute().
struct TFileDialog
{
    explicit TFileDialog(TFileDialogKind kind) : Kind(kind) {}

    TFileDialogKind Kind;
    QString Title;
    /// "Description|pattern;pattern|Description|pattern" as the run-time writes filters.
    QString Filter;
    /// Added to a chosen name that has no extension; without the dot.
    QString DefaultExt;
    QString InitialDir;
    QString FileName;
    /// 1-based index of the chosen filter entry; updated by the dialog.
    int FilterIndex = 1;
    /// Called when the user picks another filter entry (FilterIndex already updated).
    std::function<void(TFileDialog &)> OnTypeChange;
    /// An open dialog accepts only the name of an existing file unless this is cleared; then a
    /// typed new name is chosen too (for a caller that offers to create the file). A save
    /// dialog accepts any name.
    bool FileMustExist = true;

    /// Shows the dialog through the seam; true when the user chose a file (FileName set).
    bool Execute();
};

struct TOpenDialog : TFileDialog
{
    TOpenDialog() : TFileDialog(TFileDialogKind::Open) {}
};

struct TSaveDialog : TFileDialog
{
    TSaveDialog() : TFileDialog(TFileDialogKind::Save) {}
};

/// The state of a colour dialog: the colour it opens with, and the user's choice after Execute().
struct TColorDialog
{
    QColor Color = Qt::black;

    /// Shows the dialog through the seam; true when the user confirmed a colour (Color set).
    bool Execute();
};

/// The printer set-up dialog: chooses the printer (or a PDF file) and its page settings.
struct TPrinterSetupDialog
{
    /// The printer the dialog sets up; owned by the caller, not null when executed.
    QPrinter *Printer = nullptr;

    /// Shows the dialog through the seam; true when the user confirmed (Printer set up).
    bool Execute();
};

/// The state of a font dialog: the font and colour it opens with, and the user's choice after
/// Execute().
struct TFontDialog
{
    QFont Font;
    QColor Color = Qt::black;

    /// Shows the dialog through the seam; true when the user confirmed (Font and Color set).
    bool Execute();
};

/// What a message box shows; the title is the application title.
struct MessageRequest
{
    QString title;
    QString text;
    TMsgDlgType type = TMsgDlgType::mtInformation;
    TMsgDlgButtons buttons = TMsgDlgButtons::mbOK;
    int helpContext = 0;
    /// The button Enter presses: mrNo makes No the default of a Yes/No box; otherwise the first button.
    TModalResult defaultButton = mrNone;
    /// The program ending under the box is no answer: the box throws EUnanswered instead.
    bool answerRequired = false;
};

class DialogProvider
{
public:
    virtual ~DialogProvider() = default;
    /// Answers the button pressed; a box closed without one (Esc, the close box, the program
    /// ending) answers mrNo when it asks Yes or No, mrCancel otherwise.
    /// \throws EUnanswered when the program ended under a box whose request requires an answer.
    virtual TModalResult messageBox(const MessageRequest &request) = 0;
    /// A plain message with an OK button.
    virtual void showMessage(const QString &title, const QString &text) = 0;
    /// Answers false when cancelled (Cancel, Esc, the close box); `value` holds the default on
    /// entry and the text on OK.
    /// \throws EUnanswered when the box closed without the user: the program ended under it.
    virtual bool inputQuery(const QString &caption, const QString &prompt, QString &value) = 0;
    virtual bool fileDialog(TFileDialog &dialog) = 0;
    /// Answers false when cancelled; on true `dialog.Color` holds the chosen colour.
    virtual bool colorDialog(TColorDialog &dialog) = 0;
    /// Answers false when cancelled; on true `dialog.Font` and `dialog.Color` hold the choice.
    virtual bool fontDialog(TFontDialog &dialog) = 0;
    /// Shows a form modally and answers its modal result.
    virtual int showModal(QDialog &form) = 0;
    /// The directory-choice dialog (no starting folder, no option to create one): answers
    /// false when cancelled; on true `folder` holds the chosen folder. A provider that offers
    /// no such dialog answers false.
    virtual bool selectDirectory(QString &folder)
    {
        (void)folder;
        return false;
    }
    /// Opens `url` in the desktop's program for it. `notShown` runs when no program could show
    /// it: at once when none could be started, or later, when the launcher ends with a failure
    /// (as xdg-open does on a desktop without a browser).
    virtual void openUrl(const QUrl &url, std::function<void()> notShown) = 0;
    /// Answers false when cancelled; on true `dialog.Printer` is set up as the user chose.
    virtual bool printerSetupDialog(TPrinterSetupDialog &dialog) = 0;
    /// Shows, without waiting, the box of long work under way: `text` and a "Stop" button. It
    /// keeps the other windows from input (they still repaint) until it is destroyed; closing
    /// it (Esc, the close box) asks to stop too. A provider that shows none answers null.
    virtual std::unique_ptr<rtl::StopBox> stopBox(const QString &text)
    {
        (void)text;
        return nullptr;
    }
};

/// The provider in use: the installed one, else the Qt provider.
DialogProvider &Dialogs();
/// Installs a provider (not owned); nullptr goes back to the Qt provider.
void SetDialogProvider(DialogProvider *provider);

/// The title of every box: the application title ("Quibo" once the program has set it).
QString ApplicationTitle();
void SetApplicationTitle(const QString &title);

/// The most characters, and lines, that a box shows of a text.
inline constexpr qsizetype kBoxTextMost = 1000;
inline constexpr qsizetype kBoxLinesMost = 24;
/// `text` as a box shows it: a longer one (a file's cell, a caller's name or condition can be
/// megabytes) keeps its beginning and its end around "…" and the number of its characters, so
/// that the box is laid out at once and can be read.
QString BoxText(const QString &text);

/// Both show their text as BoxText gives it, as does ShowException.
TModalResult MessageDlg(const QString &text, TMsgDlgType type, TMsgDlgButtons buttons, int helpContext = 0,
                        TModalResult defaultButton = mrNone);
/// A Yes/No question on which something is done that no default may decide: true for Yes.
/// \throws EUnanswered when the program ended under the box.
bool ConfirmAnswered(const QString &text);
void ShowMessage(const QString &text);
/// Asks one value; answers `defaultText` when cancelled.
/// \throws EUnanswered when the program ended under the box (see DialogProvider::inputQuery).
QString InputBox(const QString &caption, const QString &prompt, const QString &defaultText);
/// \throws EUnanswered as InputBox does.
bool InputQuery(const QString &caption, const QString &prompt, QString &value);
int ShowModal(QDialog &form);
/// Lets the user choose a folder; false when cancelled.
bool SelectDirectory(QString &folder);
/// Opens `url` in the desktop's program for it; `notShown` runs, now or later, when no program
/// could show it (see DialogProvider::openUrl).
void OpenUrl(const QUrl &url, std::function<void()> notShown);

/// Shows a message of a computing unit (rtl::ShowWarning) as an OK box of the matching type.
void ShowWarningBox(rtl::WarningKind kind, const QString &text);
/// Points rtl's warning hook at ShowWarningBox; the application object does this at start-up.
void RouteWarningsToDialogs();
/// Points rtl's stop box of long work at the provider in use; the application object does this too.
void RouteLongWorkToDialogs();

/// Shows an exception that left an event handler in a stop box titled with the application title.
void ShowException(const std::exception &error);

} // namespace ui

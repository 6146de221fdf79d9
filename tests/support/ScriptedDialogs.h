#pragma once
// A dialog provider for tests: each box, input, file dialog and modal form must have been
// scripted beforehand; an unexpected one fails the test. Everything shown is recorded.

#include "platform/ui/Dialogs.h"

#include <QDialog>
#include <QStringList>

#include <optional>

#include <deque>
#include <functional>

class ScriptedDialogs : public ui::DialogProvider
{
public:
    /// Installs itself as the seam's provider and routes rtl::ShowWarning to it; the destructor
    /// restores the Qt provider and the warning handler before it, and fails the test when
    /// scripted answers were left unused.
    ScriptedDialogs();
    ~ScriptedDialogs() override;

    struct Shown
    {
        QString kind; // "message", "plain", "input", "open", "save", "color", "modal", "url", "printer", "directory", "font", "stop"
        QString title;
        QString text;
        ui::TMsgDlgType type = ui::TMsgDlgType::mtInformation;
        ui::TMsgDlgButtons buttons = ui::TMsgDlgButtons::mbOK;
        ui::TModalResult defaultButton = ui::mrNone;
    };

    /// The next message box is answered with `answer`; its text must contain `expectedText`.
    void expectMessage(const QString &expectedText, ui::TModalResult answer = ui::mrOk);
    void expectPlainMessage(const QString &expectedText);
    /// The next input box answers `value`, or is cancelled when `accept` is false.
    void expectInput(const QString &value, bool accept = true);
    /// The next file dialog chooses `fileName` (filter index unchanged), or is cancelled when empty.
    void expectFile(const QString &fileName, int filterIndex = 0);
    /// The next colour dialog confirms `color`, or is cancelled when `color` is invalid.
    void expectColor(const QColor &color);
    /// The next font dialog confirms `font` in `color`, or is cancelled when `accept` is false.
    void expectFont(const QFont &font, const QColor &color, bool accept = true);
    /// The next modal form is handed to `script`, which sets its fields and answers the result.
    void expectModal(std::function<int(QDialog &)> script);
    /// The next URL is taken as opened, or as shown by no program when `opened` is false.
    void expectUrl(bool opened = true);
    /// The next printer set-up dialog chooses printing into the PDF file `pdfFileName`, or is
    /// cancelled when it is empty.
    void expectPrinter(const QString &pdfFileName);
    /// The next directory-choice dialog chooses `folder`, or is cancelled when it is empty.
    void expectDirectory(const QString &folder);
    /// The next stop box of long work asks to stop when first asked. Without this, long work
    /// shows no box and goes on.
    void expectStop();

    const std::vector<Shown> &shown() const { return m_shown; }
    QStringList messages() const;
    /// The last file dialog's state as it was shown.
    const ui::TFileDialog *lastFileDialog() const { return m_lastFile ? &*m_lastFile : nullptr; }
    QList<QUrl> urls() const { return m_urls; }
    bool allUsed() const;

    ui::TModalResult messageBox(const ui::MessageRequest &request) override;
    void showMessage(const QString &title, const QString &text) override;
    bool inputQuery(const QString &caption, const QString &prompt, QString &value) override;
    bool fileDialog(ui::TFileDialog &dialog) override;
    bool colorDialog(ui::TColorDialog &dialog) override;
    bool fontDialog(ui::TFontDialog &dialog) override;
    /// The font the last font dialog opened with.
    const ui::TFontDialog *lastFontDialog() const { return m_lastFont ? &*m_lastFont : nullptr; }
    int showModal(QDialog &form) override;
    bool selectDirectory(QString &folder) override;
    void openUrl(const QUrl &url, std::function<void()> notShown) override;
    bool printerSetupDialog(ui::TPrinterSetupDialog &dialog) override;
    std::unique_ptr<rtl::StopBox> stopBox(const QString &text) override;

private:
    struct Step
    {
        QString kind;
        QString text;
        int result = 0;
        bool accept = true;
        int filterIndex = 0;
        std::function<int(QDialog &)> script;
        std::optional<ui::TFontDialog> font;
    };
    Step take(const QString &kind, const QString &shownText);

    rtl::WarningHandler m_previousWarnings;
    std::deque<Step> m_steps;
    std::vector<Shown> m_shown;
    std::optional<ui::TFileDialog> m_lastFile;
    std::optional<ui::TFontDialog> m_lastFont;
    QList<QUrl> m_urls;
};

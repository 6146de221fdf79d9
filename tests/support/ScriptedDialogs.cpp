#include "ScriptedDialogs.h"

#include <QFileInfo>
#include <QPrinter>

#include <gtest/gtest.h>

// The computing units' messages are recorded too, also in tests without an application object.
ScriptedDialogs::ScriptedDialogs() : m_previousWarnings(rtl::SetWarningHandler(&ui::ShowWarningBox))
{
    ui::SetDialogProvider(this);
}

ScriptedDialogs::~ScriptedDialogs()
{
    ui::SetDialogProvider(nullptr);
    rtl::SetWarningHandler(std::move(m_previousWarnings));
    for (const Step &step : m_steps)
        ADD_FAILURE() << "scripted " << step.kind.toStdString() << " \"" << step.text.toStdString()
                      << "\" was never shown";
}

void ScriptedDialogs::expectMessage(const QString &expectedText, ui::TModalResult answer)
{
    m_steps.push_back({QStringLiteral("message"), expectedText, answer, true, 0, {}, {}});
}

void ScriptedDialogs::expectPlainMessage(const QString &expectedText)
{
    m_steps.push_back({QStringLiteral("plain"), expectedText, 0, true, 0, {}, {}});
}

void ScriptedDialogs::expectInput(const QString &value, bool accept)
{
    m_steps.push_back({QStringLiteral("input"), value, 0, accept, 0, {}, {}});
}

void ScriptedDialogs::expectFile(const QString &fileName, int filterIndex)
{
    m_steps.push_back({QStringLiteral("file"), fileName, 0, !fileName.isEmpty(), filterIndex, {}, {}});
}

void ScriptedDialogs::expectColor(const QColor &color)
{
    m_steps.push_back({QStringLiteral("color"), color.isValid() ? color.name() : QString(), 0, color.isValid(), 0, {}, {}});
}

void ScriptedDialogs::expectFont(const QFont &font, const QColor &color, bool accept)
{
    Step step{QStringLiteral("font"), font.family(), 0, accept, 0, {}, {}};
    step.font = ui::TFontDialog{font, color};
    m_steps.push_back(step);
}

void ScriptedDialogs::expectModal(std::function<int(QDialog &)> script)
{
    m_steps.push_back({QStringLiteral("modal"), QString(), 0, true, 0, std::move(script), {}});
}

void ScriptedDialogs::expectDirectory(const QString &folder)
{
    m_steps.push_back({QStringLiteral("directory"), folder, 0, !folder.isEmpty(), 0, {}, {}});
}

void ScriptedDialogs::expectUrl(bool opened)
{
    m_steps.push_back({QStringLiteral("url"), QString(), 0, opened, 0, {}, {}});
}

QStringList ScriptedDialogs::messages() const
{
    QStringList texts;
    for (const Shown &s : m_shown) {
        if (s.kind == QLatin1String("message") || s.kind == QLatin1String("plain"))
            texts << s.text;
    }
    return texts;
}

bool ScriptedDialogs::allUsed() const { return m_steps.empty(); }

void ScriptedDialogs::expectStop() { m_steps.push_back({QStringLiteral("stop"), QString(), 0, true, 0, {}, {}}); }

std::unique_ptr<rtl::StopBox> ScriptedDialogs::stopBox(const QString &text)
{
    struct PressedStop : rtl::StopBox
    {
        bool stopAsked() override { return true; }
    };
    if (m_steps.empty() || m_steps.front().kind != QLatin1String("stop"))
        return nullptr;
    m_steps.pop_front();
    m_shown.push_back({QStringLiteral("stop"), ui::ApplicationTitle(), text});
    return std::make_unique<PressedStop>();
}

ScriptedDialogs::Step ScriptedDialogs::take(const QString &kind, const QString &shownText)
{
    if (m_steps.empty()) {
        ADD_FAILURE() << "unexpected " << kind.toStdString() << ": \"" << shownText.toStdString() << "\"";
        return {kind, QString(), ui::mrNo, false, 0, {}, {}};
    }
    Step step = m_steps.front();
    m_steps.pop_front();
    EXPECT_EQ(step.kind.toStdString(), kind.toStdString()) << "shown: \"" << shownText.toStdString() << "\"";
    return step;
}

ui::TModalResult ScriptedDialogs::messageBox(const ui::MessageRequest &request)
{
    m_shown.push_back(
        {QStringLiteral("message"), request.title, request.text, request.type, request.buttons, request.defaultButton});
    const Step step = take(QStringLiteral("message"), request.text);
    EXPECT_TRUE(request.text.contains(step.text))
        << "expected a box with \"" << step.text.toStdString() << "\", shown \"" << request.text.toStdString() << "\"";
    return ui::TModalResult(step.result);
}

void ScriptedDialogs::showMessage(const QString &title, const QString &text)
{
    m_shown.push_back({QStringLiteral("plain"), title, text});
    const Step step = take(QStringLiteral("plain"), text);
    EXPECT_TRUE(text.contains(step.text)) << "shown \"" << text.toStdString() << "\"";
}

bool ScriptedDialogs::inputQuery(const QString &caption, const QString &prompt, QString &value)
{
    m_shown.push_back({QStringLiteral("input"), caption, prompt});
    const Step step = take(QStringLiteral("input"), prompt);
    if (step.accept)
        value = step.text;
    return step.accept;
}

bool ScriptedDialogs::fileDialog(ui::TFileDialog &dialog)
{
    m_lastFile = dialog;
    const QString kind = dialog.Kind == ui::TFileDialogKind::Save ? QStringLiteral("save") : QStringLiteral("open");
    m_shown.push_back({kind, dialog.Title, dialog.Filter});
    const Step step = take(QStringLiteral("file"), dialog.Filter);
    if (!step.accept)
        return false;
    if (step.filterIndex > 0 && step.filterIndex != dialog.FilterIndex) {
        dialog.FilterIndex = step.filterIndex;
        if (dialog.OnTypeChange)
            dialog.OnTypeChange(dialog);
    }
    // As the real dialog does, an open dialog refuses a name without a file unless told not to.
    EXPECT_TRUE(dialog.Kind == ui::TFileDialogKind::Save || !dialog.FileMustExist || QFileInfo::exists(step.text))
        << "the open dialog accepts only an existing file, not " << step.text.toStdString();
    dialog.FileName = step.text;
    return true;
}

bool ScriptedDialogs::colorDialog(ui::TColorDialog &dialog)
{
    m_shown.push_back({QStringLiteral("color"), QString(), dialog.Color.name()});
    const Step step = take(QStringLiteral("color"), dialog.Color.name());
    if (!step.accept)
        return false;
    dialog.Color = QColor(step.text);
    return true;
}

bool ScriptedDialogs::selectDirectory(QString &folder)
{
    m_shown.push_back({QStringLiteral("directory"), QString(), QString()});
    const Step step = take(QStringLiteral("directory"), QString());
    if (!step.accept)
        return false;
    folder = step.text;
    return true;
}

bool ScriptedDialogs::fontDialog(ui::TFontDialog &dialog)
{
    m_lastFont = dialog;
    m_shown.push_back({QStringLiteral("font"), QString(), dialog.Font.family()});
    const Step step = take(QStringLiteral("font"), dialog.Font.family());
    if (!step.accept || !step.font)
        return false;
    dialog = *step.font;
    return true;
}

int ScriptedDialogs::showModal(QDialog &form)
{
    m_shown.push_back({QStringLiteral("modal"), form.windowTitle(), form.objectName()});
    const Step step = take(QStringLiteral("modal"), form.objectName());
    return step.script ? step.script(form) : ui::mrCancel;
}

void ScriptedDialogs::openUrl(const QUrl &url, std::function<void()> notShown)
{
    m_urls << url;
    m_shown.push_back({QStringLiteral("url"), QString(), url.toString()});
    if (!take(QStringLiteral("url"), url.toString()).accept && notShown)
        notShown();
}

void ScriptedDialogs::expectPrinter(const QString &pdfFileName)
{
    m_steps.push_back({QStringLiteral("printer"), pdfFileName, 0, !pdfFileName.isEmpty(), 0, {}, {}});
}

bool ScriptedDialogs::printerSetupDialog(ui::TPrinterSetupDialog &dialog)
{
    m_shown.push_back({QStringLiteral("printer"), QString(), dialog.Printer->printerName()});
    const Step step = take(QStringLiteral("printer"), dialog.Printer->printerName());
    if (!step.accept)
        return false;
    dialog.Printer->setOutputFormat(QPrinter::PdfFormat);
    dialog.Printer->setOutputFileName(step.text);
    return true;
}

#include "QtDialogs.h"

#include "Application.h"

#include <QApplication>
#include <QColorDialog>
#include <QDesktopServices>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFontDialog>
#include <QPushButton>
#include <QVBoxLayout>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPrintDialog>
#include <QProcess>
#include <QScopeGuard>
#include <QStandardPaths>

#include <algorithm>

namespace ui {

namespace {

QMessageBox::Icon iconOf(TMsgDlgType type)
{
    switch (type) {
    case TMsgDlgType::mtWarning: return QMessageBox::Warning;
    case TMsgDlgType::mtError: return QMessageBox::Critical;
    case TMsgDlgType::mtInformation: return QMessageBox::Information;
    case TMsgDlgType::mtConfirmation: return QMessageBox::Question;
    }
    return QMessageBox::NoIcon;
}

// Just after another dialog has closed no window is active yet; a box opened then belongs to
// the window still running modally, or it could open behind that window when it stays on top.
QWidget *activeParent()
{
    if (QWidget *active = QApplication::activeWindow())
        return active;
    return QApplication::activeModalWidget();
}

bool aTopmostWindowIsShown(const QWidget &except)
{
    const QWidgetList windows = QApplication::topLevelWidgets();
    return std::any_of(windows.cbegin(), windows.cend(), [&except](const QWidget *window) {
        return window != &except && window->isVisible() && window->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
    });
}

// Runs a modal window. Where a window that stays on top (the report, the chart properties) is
// shown, the modal one stays on top for its run too: below it, it could not be seen while it
// blocks every other window.
int execAbove(QDialog &box)
{
    const bool raise = !box.isVisible() && !box.windowFlags().testFlag(Qt::WindowStaysOnTopHint)
                       && aTopmostWindowIsShown(box);
    if (!raise)
        return box.exec();
    box.setWindowFlag(Qt::WindowStaysOnTopHint, true);
    const auto restore = qScopeGuard([&box] { box.setWindowFlag(Qt::WindowStaysOnTopHint, false); });
    return box.exec();
}

// Starts the desktop's URL launcher. It is not waited for: it may run on as long as the program
// it started (a browser that was not running yet). Its exit status, when it ends, tells whether
// a program showed the URL; QDesktopServices only tells whether the launcher started.
void launchUrl(const QString &launcher, const QUrl &url, std::function<void()> notShown)
{
    auto *process = new QProcess(QCoreApplication::instance());
    process->setProcessChannelMode(QProcess::ForwardedChannels);
    process->setStandardInputFile(QProcess::nullDevice());
    const auto failed = [notShown = std::move(notShown)] {
        if (notShown)
            notShown();
    };
    QObject::connect(process, &QProcess::finished, process, [process, failed](int exitCode, QProcess::ExitStatus status) {
        if (QCoreApplication::closingDown())
            return; // a launcher still waiting for its browser is ended with the program
        process->deleteLater();
        if (status != QProcess::NormalExit || exitCode != 0)
            failed();
    });
    QObject::connect(process, &QProcess::errorOccurred, process, [process, failed](QProcess::ProcessError error) {
        if (error != QProcess::FailedToStart)
            return; // the end of a launcher that crashed is told by finished()
        process->deleteLater();
        failed();
    });
    process->start(launcher, {url.isLocalFile() ? url.toLocalFile() : url.toString(QUrl::FullyEncoded)});
}

} // namespace

QStringList QtNameFilters(const QString &filter)
{
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList filters;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QString patterns = parts[i + 1];
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        // A description that already ends with its patterns ("Mask file (*.msk)") shows them once.
        const QString description = parts[i].trimmed();
        const bool showsPatterns = description.endsWith(QLatin1Char('(') + patterns + QLatin1Char(')'));
        filters << (showsPatterns ? description : QStringLiteral("%1 (%2)").arg(parts[i], patterns));
    }
    return filters;
}

TModalResult QtDialogProvider::messageBox(const MessageRequest &request)
{
    QMessageBox box(iconOf(request.type), request.title, request.text, QMessageBox::NoButton, activeParent());
    if (request.buttons == TMsgDlgButtons::mbYesNo) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(request.defaultButton == mrNo ? QMessageBox::No : QMessageBox::Yes);
        box.setEscapeButton(QMessageBox::No);
    } else {
        box.setStandardButtons(QMessageBox::Ok);
    }
    execAbove(box);
    // Only the button pressed counts: the box's result alone cannot tell Yes from a box that the
    // ending program closed without any answer.
    switch (box.standardButton(box.clickedButton())) {
    case QMessageBox::Yes: return mrYes;
    case QMessageBox::No: return mrNo;
    case QMessageBox::Ok: return mrOk;
    default: break;
    }
    if (request.answerRequired)
        throw EUnanswered(QStringLiteral("The program ended before \"%1\" was answered").arg(request.text));
    return request.buttons == TMsgDlgButtons::mbYesNo ? mrNo : mrCancel;
}

void QtDialogProvider::showMessage(const QString &title, const QString &text)
{
    QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::Ok, activeParent());
    execAbove(box);
}

bool QtDialogProvider::inputQuery(const QString &caption, const QString &prompt, QString &value)
{
    QInputDialog box(activeParent());
    box.setWindowTitle(caption);
    box.setLabelText(prompt);
    box.setInputMode(QInputDialog::TextInput);
    box.setTextValue(value);
    // The title bar elides a caption wider than the box ("Regre... etting"). The box fits its
    // layout to its contents, so the width goes to the entry field.
    if (auto *edit = box.findChild<QLineEdit *>()) {
        const QMargins margins = box.layout() ? box.layout()->contentsMargins() : QMargins();
        edit->setMinimumWidth(CaptionWidth(caption) - margins.left() - margins.right());
    }
    // The user's every way out (OK, Cancel, Esc, the close box) finishes the box; the ending
    // program only stops its loop, or does not start it for a box shown after the end began.
    bool finished = false;
    QObject::connect(&box, &QDialog::finished, &box, [&finished] { finished = true; });
    const int result = execAbove(box);
    if (!finished)
        throw EUnanswered(QStringLiteral("The program ended before \"%1\" was answered").arg(prompt));
    if (result != QDialog::Accepted)
        return false;
    value = box.textValue();
    return true;
}

bool QtDialogProvider::fileDialog(TFileDialog &dialog)
{
    QFileDialog box(activeParent(), dialog.Title, dialog.InitialDir);
    box.setOption(QFileDialog::DontUseNativeDialog, true);
    // Callers ask their own overwrite question where they have one.
    box.setOption(QFileDialog::DontConfirmOverwrite, true);
    box.setAcceptMode(dialog.Kind == TFileDialogKind::Save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    const bool anyName = dialog.Kind == TFileDialogKind::Save || !dialog.FileMustExist;
    box.setFileMode(anyName ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    const QStringList filters = QtNameFilters(dialog.Filter);
    if (!filters.isEmpty()) {
        box.setNameFilters(filters);
        box.selectNameFilter(filters.value(qBound(1, dialog.FilterIndex, int(filters.size())) - 1));
    }
    box.setDefaultSuffix(dialog.DefaultExt);
    if (!dialog.FileName.isEmpty())
        box.selectFile(dialog.FileName);
    QObject::connect(&box, &QFileDialog::filterSelected, &box, [&](const QString &chosen) {
        dialog.FilterIndex = int(filters.indexOf(chosen)) + 1;
        if (dialog.OnTypeChange)
            dialog.OnTypeChange(dialog);
        box.setDefaultSuffix(dialog.DefaultExt); // a cleared one adds nothing any more
    });
    if (execAbove(box) != QDialog::Accepted || box.selectedFiles().isEmpty())
        return false;
    dialog.FileName = box.selectedFiles().constFirst();
    dialog.FilterIndex = int(filters.indexOf(box.selectedNameFilter())) + 1;
    return true;
}

bool QtDialogProvider::colorDialog(TColorDialog &dialog)
{
    QColorDialog box(dialog.Color, activeParent());
    if (execAbove(box) != QDialog::Accepted || !box.selectedColor().isValid())
        return false;
    dialog.Color = box.selectedColor();
    return true;
}

FontColorDialog::FontColorDialog(const TFontDialog &state, QWidget *parent)
    : QDialog(parent), m_fontChoice(new QFontDialog(state.Font, this)), m_colorButton(new QPushButton(tr("Color..."), this))
{
    setWindowTitle(tr("Font"));
    // Qt's dialog serves as a widget inside this one, without buttons of its own.
    m_fontChoice->setWindowFlags(Qt::Widget);
    m_fontChoice->setOptions(QFontDialog::NoButtons | QFontDialog::DontUseNativeDialog);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_fontChoice);
    layout->addWidget(m_colorButton, 0, Qt::AlignLeft);
    layout->addWidget(buttons);
    setColor(state.Color);
    buttons->button(QDialogButtonBox::Ok)->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_colorButton, &QPushButton::clicked, this, [this] {
        QColorDialog box(m_color, this);
        if (execAbove(box) == QDialog::Accepted && box.selectedColor().isValid())
            setColor(box.selectedColor());
    });
}

void FontColorDialog::setColor(const QColor &color)
{
    m_color = color;
    QPixmap swatch(16, 16);
    swatch.fill(color);
    m_colorButton->setIcon(QIcon(swatch));
}

TFontDialog FontColorDialog::state() const { return {m_fontChoice->currentFont(), m_color}; }

bool QtDialogProvider::fontDialog(TFontDialog &dialog)
{
    FontColorDialog box(dialog, activeParent());
    if (execAbove(box) != QDialog::Accepted)
        return false;
    dialog = box.state();
    return true;
}

int QtDialogProvider::showModal(QDialog &form) { return execAbove(form); }

bool QtDialogProvider::selectDirectory(QString &folder)
{
    // Only an existing folder is chosen: the dialog offers no new folder.
    QFileDialog box(activeParent());
    box.setFileMode(QFileDialog::Directory);
    box.setOption(QFileDialog::ShowDirsOnly, true);
    box.setOption(QFileDialog::ReadOnly, true);
    if (execAbove(box) != QDialog::Accepted || box.selectedFiles().isEmpty())
        return false;
    folder = box.selectedFiles().constFirst();
    return true;
}

void QtDialogProvider::openUrl(const QUrl &url, std::function<void()> notShown)
{
    const QString launcher = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    if (!launcher.isEmpty())
        launchUrl(launcher, url, std::move(notShown));
    else if (!QDesktopServices::openUrl(url) && notShown)
        notShown();
}

std::unique_ptr<rtl::StopBox> QtDialogProvider::stopBox(const QString &text)
{
    return std::make_unique<StopWorkBox>(text, activeParent());
}

StopWorkBox::StopWorkBox(const QString &text, QWidget *parent)
    : QDialog(parent), m_stopButton(new QPushButton(QStringLiteral("Stop"), this))
{
    setObjectName(QStringLiteral("StopWorkBox"));
    setWindowTitle(ApplicationTitle());
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(text, this));
    m_stopButton->setObjectName(QStringLiteral("BtnStop"));
    m_stopButton->setDefault(true);
    layout->addWidget(m_stopButton, 0, Qt::AlignHCenter);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    connect(m_stopButton, &QPushButton::clicked, this, [this] { m_stopAsked = true; });
    connect(this, &QDialog::rejected, this, [this] { m_stopAsked = true; });
    // The work runs on in the caller: the other windows repaint but take no input meanwhile.
    setWindowModality(Qt::ApplicationModal);
    show();
    activateWindow();
    m_stopButton->setFocus();
}

bool StopWorkBox::stopAsked()
{
    QCoreApplication::processEvents();
    return m_stopAsked;
}

bool QtDialogProvider::printerSetupDialog(TPrinterSetupDialog &dialog)
{
    // Without installed printers Qt's dialog offers printing to a PDF file.
    QPrintDialog box(dialog.Printer, activeParent());
    return execAbove(box) == QDialog::Accepted;
}

} // namespace ui

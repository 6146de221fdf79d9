#pragma once
// The dialog seam's provider that shows real Qt windows.

#include "Dialogs.h"

#include <QDialog>
#include <QStringList>

class QFontDialog;
class QPushButton;

namespace ui {

class QtDialogProvider : public DialogProvider
{
public:
    TModalResult messageBox(const MessageRequest &request) override;
    void showMessage(const QString &title, const QString &text) override;
    bool inputQuery(const QString &caption, const QString &prompt, QString &value) override;
    bool fileDialog(TFileDialog &dialog) override;
    bool colorDialog(TColorDialog &dialog) override;
    bool fontDialog(TFontDialog &dialog) override;
    int showModal(QDialog &form) override;
    bool selectDirectory(QString &folder) override;
    void openUrl(const QUrl &url, std::function<void()> notShown) override;
    bool printerSetupDialog(TPrinterSetupDialog &dialog) override;
    std::unique_ptr<rtl::StopBox> stopBox(const QString &text) override;
};

/// The box of long work: its text and a "Stop" button, modal for the application while shown.
class StopWorkBox : public QDialog, public rtl::StopBox
{
    Q_OBJECT
public:
    explicit StopWorkBox(const QString &text, QWidget *parent = nullptr);
    bool stopAsked() override;

    QPushButton *stopButton() const { return m_stopButton; }

private:
    QPushButton *m_stopButton;
    bool m_stopAsked = false;
};

/// The font dialog: Qt's font choices with a "Color" button below them, which opens the colour
/// dialog on the font's colour, and OK and Cancel.
class FontColorDialog : public QDialog
{
    Q_OBJECT
public:
    FontColorDialog(const TFontDialog &state, QWidget *parent = nullptr);

    QFontDialog *fontChoice() const { return m_fontChoice; }
    QPushButton *colorButton() const { return m_colorButton; }
    QColor color() const { return m_color; }
    void setColor(const QColor &color);
    /// The choice as it stands.
    TFontDialog state() const;

private:
    QFontDialog *m_fontChoice;
    QPushButton *m_colorButton;
    QColor m_color;
};

/// A run-time filter ("Text|*.csv;*.txt|All|*.*") as Qt name filters ("Text (*.csv *.txt)", ...);
/// a description that ends with its patterns in parentheses is taken as it is.
QStringList QtNameFilters(const QString &filter);

} // namespace ui

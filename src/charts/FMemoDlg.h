#pragma once
// The text lines dialog: edits a list of lines in a multi-line edit; OK keeps the changes,
// Cancel drops them.

#include <QDialog>
#include <QStringList>

#include <memory>

namespace Ui {
class TFormMemoDialog;
}

class QPlainTextEdit;

class TFormMemoDialog : public QDialog
{
    Q_OBJECT
public:
    explicit TFormMemoDialog(QWidget *parent = nullptr);
    ~TFormMemoDialog() override;

    QPlainTextEdit *Memo() const;
    void SetLines(const QStringList &lines);
    QStringList Lines() const;

private:
    std::unique_ptr<Ui::TFormMemoDialog> ui;
};

/// The lines of a multi-line edit: an empty edit has none, and a final line break ends the
/// last line without starting another.
QStringList MemoLines(const QPlainTextEdit &memo);

/// Shows Lines in the dialog titled Caption; on OK replaces Lines with the edited lines and
/// answers true, otherwise leaves Lines as they were and answers false.
bool EditLinesDialog(QStringList &Lines, const QString &Caption);

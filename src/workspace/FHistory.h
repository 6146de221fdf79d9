#pragma once
// The history window: the record of the user's work, one line per step (action ": " detail),
// kept in a text file across runs.

#include <QDialog>
#include <QStringList>

#include <memory>

namespace Ui {
class TFormHistory;
}

class TFormHistory : public QDialog
{
    Q_OBJECT
public:
    explicit TFormHistory(QWidget *parent = nullptr);
    ~TFormHistory() override;

    /// Empties the window and loads the lines of `FileName` when it exists; the name is kept for
    /// SaveAndFree either way. Lines that are no valid UTF-8 are read as Latin-1.
    void LoadHistory(const QString &FileName);
    /// Appends Action ": " Detail, preceded by the separator line when Action is "Open" in any case.
    void AddItem(const QString &Action, const QString &Detail);
    /// Writes the lines to the loaded file's name (through a temporary file in the same folder, so
    /// a failed write leaves the old file as it was), then empties the window and deletes it later;
    /// FormHistory no longer points to it. A failed write is shown in an error box and keeps the
    /// window and its lines: the answer is false.
    bool SaveAndFree();

    void BtnClearClick();
    void BtnCancelClick();

    /// The history's lines as the file holds them.
    QStringList Lines() const;
    QString FileName() const { return FFileName; }

    /// The line written before every "Open" entry.
    static constexpr QLatin1String Separator{" ---------- "};

private:
    void setLines(const QStringList &lines);
    void appendLine(const QString &line);
    bool writeFile(QString &error) const;

    std::unique_ptr<Ui::TFormHistory> ui;
    QString FFileName;
};

extern TFormHistory *FormHistory;

#pragma once
// The graph window: the curves and histograms the statistics window draws, with commands to
// delete them and to save the picture as a bitmap.

#include <QWidget>

#include <memory>

namespace Ui {
class TFormGraph;
}

namespace chart {
class TChart;
}

class TFormGraph : public QWidget
{
    Q_OBJECT
public:
    explicit TFormGraph(QWidget *parent = nullptr);
    ~TFormGraph() override;

    chart::TChart *Chart1() const;

    /// Frees every series of the chart.
    void BtnClearClick();
    /// Frees the chart's last series; nothing on an empty chart.
    void BtnDeleteClick();
    /// Opens the chart properties dialog on the chart.
    void BtnPropertiesClick();
    /// Asks for a file name and saves the chart there as a Windows bitmap; an existing file is
    /// replaced only when the user confirms it.
    void BtnSaveClick();

signals:
    /// The user closed the window (its close box); hiding it otherwise does not count.
    void closed();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    std::unique_ptr<Ui::TFormGraph> ui;
};

extern TFormGraph *FormGraph;

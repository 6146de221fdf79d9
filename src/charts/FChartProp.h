#pragma once
// The chart properties dialog: edits the title, the axes, the legend, the border, the bevel, the
// background colour and the series of one chart, each change at once; loads and saves the
// chart-wide settings as ".gsf" files. Modeless, on top, created once and kept for the run.

#include "platform/chart/Chart.h"

#include <QPointer>
#include <QWidget>

#include <functional>
#include <memory>

namespace Ui {
class TFormChartProp;
}

class QAction;
class QLineEdit;
class QMenu;

/// Series kinds as the series list names them; the values are the kinds' codes.
enum class TSeriesKind { Unknown = 0, Point = 1, Line = 2, FastLine = 3, Bar = 5, Arrow = 8, Shape = 11 };
TSeriesKind SeriesKind(const chart::TChartSeries *series);
QString SeriesKindNames(TSeriesKind kind);

class TFormChartProp : public QWidget
{
    Q_OBJECT
public:
    explicit TFormChartProp(QWidget *parent = nullptr);
    ~TFormChartProp() override;

    chart::TChart *FChart() const { return m_chart; }
    void SetChart(chart::TChart *chart) { m_chart = chart; }

    /// Fills every control from the chart; runs whenever the dialog becomes the active window.
    void FormActivate();

    void MemoTitleExit();
    void CB_TitleVisibleClick();
    void BtnTitleFontClick();
    void CB_TitleAlignmentChange();
    void CB_LeftAutomaticClick();
    void CB_BottomAutomaticClick();
    void EditLeftMinExit();
    void EditBottomMinExit();
    void EditLeftMaxExit();
    void EditBottomMaxExit();
    void EditLeftIncrementExit();
    void EditBottomIncrementExit();
    void EditLeftFormatExit();
    void EditBottomFormatExit();
    void BtnLeftLFontClick();
    void BtnBottomLFontClick();
    void EditLeftTitleExit();
    void EditBottomTitleExit();
    void BtnLeftTFontClick();
    void BtnBottomTFontClick();
    void CB_LeftGridClick();
    void CB_BottomGridClick();
    void CB_BorderClick();
    void BtnColorClick();
    void CB_LegendClick();
    void BtnLegendFontClick();
    void EditColorWidthChange();
    void CB_bevelClick();
    void BtnCloseClick();
    void BtnSaveClick();
    void BtnLoadClick();
    /// Applies a settings file to the chart and refills the controls; a file the chart cannot
    /// take is refused with a message and changes nothing.
    void LoadSettingsFile(const QString &fileName);

    // The series list and its popup menu.
    void ListSeriesClick();
    /// Sets the kind submenus' visibility and check marks for the selected series.
    void PopupSeriesPopup();
    QMenu *PopupSeries() const { return m_popup; }
    /// The popup menu while it is attached to the list (a row was clicked), else nullptr.
    QMenu *AttachedPopup() const { return m_popupAttached ? m_popup : nullptr; }
    void RenameSeriesClick();
    void ActiveYesClick(bool yes);
    void InLegendYesClick(bool yes);
    void Color1Click();
    void Delete1Click();
    void SetLineStyle(int style);
    void Width1Click();
    void SetPointStyle(int style);
    void Horizontalsize1Click();
    void Verticalsize1Click();
    void Pointtoarrow1Click();
    void ArrowWidth1Click();
    void Arrowsize1Click();
    void Lengthmultiplier1Click();
    void BrTrYes1Click(bool yes);
    void SetShapeBrushStyle(int style);
    void Font1Click();
    void Text1Click();
    void Bitmap1Click();
    void Clearbitmap1Click();

protected:
    bool event(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void connectHandlers();
    std::function<void()> onChart(void (TFormChartProp::*handler)());
    void buildPopup();
    void fillAxis(const chart::TChartAxis &axis, bool left);
    void fillSeriesList();
    QString seriesRow(int index) const;
    chart::TChartSeries *selectedSeries() const;
    chart::TChartAxis &axis(bool left) const;
    void automaticClick(bool left);
    void rangeExit(bool left, QLineEdit *edit, void (chart::TChartAxis::*set)(double));
    void fontDialog(chart::TChartFont &font);
    static void checkItem(const QList<QAction *> &items, int ordinal);
    void keepRefusedEntry(QLineEdit *edit, const std::function<void()> &apply);

    std::unique_ptr<Ui::TFormChartProp> ui;
    QPointer<chart::TChart> m_chart;
    QMenu *m_popup = nullptr;
    bool m_popupAttached = false;
    // An entry the chart refused, shown again as typed when the error box gives the dialog back.
    QPointer<QLineEdit> m_refusedEdit;
    QString m_refusedText;
    QList<QAction *> m_lineStyleItems, m_pointStyleItems, m_brushStyleItems;
};

extern TFormChartProp *FormChartProp;

/// Opens the dialog on chart (creating it the first time), brings it to the front and returns.
void ShowChartProperties(chart::TChart *chart);

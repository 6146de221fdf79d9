#include "FChartProp.h"

#include "ui_FChartProp.h"

#include "ChartSettings.h"
#include "FMemoDlg.h"

#include "platform/chart/Chart.h"
#include "platform/rtl/SysUtils.h"
#include "platform/ui/Application.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/Help.h"

#include <QApplication>
#include <QImageReader>
#include <QKeyEvent>
#include <QMenu>
#include <QScreen>

TFormChartProp *FormChartProp = nullptr;

namespace {

constexpr int kHelpContext = 100;
const QString kSettingsFilter = QStringLiteral("Setting file|*.gsf|Any file|*.*");
const QString kArrowCaption = QStringLiteral("Arrow common parameters");

// The combo box's rows, in the order of the form's list.
constexpr chart::TAlignment kAlignments[] = {chart::TAlignment::taCenter, chart::TAlignment::taLeftJustify,
                                              chart::TAlignment::taRightJustify};

// "1" with the locale's decimal separator and "0": the multiplier's default answer.
QString oneText() { return QStringLiteral("1") + rtl::DecimalSeparator() + QStringLiteral("0"); }

// A typed width of the arrows' line, checked before their heads (four times as wide) are sized
// from it.
int arrowLineWidth(const QString &answer)
{
    const int width = rtl::StrToInt(answer);
    chart::TChartPen::CheckWidth(width);
    return width;
}

QString seriesCaption(const char *kind, int index, const chart::TChartSeries *series)
{
    return QStringLiteral("%1 [%2] %3").arg(QLatin1String(kind)).arg(index).arg(series->Title());
}

} // namespace

TSeriesKind SeriesKind(const chart::TChartSeries *series)
{
    if (qobject_cast<const chart::TArrowSeries *>(series))
        return TSeriesKind::Arrow;
    if (qobject_cast<const chart::TPointSeries *>(series))
        return TSeriesKind::Point;
    if (qobject_cast<const chart::TLineSeries *>(series))
        return TSeriesKind::Line;
    if (qobject_cast<const chart::TFastLineSeries *>(series))
        return TSeriesKind::FastLine;
    if (qobject_cast<const chart::TBarSeries *>(series))
        return TSeriesKind::Bar;
    if (qobject_cast<const chart::TChartShape *>(series))
        return TSeriesKind::Shape;
    return TSeriesKind::Unknown;
}

QString SeriesKindNames(TSeriesKind kind)
{
    switch (kind) {
    case TSeriesKind::Arrow: return QStringLiteral("Arrow");
    case TSeriesKind::Point: return QStringLiteral("Point");
    case TSeriesKind::Line: return QStringLiteral("Line");
    case TSeriesKind::FastLine: return QStringLiteral("FLine");
    case TSeriesKind::Bar: return QStringLiteral("Bar");
    case TSeriesKind::Shape: return QStringLiteral("Shape");
    case TSeriesKind::Unknown: break;
    }
    return QStringLiteral("?");
}

TFormChartProp::TFormChartProp(QWidget *parent) : QWidget(parent), ui(std::make_unique<Ui::TFormChartProp>())
{
    ui->setupUi(this);
    setWindowFlags(Qt::Window | Qt::WindowStaysOnTopHint);
    ui::SetHelpContext(this, kHelpContext);
    buildPopup();
    connectHandlers();
}

TFormChartProp::~TFormChartProp()
{
    if (FormChartProp == this)
        FormChartProp = nullptr;
    // The controls go after this part of the dialog: an edit that loses the focus then must not
    // reach its handler any more.
    for (QObject *control : findChildren<QObject *>())
        control->disconnect(this);
}

bool TFormChartProp::event(QEvent *event)
{
    const bool handled = QWidget::event(event);
    if (event->type() == QEvent::WindowActivate)
        FormActivate();
    return handled;
}

// Esc closes the dialog as it closes every dialog; controls that use the key (an open list)
// take it first.
void TFormChartProp::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier)
        BtnCloseClick();
    else
        QWidget::keyPressEvent(event);
}

// A handler that runs only while the dialog has a chart: one freed meanwhile (the graph window's
// at the end of the run) makes the controls' last signals do nothing.
std::function<void()> TFormChartProp::onChart(void (TFormChartProp::*handler)())
{
    return [this, handler] {
        if (m_chart)
            (this->*handler)();
    };
}

void TFormChartProp::connectHandlers()
{
    // Edits act when left; the memo and the edits report leaving through their focus-out.
    ui->MemoTitle->installEventFilter(this);
    connect(ui->CB_TitleVisible, &QCheckBox::clicked, this, onChart(&TFormChartProp::CB_TitleVisibleClick));
    connect(ui->BtnTitleFont, &QPushButton::clicked, this, onChart(&TFormChartProp::BtnTitleFontClick));
    connect(ui->CB_TitleAlignment, &QComboBox::activated, this, onChart(&TFormChartProp::CB_TitleAlignmentChange));
    connect(ui->CB_LeftAutomatic, &QCheckBox::clicked, this, onChart(&TFormChartProp::CB_LeftAutomaticClick));
    connect(ui->CB_BottomAutomatic, &QCheckBox::clicked, this, onChart(&TFormChartProp::CB_BottomAutomaticClick));
    const std::pair<QLineEdit *, void (TFormChartProp::*)()> exits[] = {
        {ui->EditLeftMin, &TFormChartProp::EditLeftMinExit},
        {ui->EditBottomMin, &TFormChartProp::EditBottomMinExit},
        {ui->EditLeftMax, &TFormChartProp::EditLeftMaxExit},
        {ui->EditBottomMax, &TFormChartProp::EditBottomMaxExit},
        {ui->EditLeftIncrement, &TFormChartProp::EditLeftIncrementExit},
        {ui->EditBottomIncrement, &TFormChartProp::EditBottomIncrementExit},
        {ui->EditLeftFormat, &TFormChartProp::EditLeftFormatExit},
        {ui->EditBottomFormat, &TFormChartProp::EditBottomFormatExit},
        {ui->EditLeftTitle, &TFormChartProp::EditLeftTitleExit},
        {ui->EditBottomTitle, &TFormChartProp::EditBottomTitleExit},
    };
    // editingFinished also comes with Enter, which users expect to apply the value.
    for (const auto &[edit, handler] : exits)
        connect(edit, &QLineEdit::editingFinished, this, onChart(handler));
    connect(ui->BtnLeftLFont, &QPushButton::clicked, this, onChart(&TFormChartProp::BtnLeftLFontClick));
    connect(ui->BtnBottomLFont, &QPushButton::clicked, this, onChart(&TFormChartProp::BtnBottomLFontClick));
    connect(ui->BtnLeftTFont, &QPushButton::clicked, this, onChart(&TFormChartProp::BtnLeftTFontClick));
    connect(ui->BtnBottomTFont, &QPushButton::clicked, this, onChart(&TFormChartProp::BtnBottomTFontClick));
    connect(ui->CB_LeftGrid, &QCheckBox::clicked, this, onChart(&TFormChartProp::CB_LeftGridClick));
    connect(ui->CB_BottomGrid, &QCheckBox::clicked, this, onChart(&TFormChartProp::CB_BottomGridClick));
    connect(ui->CB_Border, &QCheckBox::clicked, this, onChart(&TFormChartProp::CB_BorderClick));
    connect(ui->BtnColor, &QPushButton::clicked, this, onChart(&TFormChartProp::BtnColorClick));
    connect(ui->CB_Legend, &QCheckBox::clicked, this, onChart(&TFormChartProp::CB_LegendClick));
    connect(ui->BtnLegendFont, &QPushButton::clicked, this, onChart(&TFormChartProp::BtnLegendFontClick));
    connect(ui->EditColorWidth, &QLineEdit::textEdited, this, onChart(&TFormChartProp::EditColorWidthChange));
    connect(ui->CB_bevel, &QCheckBox::clicked, this, onChart(&TFormChartProp::CB_bevelClick));
    connect(ui->BtnClose, &QPushButton::clicked, this, &TFormChartProp::BtnCloseClick);
    connect(ui->BtnSave, &QPushButton::clicked, this, onChart(&TFormChartProp::BtnSaveClick));
    connect(ui->BtnLoad, &QPushButton::clicked, this, onChart(&TFormChartProp::BtnLoadClick));
    connect(ui->ListSeries, &QListWidget::clicked, this, onChart(&TFormChartProp::ListSeriesClick));
    connect(ui->ListSeries, &QWidget::customContextMenuRequested, this, [this](const QPoint &at) {
        // A right click selects the row under the mouse, which counts as clicking it.
        if (ui->ListSeries->itemAt(at))
            ListSeriesClick();
        if (!m_popupAttached)
            return;
        PopupSeriesPopup();
        m_popup->popup(ui->ListSeries->viewport()->mapToGlobal(at));
    });
}

bool TFormChartProp::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == ui->MemoTitle && event->type() == QEvent::FocusOut && m_chart)
        MemoTitleExit();
    return QWidget::eventFilter(watched, event);
}

chart::TChartAxis &TFormChartProp::axis(bool left) const { return left ? m_chart->LeftAxis() : m_chart->BottomAxis(); }

void TFormChartProp::FormActivate()
{
    if (!m_chart) {
        ui::MessageDlg(QStringLiteral("No initialization of the form"), ui::TMsgDlgType::mtWarning, ui::TMsgDlgButtons::mbOK);
        close();
        return;
    }
    const QSignalBlocker blockMemo(ui->MemoTitle);
    ui->MemoTitle->setPlainText(m_chart->Title().join(QLatin1Char('\n')));
    ui->CB_TitleVisible->setChecked(m_chart->TitleVisible());
    ui->CB_TitleAlignment->setCurrentIndex(int(std::find(std::begin(kAlignments), std::end(kAlignments),
                                                         m_chart->TitleAlignment())
                                               - std::begin(kAlignments)));
    fillAxis(m_chart->LeftAxis(), true);
    fillAxis(m_chart->BottomAxis(), false);
    ui->CB_Border->setChecked(m_chart->BorderVisible());
    ui->CB_Legend->setChecked(m_chart->LegendVisible());
    ui->CB_bevel->setChecked(m_chart->BevelInner() != chart::TPanelBevel::bvNone
                             || m_chart->BevelOuter() != chart::TPanelBevel::bvNone);
    ui->EditColorWidth->setText(rtl::IntToStr(m_chart->LegendColorWidth()));
    fillSeriesList();
    if (m_refusedEdit)
        m_refusedEdit->setText(m_refusedText);
    m_refusedEdit = nullptr;
}

// The error box of a refused entry reactivates the dialog when it closes; the refill then keeps
// the typed text, so the user can correct it rather than type it again.
void TFormChartProp::keepRefusedEntry(QLineEdit *edit, const std::function<void()> &apply)
{
    try {
        apply();
    } catch (...) {
        m_refusedEdit = edit;
        m_refusedText = edit->text();
        throw;
    }
}

void TFormChartProp::fillAxis(const chart::TChartAxis &axis, bool left)
{
    const bool automatic = axis.Automatic();
    QLineEdit *range[] = {left ? ui->EditLeftMin : ui->EditBottomMin, left ? ui->EditLeftMax : ui->EditBottomMax,
                          left ? ui->EditLeftIncrement : ui->EditBottomIncrement};
    const double values[] = {axis.Minimum(), axis.Maximum(), axis.Increment()};
    (left ? ui->CB_LeftAutomatic : ui->CB_BottomAutomatic)->setChecked(automatic);
    for (int i = 0; i < 3; ++i) {
        range[i]->setEnabled(!automatic);
        range[i]->setText(rtl::FloatToStr(values[i]));
    }
    (left ? ui->EditLeftFormat : ui->EditBottomFormat)->setText(axis.AxisValuesFormat());
    (left ? ui->EditLeftTitle : ui->EditBottomTitle)->setText(axis.TitleCaption());
    (left ? ui->CB_LeftGrid : ui->CB_BottomGrid)->setChecked(axis.GridVisible());
}

QString TFormChartProp::seriesRow(int index) const
{
    const chart::TChartSeries *series = m_chart->Series(index);
    return QStringLiteral("%1 %2: %3").arg(index).arg(SeriesKindNames(SeriesKind(series)), series->Title());
}

void TFormChartProp::fillSeriesList()
{
    ui->ListSeries->clear();
    for (int i = 0; i < m_chart->SeriesCount(); ++i)
        ui->ListSeries->addItem(seriesRow(i));
    m_popupAttached = false;
}

void TFormChartProp::MemoTitleExit()
{
    if (!m_chart)
        return;
    m_chart->SetTitle(MemoLines(*ui->MemoTitle));
}

void TFormChartProp::CB_TitleVisibleClick() { m_chart->SetTitleVisible(ui->CB_TitleVisible->isChecked()); }

void TFormChartProp::fontDialog(chart::TChartFont &font)
{
    ui::TFontDialog FontDlg;
    FontDlg.Font = font.ToQFont();
    FontDlg.Color = font.Color;
    if (FontDlg.Execute())
        font = chart::TChartFont::FromQFont(FontDlg.Font, FontDlg.Color);
}

void TFormChartProp::BtnTitleFontClick()
{
    chart::TChartFont font = m_chart->TitleFont();
    fontDialog(font);
    m_chart->SetTitleFont(font);
}

void TFormChartProp::CB_TitleAlignmentChange()
{
    const int index = ui->CB_TitleAlignment->currentIndex();
    if (index >= 0 && index < int(std::size(kAlignments)))
        m_chart->SetTitleAlignment(kAlignments[index]);
}

void TFormChartProp::automaticClick(bool left)
{
    const bool automatic = (left ? ui->CB_LeftAutomatic : ui->CB_BottomAutomatic)->isChecked();
    axis(left).SetAutomatic(automatic);
    for (QLineEdit *edit : {left ? ui->EditLeftMin : ui->EditBottomMin, left ? ui->EditLeftMax : ui->EditBottomMax,
                            left ? ui->EditLeftIncrement : ui->EditBottomIncrement})
        edit->setEnabled(!automatic);
}

void TFormChartProp::CB_LeftAutomaticClick() { automaticClick(true); }
void TFormChartProp::CB_BottomAutomaticClick() { automaticClick(false); }

void TFormChartProp::rangeExit(bool left, QLineEdit *edit, void (chart::TChartAxis::*set)(double))
{
    if (m_chart)
        keepRefusedEntry(edit, [&] { (axis(left).*set)(rtl::StrToFloat(edit->text())); });
}

void TFormChartProp::EditLeftMinExit() { rangeExit(true, ui->EditLeftMin, &chart::TChartAxis::SetMinimum); }
void TFormChartProp::EditBottomMinExit() { rangeExit(false, ui->EditBottomMin, &chart::TChartAxis::SetMinimum); }
void TFormChartProp::EditLeftMaxExit() { rangeExit(true, ui->EditLeftMax, &chart::TChartAxis::SetMaximum); }
void TFormChartProp::EditBottomMaxExit() { rangeExit(false, ui->EditBottomMax, &chart::TChartAxis::SetMaximum); }
void TFormChartProp::EditLeftIncrementExit() { rangeExit(true, ui->EditLeftIncrement, &chart::TChartAxis::SetIncrement); }
void TFormChartProp::EditBottomIncrementExit()
{
    rangeExit(false, ui->EditBottomIncrement, &chart::TChartAxis::SetIncrement);
}

void TFormChartProp::EditLeftFormatExit() { m_chart->LeftAxis().SetAxisValuesFormat(ui->EditLeftFormat->text()); }
void TFormChartProp::EditBottomFormatExit() { m_chart->BottomAxis().SetAxisValuesFormat(ui->EditBottomFormat->text()); }

void TFormChartProp::BtnLeftLFontClick()
{
    chart::TChartFont font = m_chart->LeftAxis().LabelsFont();
    fontDialog(font);
    m_chart->LeftAxis().SetLabelsFont(font);
}

void TFormChartProp::BtnBottomLFontClick()
{
    chart::TChartFont font = m_chart->BottomAxis().LabelsFont();
    fontDialog(font);
    m_chart->BottomAxis().SetLabelsFont(font);
}

void TFormChartProp::EditLeftTitleExit() { m_chart->LeftAxis().SetTitleCaption(ui->EditLeftTitle->text()); }
void TFormChartProp::EditBottomTitleExit() { m_chart->BottomAxis().SetTitleCaption(ui->EditBottomTitle->text()); }

void TFormChartProp::BtnLeftTFontClick()
{
    chart::TChartFont font = m_chart->LeftAxis().TitleFont();
    fontDialog(font);
    m_chart->LeftAxis().SetTitleFont(font);
}

void TFormChartProp::BtnBottomTFontClick()
{
    chart::TChartFont font = m_chart->BottomAxis().TitleFont();
    fontDialog(font);
    m_chart->BottomAxis().SetTitleFont(font);
}

void TFormChartProp::CB_LeftGridClick() { m_chart->LeftAxis().SetGridVisible(ui->CB_LeftGrid->isChecked()); }
void TFormChartProp::CB_BottomGridClick() { m_chart->BottomAxis().SetGridVisible(ui->CB_BottomGrid->isChecked()); }
void TFormChartProp::CB_BorderClick() { m_chart->SetBorderVisible(ui->CB_Border->isChecked()); }

void TFormChartProp::BtnColorClick()
{
    ui::TColorDialog ColorDlg;
    ColorDlg.Color = m_chart->Color();
    if (ColorDlg.Execute())
        m_chart->SetColor(ColorDlg.Color);
}

void TFormChartProp::CB_LegendClick() { m_chart->SetLegendVisible(ui->CB_Legend->isChecked()); }

void TFormChartProp::BtnLegendFontClick()
{
    chart::TChartFont font = m_chart->LegendFont();
    fontDialog(font);
    m_chart->SetLegendFont(font);
}

void TFormChartProp::EditColorWidthChange()
{
    const QString text = ui->EditColorWidth->text();
    if (!text.isEmpty())
        keepRefusedEntry(ui->EditColorWidth, [&] { m_chart->SetLegendColorWidth(rtl::StrToInt(text)); });
}

// Each checking steps the width through 1 to 5.
void TFormChartProp::CB_bevelClick()
{
    if (ui->CB_bevel->isChecked()) {
        const int width = m_chart->BevelWidth();
        m_chart->SetBevelWidth(width >= 5 ? 1 : width + 1);
        m_chart->SetBevelInner(chart::TPanelBevel::bvNone);
        m_chart->SetBevelOuter(chart::TPanelBevel::bvRaised);
    } else {
        m_chart->SetBevelInner(chart::TPanelBevel::bvNone);
        m_chart->SetBevelOuter(chart::TPanelBevel::bvNone);
    }
}

void TFormChartProp::BtnCloseClick() { close(); }

void TFormChartProp::BtnSaveClick()
{
    ui::TSaveDialog SaveDlg;
    SaveDlg.Title = QStringLiteral("Save setting to file");
    SaveDlg.Filter = kSettingsFilter;
    SaveDlg.DefaultExt = QStringLiteral("gsf");
    if (!SaveDlg.Execute())
        return;
    WriteChartSettingsFile(SaveDlg.FileName, StoreSettings(*m_chart));
}

void TFormChartProp::BtnLoadClick()
{
    ui::TOpenDialog OpenDlg;
    OpenDlg.Title = QStringLiteral("Load setting from file");
    OpenDlg.Filter = kSettingsFilter;
    if (OpenDlg.Execute())
        LoadSettingsFile(OpenDlg.FileName);
}

void TFormChartProp::LoadSettingsFile(const QString &fileName)
{
    // The record is read and checked whole before anything of it reaches the chart.
    const TChartSettingsRec rec = ReadChartSettingsFile(fileName);
    ApplySettings(*m_chart, rec);
    FormActivate();
}

// ---- the series list and its popup menu

void TFormChartProp::buildPopup()
{
    m_popup = new QMenu(this);
    m_popup->setObjectName(QStringLiteral("PopupSeries"));
    const auto add = [](QMenu *menu, const char *name, const QString &caption, auto handler) {
        QAction *action = menu->addAction(caption);
        action->setObjectName(QLatin1String(name));
        QObject::connect(action, &QAction::triggered, handler);
        return action;
    };
    const auto submenu = [](QMenu *menu, const char *name, const QString &caption) {
        QMenu *sub = menu->addMenu(caption);
        sub->menuAction()->setObjectName(QLatin1String(name));
        sub->setObjectName(QLatin1String(name) + QStringLiteral("Menu"));
        return sub;
    };
    const auto styleItems = [&](QMenu *menu, const std::vector<std::pair<const char *, const char *>> &items,
                                void (TFormChartProp::*set)(int), QList<QAction *> &list) {
        for (size_t i = 0; i < items.size(); ++i) {
            QAction *action = add(menu, items[i].first, QString::fromUtf8(items[i].second),
                                  [this, set, i] { (this->*set)(int(i)); });
            action->setCheckable(true);
            list << action;
        }
    };

    add(m_popup, "RenameSeries", QStringLiteral("&Rename"), [this] { RenameSeriesClick(); });
    QMenu *active = submenu(m_popup, "Active1", QStringLiteral("&Active"));
    add(active, "ActiveYes", QStringLiteral("&Yes"), [this] { ActiveYesClick(true); });
    add(active, "ActiveNo", QStringLiteral("&No"), [this] { ActiveYesClick(false); });
    QMenu *legend = submenu(m_popup, "Showinlegend1", QStringLiteral("&Show in legend"));
    add(legend, "InLegendYes", QStringLiteral("&Yes"), [this] { InLegendYesClick(true); });
    add(legend, "InLegendNo", QStringLiteral("&No"), [this] { InLegendYesClick(false); });
    add(m_popup, "Color1", QStringLiteral("&Color"), [this] { Color1Click(); });

    QMenu *line = submenu(m_popup, "Lineseries1", QStringLiteral("&Line series"));
    styleItems(submenu(line, "Style2", QStringLiteral("&Style")),
               {{"Solid1", "&1 Solid"}, {"Dash1", "&2 Dash"}, {"Dot1", "&3 Dot"}, {"Dashdot1", "&4 Dash-dot"},
                {"Dashdotdot1", "&5 Dash-dot-dot"}, {"Clear1", "&6 Clear"}, {"Insideframe1", "&7 Inside frame"}},
               &TFormChartProp::SetLineStyle, m_lineStyleItems);
    add(line, "Width1", QStringLiteral("&Width"), [this] { Width1Click(); });

    QMenu *point = submenu(m_popup, "Pointseries1", QStringLiteral("&Point series"));
    styleItems(submenu(point, "Style1", QStringLiteral("&Style")),
               {{"Rectangle1", "&1 Rectangle"}, {"Circle1", "&2 Circle"}, {"Triangle1", "&3 Triangle"},
                {"Downtriangle1", "&4 Down triangle"}, {"Cross1", "&5 Cross"}, {"Diagcross1", "&6 Diagonal cross"},
                {"Star1", "&7 Star"}, {"Diamond1", "&8 Diamond"}, {"Smalldot1", "&9 Small dot"}},
               &TFormChartProp::SetPointStyle, m_pointStyleItems);
    add(point, "Horizontalsize1", QStringLiteral("&Horizontal size"), [this] { Horizontalsize1Click(); });
    add(point, "Verticalsize1", QStringLiteral("&Vertical size"), [this] { Verticalsize1Click(); });
    add(point, "Pointtoarrow1", QStringLiteral("Point to &arrow"), [this] { Pointtoarrow1Click(); });

    QMenu *arrow = submenu(m_popup, "Arrowseries1", QStringLiteral("Arro&w series"));
    add(arrow, "ArrowWidth1", QStringLiteral("&Width"), [this] { ArrowWidth1Click(); });
    add(arrow, "Arrowsize1", QStringLiteral("&Arrow size"), [this] { Arrowsize1Click(); });
    add(arrow, "Lengthmultiplier1", QStringLiteral("&Length multiplier"), [this] { Lengthmultiplier1Click(); });

    QMenu *shape = submenu(m_popup, "Chartshape1", QStringLiteral("Chart s&hape"));
    QMenu *transparent = submenu(shape, "Transparant1", QStringLiteral("&Transparant"));
    add(transparent, "BrTrYes1", QStringLiteral("&Yes"), [this] { BrTrYes1Click(true); });
    add(transparent, "BrTrNo1", QStringLiteral("&No"), [this] { BrTrYes1Click(false); });
    styleItems(submenu(shape, "Brush1", QStringLiteral("&Brush")),
               {{"BrSolid1", "&1 Solid"}, {"BrClear1", "&2 Clear"}, {"BrHorizontal1", "&3 Horizontal"},
                {"BrVertical1", "&4 Vertical"}, {"BrFDiagonal1", "&5 F Diagonal"}, {"BrBDiagonal1", "&6 B Diagonal"},
                {"BrCross1", "&7 Cross"}, {"BrDiagcross1", "&8 Diag cross"}},
               &TFormChartProp::SetShapeBrushStyle, m_brushStyleItems);
    add(shape, "Font1", QStringLiteral("&Font"), [this] { Font1Click(); });
    add(shape, "Text1", QStringLiteral("Te&xt"), [this] { Text1Click(); });
    add(shape, "Bitmap1", QStringLiteral("Bit&map"), [this] { Bitmap1Click(); });
    add(shape, "Clearbitmap1", QStringLiteral("&Clear bitmap"), [this] { Clearbitmap1Click(); });

    m_popup->addSeparator()->setObjectName(QStringLiteral("N1"));
    add(m_popup, "Delete1", QStringLiteral("&Delete"), [this] { Delete1Click(); });
}

void TFormChartProp::ListSeriesClick() { m_popupAttached = ui->ListSeries->currentRow() >= 0; }

chart::TChartSeries *TFormChartProp::selectedSeries() const
{
    if (!m_chart)
        return nullptr;
    return m_chart->Series(ui->ListSeries->currentRow());
}

void TFormChartProp::checkItem(const QList<QAction *> &items, int ordinal)
{
    for (int i = 0; i < items.size(); ++i)
        items[i]->setChecked(i == ordinal);
}

void TFormChartProp::PopupSeriesPopup()
{
    chart::TChartSeries *series = selectedSeries();
    if (!series)
        return;
    const TSeriesKind kind = SeriesKind(series);
    const auto menuAction = [this](const char *name) { return m_popup->findChild<QAction *>(QLatin1String(name)); };
    menuAction("Pointseries1")->setVisible(kind == TSeriesKind::Point);
    if (const auto *point = qobject_cast<chart::TPointSeries *>(series); point && kind == TSeriesKind::Point)
        checkItem(m_pointStyleItems, int(point->Pointer().Style));
    menuAction("Lineseries1")->setVisible(kind == TSeriesKind::Line || kind == TSeriesKind::FastLine);
    if (const auto *line = qobject_cast<chart::TCustomLineSeries *>(series))
        checkItem(m_lineStyleItems, int(line->LinePen().Style));
    menuAction("Arrowseries1")->setVisible(kind == TSeriesKind::Arrow);
    menuAction("Chartshape1")->setVisible(kind == TSeriesKind::Shape);
    if (const auto *shape = qobject_cast<chart::TChartShape *>(series)) {
        checkItem(m_brushStyleItems, int(shape->BrushStyle()));
        menuAction("Clearbitmap1")->setVisible(!shape->BrushBitmap().isNull());
    }
}

void TFormChartProp::RenameSeriesClick()
{
    chart::TChartSeries *series = selectedSeries();
    if (!series)
        return;
    const int i = ui->ListSeries->currentRow();
    series->SetTitle(ui::InputBox(QStringLiteral("Rename"), QStringLiteral("Series title [%1]").arg(i), series->Title()));
    ui->ListSeries->item(i)->setText(seriesRow(i));
}

void TFormChartProp::ActiveYesClick(bool yes)
{
    if (chart::TChartSeries *series = selectedSeries())
        series->SetActive(yes);
}

void TFormChartProp::InLegendYesClick(bool yes)
{
    if (chart::TChartSeries *series = selectedSeries())
        series->SetShowInLegend(yes);
}

void TFormChartProp::Color1Click()
{
    chart::TChartSeries *series = selectedSeries();
    if (!series)
        return;
    ui::TColorDialog ColorDlg;
    ColorDlg.Color = series->SeriesColor();
    if (ColorDlg.Execute())
        series->SetSeriesColor(ColorDlg.Color);
}

// The rows after the deleted one keep their texts until the next activation.
void TFormChartProp::Delete1Click()
{
    chart::TChartSeries *series = selectedSeries();
    if (!series)
        return;
    const int i = ui->ListSeries->currentRow();
    delete series;
    delete ui->ListSeries->takeItem(i);
    // The list would select the next row; the next command must not act on a row nobody chose.
    ui->ListSeries->setCurrentRow(-1);
}

void TFormChartProp::SetLineStyle(int style)
{
    if (auto *line = qobject_cast<chart::TCustomLineSeries *>(selectedSeries())) {
        chart::TChartPen pen = line->LinePen();
        pen.Style = chart::TPenStyle(style);
        line->SetLinePen(pen);
    }
    checkItem(m_lineStyleItems, style);
}

void TFormChartProp::Width1Click()
{
    auto *line = qobject_cast<chart::TCustomLineSeries *>(selectedSeries());
    if (!line)
        return;
    const QString answer = ui::InputBox(seriesCaption("Line series", ui->ListSeries->currentRow(), line),
                                        QStringLiteral("Pen width"), rtl::IntToStr(line->LinePen().Width));
    chart::TChartPen pen = line->LinePen();
    pen.Width = rtl::StrToInt(answer);
    line->SetLinePen(pen);
}

void TFormChartProp::SetPointStyle(int style)
{
    auto *point = qobject_cast<chart::TPointSeries *>(selectedSeries());
    if (point && SeriesKind(point) == TSeriesKind::Point) {
        chart::TSeriesPointer pointer = point->Pointer();
        pointer.Style = chart::TSeriesPointerStyle(style);
        point->SetPointer(pointer);
    }
    checkItem(m_pointStyleItems, style);
}

void TFormChartProp::Horizontalsize1Click()
{
    auto *point = qobject_cast<chart::TPointSeries *>(selectedSeries());
    if (!point)
        return;
    chart::TSeriesPointer pointer = point->Pointer();
    pointer.HorizSize = rtl::StrToInt(ui::InputBox(seriesCaption("Point series", ui->ListSeries->currentRow(), point),
                                                   QStringLiteral("Horizontal size of marks"),
                                                   rtl::IntToStr(pointer.HorizSize)));
    point->SetPointer(pointer);
}

void TFormChartProp::Verticalsize1Click()
{
    auto *point = qobject_cast<chart::TPointSeries *>(selectedSeries());
    if (!point)
        return;
    chart::TSeriesPointer pointer = point->Pointer();
    pointer.VertSize = rtl::StrToInt(ui::InputBox(seriesCaption("Point series", ui->ListSeries->currentRow(), point),
                                                  QStringLiteral("Vertical size of marks"),
                                                  rtl::IntToStr(pointer.VertSize)));
    point->SetPointer(pointer);
}

void TFormChartProp::Pointtoarrow1Click()
{
    auto *point = qobject_cast<chart::TPointSeries *>(selectedSeries());
    if (!point || SeriesKind(point) != TSeriesKind::Point)
        return;
    // Every answer is converted before anything is built, so a wrong one leaves the chart alone.
    const long double X0 = rtl::StrToFloatExt(ui::InputBox(kArrowCaption, QStringLiteral("Origin - X"), QStringLiteral("0")));
    const long double Y0 = rtl::StrToFloatExt(ui::InputBox(kArrowCaption, QStringLiteral("Origin - Y"), QStringLiteral("0")));
    const long double M = rtl::StrToFloatExt(ui::InputBox(kArrowCaption, QStringLiteral("Multiplier"), oneText()));
    const int W = arrowLineWidth(ui::InputBox(kArrowCaption, QStringLiteral("Line width"), QStringLiteral("1")));

    auto *arrows = new chart::TArrowSeries(point->parent());
    arrows->SetTitle(point->Title());
    arrows->SetSeriesColor(point->SeriesColor());
    arrows->SetShowInLegend(false);
    arrows->SetParentChart(m_chart);
    chart::TSeriesPointer pointer = arrows->Pointer();
    pointer.Pen = {chart::TPenStyle::psSolid, W};
    arrows->SetPointer(pointer);
    arrows->SetArrowHeight(4 * W);
    arrows->SetArrowWidth(4 * W);
    for (int j = 0; j < point->Count(); ++j) {
        const double endX = double((point->XValue(j) - X0) * M + X0);
        const double endY = double((point->YValue(j) - Y0) * M + Y0);
        arrows->AddArrow(double(X0), double(Y0), endX, endY);
    }
    delete point;
    fillSeriesList();
}

void TFormChartProp::ArrowWidth1Click()
{
    auto *arrows = qobject_cast<chart::TArrowSeries *>(selectedSeries());
    if (!arrows)
        return;
    chart::TSeriesPointer pointer = arrows->Pointer();
    const int W = arrowLineWidth(ui::InputBox(kArrowCaption, QStringLiteral("Line width"), rtl::IntToStr(pointer.Pen.Width)));
    pointer.Pen.Width = W;
    arrows->SetPointer(pointer);
    arrows->SetArrowHeight(4 * W);
    arrows->SetArrowWidth(4 * W);
}

void TFormChartProp::Arrowsize1Click()
{
    auto *arrows = qobject_cast<chart::TArrowSeries *>(selectedSeries());
    if (!arrows)
        return;
    const int size = rtl::StrToInt(ui::InputBox(kArrowCaption, QStringLiteral("Arrow size"), rtl::IntToStr(arrows->ArrowWidth())));
    arrows->SetArrowHeight(size);
    arrows->SetArrowWidth(size);
}

void TFormChartProp::Lengthmultiplier1Click()
{
    auto *arrows = qobject_cast<chart::TArrowSeries *>(selectedSeries());
    if (!arrows)
        return;
    const long double M = rtl::StrToFloatExt(ui::InputBox(kArrowCaption, QStringLiteral("Multiplier"), oneText()));
    if (M == 1)
        return;
    for (int j = 0; j < arrows->Count(); ++j) {
        const long double x0 = arrows->XValue(j), y0 = arrows->YValue(j);
        arrows->SetEndPoint(j, double((arrows->EndXValue(j) - x0) * M + x0), double((arrows->EndYValue(j) - y0) * M + y0));
    }
}

void TFormChartProp::BrTrYes1Click(bool yes)
{
    if (auto *shape = qobject_cast<chart::TChartShape *>(selectedSeries()))
        shape->SetTransparent(yes);
}

void TFormChartProp::SetShapeBrushStyle(int style)
{
    if (auto *shape = qobject_cast<chart::TChartShape *>(selectedSeries()))
        shape->SetBrushStyle(chart::TBrushStyle(style));
    checkItem(m_brushStyleItems, style);
}

void TFormChartProp::Font1Click()
{
    auto *shape = qobject_cast<chart::TChartShape *>(selectedSeries());
    if (!shape)
        return;
    chart::TChartFont font = shape->Font();
    fontDialog(font);
    shape->SetFont(font);
}

void TFormChartProp::Text1Click()
{
    auto *shape = qobject_cast<chart::TChartShape *>(selectedSeries());
    if (!shape)
        return;
    QStringList lines = shape->Text();
    if (EditLinesDialog(lines, QStringLiteral("Edit chart shape text")))
        shape->SetText(lines);
}

void TFormChartProp::Bitmap1Click()
{
    auto *shape = qobject_cast<chart::TChartShape *>(selectedSeries());
    if (!shape)
        return;
    ui::TOpenDialog OpenPictureDlg;
    OpenPictureDlg.Filter = QStringLiteral("Bitmaps (*.bmp)|*.bmp");
    if (!OpenPictureDlg.Execute())
        return;
    shape->SetBrushBitmap({});
    QImageReader reader(OpenPictureDlg.FileName);
    const QImage bitmap = reader.read();
    if (bitmap.isNull())
        throw rtl::Exception(QStringLiteral("Cannot read the picture %1: %2").arg(OpenPictureDlg.FileName, reader.errorString()));
    shape->SetBrushBitmap(bitmap);
}

void TFormChartProp::Clearbitmap1Click()
{
    if (auto *shape = qobject_cast<chart::TChartShape *>(selectedSeries()))
        shape->SetBrushBitmap({});
}

void ShowChartProperties(chart::TChart *chart)
{
    if (!FormChartProp) {
        FormChartProp = new TFormChartProp;
        QObject::connect(qApp, &QCoreApplication::aboutToQuit, FormChartProp, &QObject::deleteLater);
        // At the right edge of the screen, where it hides the least of the charts; its frame, not
        // known before it is shown, is taken to be that of the chart's window.
        if (const QScreen *screen = QGuiApplication::primaryScreen()) {
            const QRect area = screen->availableGeometry();
            const QMargins frame = chart ? ui::FrameMargins(*chart->window()) : QMargins();
            const QSize framed = FormChartProp->size().grownBy(frame);
            FormChartProp->move(std::max(area.left(), area.right() + 1 - framed.width()), area.top());
        }
    }
    FormChartProp->SetChart(chart);
    FormChartProp->show();
    FormChartProp->raise();
    FormChartProp->activateWindow();
}

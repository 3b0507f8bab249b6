// TResultsWindow, the "Results" window: the summary of a job's result
// tables and their plots (the analysis vantrel-cli analyze prints), one tab
// per plot.  It shows the current job's tables, read again after every run
// of a running job that writes them, or tables the user opens; the current
// plot saves as PNG or SVG and its table (or the summary) as text.
#pragma once

#include <vector>

#include <QMainWindow>
#include <QString>
#include <QWidget>

#include "job/results_analysis.h"
#include "plots/result_plots.h"
#include "ui/ui_services.h"

class QAction;
class QLabel;
class QPlainTextEdit;
class QTabWidget;

namespace vantrel {

// One plot, drawn to the widget's size.
class PlotView : public QWidget {
    Q_OBJECT

public:
    explicit PlotView(const PlotSpec& spec, QWidget* parent = nullptr);
    const PlotSpec& Spec() const { return spec_; }
    QSize sizeHint() const override { return {PlotWidth, PlotHeight}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    PlotSpec spec_;
};

// The sputtered table that goes with a result table: "x.results.csv" ->
// "x.sputtered.csv", "results.csv" -> "sputtered.csv" in the same folder;
// empty when the name follows neither pattern.
QString CompanionSputteredTable(const QString& results);

class TResultsWindow : public QMainWindow {
    Q_OBJECT

public:
    static constexpr int HelpTopic = 185;

    explicit TResultsWindow(QWidget* parent = nullptr);
    void SetServices(const UiServices& services) { services_ = services; }

    // Reads and shows these tables (sputtered may be empty or missing) and
    // remembers them for Reload.
    void ShowTables(const QString& results, const QString& sputtered);
    // Reads the remembered tables again (after a run of the running job).
    void Reload();

    const ResultsAnalysis& Analysis() const { return analysis_; }
    QString SummaryText() const;
    int PlotCount() const;
    QString ResultsTable() const { return results_; }

    // The commands, also reached through the window's menu.
    void OpenTablesClick();
    void SavePlotClick();
    void SaveTableClick();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void Rebuild(const std::vector<std::string>& problems);

    UiServices services_;
    QString results_;
    QString sputtered_;
    ResultsAnalysis analysis_;
    std::vector<NamedPlot> plots_;
    QPlainTextEdit* summary_ = nullptr;
    QTabWidget* tabs_ = nullptr;
    QLabel* status_ = nullptr;
};

}  // namespace vantrel

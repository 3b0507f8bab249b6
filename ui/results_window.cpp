#include "ui/results_window.h"

#include <fstream>

#include <QDir>
#include <QFileInfo>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPlainTextEdit>
#include <QSplitter>
#include <QStatusBar>
#include <QTabWidget>

#include "io/result_tables.h"
#include "plots/plot_painter.h"

namespace vantrel {

namespace {

const QString SummaryTab = QStringLiteral("Summary");

bool WriteText(const QString& path, const std::string& text) {
    std::ofstream out(FromQt(path), std::ios::binary | std::ios::trunc);
    out << text;
    out.flush();
    return static_cast<bool>(out);
}

}  // namespace

PlotView::PlotView(const PlotSpec& spec, QWidget* parent) : QWidget(parent), spec_(spec) {
    setMinimumSize(320, 220);
}

void PlotView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    PaintPlot(painter, QRectF(rect()), spec_);
}

QString CompanionSputteredTable(const QString& results) {
    const QFileInfo info(results);
    const QString name = info.fileName();
    QString companion;
    if (name.endsWith(QStringLiteral(".results.csv")))
        companion = name.chopped(12) + QStringLiteral(".sputtered.csv");
    else if (name == QStringLiteral("results.csv"))
        companion = QStringLiteral("sputtered.csv");
    else
        return {};
    return info.dir().filePath(companion);
}

TResultsWindow::TResultsWindow(QWidget* parent) : QMainWindow(parent) {
    setObjectName(QStringLiteral("ResultsWindow"));
    setWindowTitle(QStringLiteral("Results"));
    setWindowFlag(Qt::Window, true);

    QMenu* menu = menuBar()->addMenu(QStringLiteral("&Results"));
    menu->setObjectName(QStringLiteral("ResultsMenu"));
    const struct {
        const char* Name;
        const char* Caption;
        const char* Shortcut;
        void (TResultsWindow::*Handler)();
    } commands[] = {
        {"OpenTablesItem", "&Open result table...", "Ctrl+O", &TResultsWindow::OpenTablesClick},
        {"SavePlotItem", "Save &plot...", "Ctrl+S", &TResultsWindow::SavePlotClick},
        {"SaveTableItem", "Save &table...", "Ctrl+T", &TResultsWindow::SaveTableClick},
    };
    for (const auto& c : commands) {
        QAction* action = menu->addAction(QString::fromLatin1(c.Caption));
        action->setObjectName(QString::fromLatin1(c.Name));
        action->setShortcut(QKeySequence(QString::fromLatin1(c.Shortcut)));
        connect(action, &QAction::triggered, this, c.Handler);
    }

    tabs_ = new QTabWidget(this);
    tabs_->setObjectName(QStringLiteral("Plots"));
    summary_ = new QPlainTextEdit(tabs_);
    summary_->setObjectName(QStringLiteral("Summary"));
    summary_->setReadOnly(true);
    summary_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    summary_->setLineWrapMode(QPlainTextEdit::NoWrap);
    tabs_->addTab(summary_, SummaryTab);
    setCentralWidget(tabs_);
    status_ = new QLabel(this);
    status_->setObjectName(QStringLiteral("ResultsStatus"));
    statusBar()->addWidget(status_, 1);
    Rebuild({"No result table shown: run a job with the option StoreResults, or open a table."});
    resize(860, 680);
}

void TResultsWindow::ShowTables(const QString& results, const QString& sputtered) {
    results_ = results;
    sputtered_ = sputtered;
    Reload();
}

void TResultsWindow::Reload() {
    std::vector<std::string> problems;
    ResultTableSet set;
    if (!results_.isEmpty()) {
        ResultsTableRead read = ReadResultsTable(FromQt(results_));
        problems = read.Messages;
        if (read.Ok) set.Runs = std::move(read.Rows);
    }
    if (!sputtered_.isEmpty() && QFileInfo(sputtered_).isFile()) {
        SputteredTableRead read = ReadSputteredTable(FromQt(sputtered_));
        problems.insert(problems.end(), read.Messages.begin(), read.Messages.end());
        set.HasAtomTable = true;
        if (read.Ok) set.Atoms = std::move(read.Rows);
    }
    analysis_ = AnalyseResults({set}, 30);
    Rebuild(problems);
}

void TResultsWindow::Rebuild(const std::vector<std::string>& problems) {
    const QString current = tabs_->currentIndex() >= 0 ? tabs_->tabText(tabs_->currentIndex()) : QString();
    QStringList lines;
    if (!results_.isEmpty()) lines << QStringLiteral("Table: %1").arg(results_);
    for (const std::string& problem : problems) lines << ToQt(problem);
    if (!results_.isEmpty())
        for (const std::string& line : SummaryLines(analysis_)) lines << ToQt(line);
    summary_->setPlainText(lines.join(QLatin1Char('\n')));

    while (tabs_->count() > 1) {
        QWidget* page = tabs_->widget(1);
        tabs_->removeTab(1);
        delete page;
    }
    plots_ = results_.isEmpty() ? std::vector<NamedPlot>{} : ResultPlots(analysis_);
    for (const NamedPlot& plot : plots_) {
        auto* view = new PlotView(plot.Spec, tabs_);
        view->setObjectName(ToQt(plot.Name));
        tabs_->addTab(view, ToQt(plot.Name));
    }
    for (int k = 0; k < tabs_->count(); ++k)
        if (tabs_->tabText(k) == current) tabs_->setCurrentIndex(k);
    status_->setText(results_.isEmpty() ? QString()
                     : analysis_.All.Runs == 1 ? QStringLiteral("1 run")
                                               : QStringLiteral("%1 runs").arg(analysis_.All.Runs));
}

QString TResultsWindow::SummaryText() const { return summary_->toPlainText(); }

int TResultsWindow::PlotCount() const { return static_cast<int>(plots_.size()); }

void TResultsWindow::OpenTablesClick() {
    FileRequest request;
    request.Mode = FileRequest::Kind::OpenExisting;
    request.Title = QStringLiteral("Open result table");
    request.Filter = QStringLiteral("Result table (*.csv);;Any file (*)");
    request.InitialName = QStringLiteral("*.csv");
    const QString chosen = services_.ChooseFile(this, request);
    if (chosen.isEmpty()) return;
    ShowTables(chosen, CompanionSputteredTable(chosen));
}

void TResultsWindow::SavePlotClick() {
    const int index = tabs_->currentIndex() - 1;
    if (index < 0 || index >= PlotCount()) {
        services_.ShowMessage(this, MessageKind::Information,
                              QStringLiteral("Choose the tab of a plot to save it."));
        return;
    }
    const NamedPlot& plot = plots_[static_cast<std::size_t>(index)];
    FileRequest request;
    request.Mode = FileRequest::Kind::Save;
    request.Title = QStringLiteral("Save plot");
    request.Filter = QStringLiteral("PNG picture (*.png);;SVG drawing (*.svg)");
    request.DefaultSuffix = QStringLiteral("png");
    request.InitialName = ToQt(plot.Name) + QStringLiteral(".png");
    const QString chosen = services_.ChooseFile(this, request);
    if (chosen.isEmpty()) return;
    const QSize size(PlotWidth, PlotHeight);
    const bool svg = chosen.endsWith(QStringLiteral(".svg"), Qt::CaseInsensitive);
    const bool ok = svg ? SavePlotSvg(plot.Spec, chosen, size) : SavePlotPng(plot.Spec, chosen, size);
    if (!ok) services_.ShowMessage(this, MessageKind::Error, QStringLiteral("Cannot write %1.").arg(chosen));
}

void TResultsWindow::SaveTableClick() {
    const int index = tabs_->currentIndex() - 1;
    const bool summary = index < 0 || index >= PlotCount() || plots_[static_cast<std::size_t>(index)].Csv.empty();
    FileRequest request;
    request.Mode = FileRequest::Kind::Save;
    request.Title = QStringLiteral("Save table");
    request.Filter = summary ? QStringLiteral("Text file (*.txt);;Any file (*)")
                             : QStringLiteral("CSV table (*.csv);;Any file (*)");
    request.DefaultSuffix = summary ? QStringLiteral("txt") : QStringLiteral("csv");
    request.InitialName =
        summary ? QStringLiteral("summary.txt") : ToQt(plots_[static_cast<std::size_t>(index)].Name) + QStringLiteral(".csv");
    const QString chosen = services_.ChooseFile(this, request);
    if (chosen.isEmpty()) return;
    std::string text;
    if (summary) {
        // The curves' table goes with the summary when there are beams to compare.
        text = FromQt(SummaryText()) + "\n";
        if (analysis_.Beams.size() > 1) text += "\n" + BeamsCsv(analysis_);
    } else {
        text = plots_[static_cast<std::size_t>(index)].Csv;
    }
    if (!WriteText(chosen, text))
        services_.ShowMessage(this, MessageKind::Error, QStringLiteral("Cannot write %1.").arg(chosen));
}

void TResultsWindow::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_F1) {
        services_.Help(HelpTopic);
        return;
    }
    QMainWindow::keyPressEvent(event);
}

}  // namespace vantrel

#include "ui/desktop_settings.h"

#include <algorithm>
#include <memory>

#include <QSettings>

#include "ui/ui_services.h"

namespace vantrel {

namespace {

std::unique_ptr<QSettings> Store() {
    return std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Vantrel"),
                                       QStringLiteral("vantrel-desktop"));
}

// The nine names of a job, in the order of the project tree.
constexpr const char* JobKeys[] = {"Projectile", "Target", "Run",     "Model",          "Impact",
                                   "Inelastic",  "Initial", "Dynamic", "InelasticEvents"};

std::string* JobField(RecentJob& job, int k) {
    std::string* fields[] = {&job.Inputs.Projectile,        &job.Inputs.Target,
                             &job.Inputs.Run,               &job.Inputs.Model,
                             &job.Inputs.Impact,            &job.Inputs.Inelastic,
                             &job.Outputs.InitialConditions, &job.Outputs.DynamicalVariables,
                             &job.Outputs.InelasticEvents};
    return fields[k];
}

}  // namespace

std::vector<RecentJob> DesktopSettings::RecentJobs() const {
    const std::unique_ptr<QSettings> settings = Store();
    QSettings& store = *settings;
    std::vector<RecentJob> jobs;
    const int count = std::min(store.beginReadArray(QStringLiteral("RecentJobs")), RecentJobLimit);
    for (int i = 0; i < count; ++i) {
        store.setArrayIndex(i);
        RecentJob job;
        for (int k = 0; k < 9; ++k) *JobField(job, k) = FromQt(store.value(QString::fromLatin1(JobKeys[k])).toString());
        if (!job.Inputs.Projectile.empty()) jobs.push_back(job);
    }
    store.endArray();
    return jobs;
}

void DesktopSettings::RememberJob(const RecentJob& job) {
    std::vector<RecentJob> jobs = RecentJobs();
    std::erase_if(jobs, [&](const RecentJob& old) { return old.Inputs.Projectile == job.Inputs.Projectile; });
    jobs.insert(jobs.begin(), job);
    if (jobs.size() > static_cast<std::size_t>(RecentJobLimit)) jobs.resize(RecentJobLimit);
    const std::unique_ptr<QSettings> settings = Store();
    QSettings& store = *settings;
    store.remove(QStringLiteral("RecentJobs"));
    store.beginWriteArray(QStringLiteral("RecentJobs"), static_cast<int>(jobs.size()));
    for (int i = 0; i < static_cast<int>(jobs.size()); ++i) {
        store.setArrayIndex(i);
        for (int k = 0; k < 9; ++k) store.setValue(QString::fromLatin1(JobKeys[k]), ToQt(*JobField(jobs[i], k)));
    }
    store.endArray();
}

QByteArray DesktopSettings::Geometry(const QString& window) const {
    return Store()->value(QStringLiteral("Windows/") + window).toByteArray();
}

void DesktopSettings::SetGeometry(const QString& window, const QByteArray& geometry) {
    Store()->setValue(QStringLiteral("Windows/") + window, geometry);
}

WindowPlacement FirstWindowPlacement(const QRect& available) {
    constexpr int Gap = 24;  // window frames and a little air between them
    const int width = available.width();
    const int height = available.height();
    const int mainWidth = std::min(width, std::max(760, width * 3 / 5));
    const int mainHeight = std::min(height, std::max(560, height * 4 / 5));
    const int graphWidth = std::min(640, width - mainWidth - Gap);
    const int graphHeight = std::min(mainHeight, 600);
    const int top = available.top() + (height - mainHeight) / 2;
    WindowPlacement placement;
    if (graphWidth >= 420) {
        const int left = available.left() + (width - mainWidth - Gap - graphWidth) / 2;
        placement.Main = QRect(left, top, mainWidth, mainHeight);
        placement.Graph = QRect(left + mainWidth + Gap, top, graphWidth, graphHeight);
    } else {
        placement.Main = QRect(available.left() + (width - mainWidth) / 2, top, mainWidth, mainHeight);
        const int w = std::min(560, width);
        placement.Graph = QRect(available.right() + 1 - w, top, w, std::min(graphHeight, 480));
    }
    return placement;
}

QRect PlaceBeside(const QRect& other, const QSize& size, const QRect& available) {
    constexpr int Gap = 8;
    const int top = std::clamp(other.top(), available.top(), std::max(available.top(), available.bottom() + 1 - size.height()));
    if (other.right() + Gap + size.width() <= available.right() + 1) return QRect(QPoint(other.right() + 1 + Gap, top), size);
    if (other.left() - Gap - size.width() >= available.left()) return QRect(QPoint(other.left() - Gap - size.width(), top), size);
    return QRect(QPoint(std::max(available.left(), available.right() + 1 - size.width()), top), size);
}

}  // namespace vantrel

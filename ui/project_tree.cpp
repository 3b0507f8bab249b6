#include "ui/project_tree.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QHeaderView>
#include <QMimeData>
#include <QUrl>

namespace vantrel {

ProjectTree::ProjectTree(QWidget* parent) : QTreeWidget(parent) {
    setObjectName(QStringLiteral("ProjectTree"));
    setColumnCount(1);
    setRootIsDecorated(false);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setDragDropMode(QAbstractItemView::NoDragDrop);
    header()->setStretchLastSection(true);
    connect(this, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* item, int) {
        const int node = indexOfTopLevelItem(item);
        if (node >= 0) emit NodeDoubleClicked(node);
    });
}

void ProjectTree::SetAcceptingFiles(bool accepting) {
    accepting_ = accepting;
    setAcceptDrops(accepting);
    viewport()->setAcceptDrops(accepting);
}

void ProjectTree::dragEnterEvent(QDragEnterEvent* event) {
    if (accepting_ && !DroppedFiles(event->mimeData()).isEmpty()) {
        event->acceptProposedAction();
    } else {
        event->ignore();
    }
}

void ProjectTree::dragMoveEvent(QDragMoveEvent* event) {
    if (accepting_ && !DroppedFiles(event->mimeData()).isEmpty()) {
        event->acceptProposedAction();
    } else {
        event->ignore();
    }
}

void ProjectTree::dropEvent(QDropEvent* event) {
    const QStringList files = DroppedFiles(event->mimeData());
    if (!accepting_ || files.isEmpty()) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    emit FilesDropped(files);
}

QStringList DroppedFiles(const QMimeData* data) {
    QStringList files;
    if (data == nullptr || !data->hasUrls()) return files;
    for (const QUrl& url : data->urls())
        if (url.isLocalFile()) files << url.toLocalFile();
    return files;
}

}  // namespace vantrel

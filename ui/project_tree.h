// The read-only tree of the nine current files on the main window's Project
// page.  Files dropped on it are handed on by FilesDropped while the window
// accepts them; double clicks by NodeDoubleClicked.
#pragma once

#include <QStringList>
#include <QTreeWidget>

namespace vantrel {

class ProjectTree : public QTreeWidget {
    Q_OBJECT

public:
    explicit ProjectTree(QWidget* parent = nullptr);

    // Switches the acceptance of dropped files on or off.
    void SetAcceptingFiles(bool accepting);
    bool AcceptingFiles() const { return accepting_; }

signals:
    // The local files of a drop, in the order given.
    void FilesDropped(const QStringList& files);
    void NodeDoubleClicked(int node);

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    bool accepting_ = false;
};

// The local file names of a drop's data (links that are not local files are left out).
QStringList DroppedFiles(const class QMimeData* data);

}  // namespace vantrel

// The two modal dialogs that choose the file names of a job.  Neither opens
// a file: TFileDialog fills the six names of the InputFileSet, TOutfileDlg
// the three of the OutputFileSet.  Both reload their fields from the sets
// every time they are shown, so edits made before a Cancel are forgotten.
#pragma once

#include <array>
#include <string>

#include <QDialog>

#include "job/state.h"
#include "ui/ui_services.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace vantrel {

class TFileDialog : public QDialog {
    Q_OBJECT

public:
    enum Row { ProjectileRow, TargetRow, ModelRow, RunRow, ImpactRow, InelasticRow, RowCount };
    static constexpr int HelpContext = 110;

    TFileDialog(InputFileSet& files, const SimulationOptions& options, QWidget* parent = nullptr);

    void SetServices(const UiServices& services) { services_ = services; }

    // What a row's "Select" button does: the open-file chooser, and for the
    // projectile the search for companion files of the same name.
    void SelectClick(int row);
    // Fills every row whose file exists beside the projectile file.
    void FindCompanionFiles(const QString& projectileFile);
    // The chooser request of a row, as SelectClick makes it.
    FileRequest RequestFor(int row) const;

    std::array<QLabel*, RowCount> RowLabel{};
    std::array<QPushButton*, RowCount> SelectButton{};
    std::array<QLineEdit*, RowCount> FileField{};
    QLabel* OptionalNote = nullptr;
    QPushButton* OkButton = nullptr;
    QPushButton* CancelButton = nullptr;
    QPushButton* HelpButton = nullptr;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void LoadFields();
    void OkClick();

    InputFileSet& files_;
    const SimulationOptions& options_;
    UiServices services_;
};

class TOutfileDlg : public QDialog {
    Q_OBJECT

public:
    enum Row { InitialRow, DynamicalRow, EventsRow, RowCount };
    static constexpr int HelpContext = 120;

    explicit TOutfileDlg(OutputFileSet& files, QWidget* parent = nullptr);

    void SetServices(const UiServices& services) { services_ = services; }

    // What a row's "Select" button does: the save-file chooser.
    void SelectClick(int row);
    FileRequest RequestFor(int row) const;

    std::array<QLabel*, RowCount> RowLabel{};
    std::array<QPushButton*, RowCount> SelectButton{};
    std::array<QLineEdit*, RowCount> FileField{};
    QPushButton* OkButton = nullptr;
    QPushButton* CancelButton = nullptr;
    QPushButton* HelpButton = nullptr;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void LoadFields();
    void OkClick();

    OutputFileSet& files_;
    UiServices services_;
};

// A read-only name field on a yellow ground that the keyboard passes by.
QLineEdit* MakeFileNameField(QWidget* parent);

// The same path with its extension replaced by extension (".trg"); a name
// without an extension gets it appended.
QString WithExtension(const QString& name, const QString& extension);

}  // namespace vantrel

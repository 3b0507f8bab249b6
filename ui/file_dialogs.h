// The modal dialogs that choose the file names of a job.  Neither opens a
// file.  Both are one FileNamesDialog described by a FileDialogSpec: a
// group of rows (label, "Select" button, read-only yellow name field), an
// optional note and OK, Cancel and Help.  TFileDialog chooses the six names
// of the InputFileSet, TOutfileDlg the three of the OutputFileSet; each is
// loaded with the current names before it is shown and gives the chosen
// names back when it closes with OK, so edits made before a Cancel are lost.
//
// Controls carry object names for the tests: "RowLabel<n>", "SelectButton<n>",
// "FileField<n>", "Note", "OkButton", "CancelButton", "HelpButton".
#pragma once

#include <span>
#include <string>
#include <vector>

#include <QDialog>

#include "io/file_sets.h"
#include "ui/ui_services.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace vantrel {

struct FileRowSpec {
    const char* Label;         // "&" marks the accelerator that moves to the row's button
    const char* ButtonText;
    const char* ButtonHint;    // tool tip of the button, or nullptr
    const char* ChooserTitle;
    const char* FilterName;    // the chooser's one filter: FilterName (Pattern)
    const char* Pattern;
    const char* Extension;     // default extension, without the dot
};

struct FileDialogSpec {
    const char* ObjectName;
    const char* Caption;
    const char* GroupCaption;
    const char* Note;    // beside the buttons, or nullptr
    const char* OkText;
    int HelpContext;
    // OpenExisting rows preset the chooser with their pattern and, lacking a
    // folder of their own, start where the first row's file is; Save rows
    // preset the current name.
    FileRequest::Kind Mode;
    // Choosing the first row's file fills every other row whose file of the
    // same name and the row's extension exists (the projectile's companions).
    bool FindCompanions;
    std::span<const FileRowSpec> Rows;
};

class FileNamesDialog : public QDialog {
    Q_OBJECT

public:
    FileNamesDialog(const FileDialogSpec& spec, QWidget* parent = nullptr);

    void SetServices(const UiServices& services) { services_ = services; }
    int HelpTopic() const { return spec_.HelpContext; }
    int RowCount() const { return static_cast<int>(spec_.Rows.size()); }

    // The names shown in the fields, one per row.
    void SetNames(const std::vector<std::string>& names);
    // The fields as OK takes them: each cut to 255 characters.
    std::vector<std::string> Names() const;
    void SetRowEnabled(int row, bool enabled);

    // What a row's "Select" button does: its chooser, and for the first row
    // of a dialog that finds companions, the search for them.
    void SelectClick(int row);
    FileRequest RequestFor(int row) const;

private:
    void FindCompanionFiles(const QString& firstFile);

    const FileDialogSpec& spec_;
    std::vector<QLabel*> labels_;
    std::vector<QPushButton*> buttons_;
    std::vector<QLineEdit*> fields_;
    UiServices services_;
};

// The input-file dialog, "Specify input files".
class TFileDialog : public FileNamesDialog {
    Q_OBJECT

public:
    enum Row { ProjectileRow, TargetRow, ModelRow, RunRow, ImpactRow, InelasticRow };
    static constexpr int HelpContext = 110;

    explicit TFileDialog(QWidget* parent = nullptr);

    // Shows the names; the inelastic row is enabled only while a model needs
    // the file (it keeps its name either way).
    void Load(const InputFileSet& files, bool inelasticInUse);
    // The names accepted with OK.
    InputFileSet Files() const;
};

// The output-file dialog, "Specify output files".
class TOutfileDlg : public FileNamesDialog {
    Q_OBJECT

public:
    enum Row { InitialRow, DynamicalRow, EventsRow };
    static constexpr int HelpContext = 120;

    explicit TOutfileDlg(QWidget* parent = nullptr);

    void Load(const OutputFileSet& files);
    OutputFileSet Files() const;
};

// A read-only name field on a yellow ground that the keyboard passes by.
QLineEdit* MakeFileNameField(QWidget* parent);

// The same path with its extension replaced by extension (".trg"); a name
// without an extension gets it appended.
QString WithExtension(const QString& name, const QString& extension);

}  // namespace vantrel

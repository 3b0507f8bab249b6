#include "ui/file_dialogs.h"

#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/number_text.h"
#include "io/file_names.h"

namespace vantrel {

namespace {

constexpr FileRowSpec InputRows[] = {
    {"&Projectile data", "&Select", nullptr, "Select Projectile file", "Projectile file", "*.prj", "prj"},
    {"&Target data", "Select", nullptr, "Select Target file", "Target file", "*.trg", "trg"},
    {"&Model data", "Select", nullptr, "Select Model file", "Model file", "*.mdl", "mdl"},
    {"&Run data", "Select", nullptr, "Select Run file", "Run file", "*.run", "run"},
    {"&Impact data", "Select", nullptr, "Select Impact file", "Impact parameter file", "*.imp", "imp"},
    {"I&nelastic data", "Select", nullptr, "Select Inelastic file", "Inelastic parameters file", "*.inl", "inl"},
};

// The fields of the set in the order of the rows.
constexpr std::string InputFileSet::*InputFields[] = {&InputFileSet::Projectile, &InputFileSet::Target,
                                                      &InputFileSet::Model,      &InputFileSet::Run,
                                                      &InputFileSet::Impact,     &InputFileSet::Inelastic};

const FileDialogSpec InputDialog{"FileDialog",
                                 "Specify input files",
                                 "Input files",
                                 "(Inelastic data file is optional)",
                                 "OK",
                                 TFileDialog::HelpContext,
                                 FileRequest::Kind::OpenExisting,
                                 true,
                                 InputRows};

constexpr const char* OutputHint = "Set name of this output file";
constexpr const char* OutputTitle = "Specify name of output file";

constexpr FileRowSpec OutputRows[] = {
    {"Initial conditions", "Select", OutputHint, OutputTitle, "Initial conditions vosk file", "*.vsk", "vsk"},
    {"Dynamical variables", "Select", OutputHint, OutputTitle, "Initial conditions vosk file", "*.vsk", "vsk"},
    {"Inelastic events", "Select", OutputHint, OutputTitle, "Ascii data file", "*.dat", "dat"},
};

constexpr std::string OutputFileSet::*OutputFields[] = {
    &OutputFileSet::InitialConditions, &OutputFileSet::DynamicalVariables, &OutputFileSet::InelasticEvents};

const FileDialogSpec OutputDialog{"OutfileDlg",
                                  "Specify output files",
                                  "Output data files",
                                  nullptr,
                                  "Ok",
                                  TOutfileDlg::HelpContext,
                                  FileRequest::Kind::Save,
                                  false,
                                  OutputRows};

// The folder of a name already chosen, so the chooser opens where the user was.
QString FolderOf(const QString& name) {
    const QFileInfo info(name);
    const QString folder = info.path();
    if (folder.isEmpty() || folder == QStringLiteral(".")) return {};
    return QDir(folder).exists() ? folder : QString();
}

bool ExistingFile(const QString& name) { return IsExistingPlainFile(FromQt(name)); }

template <typename Set, std::size_t N>
std::vector<std::string> NamesOf(const Set& set, std::string Set::* const (&fields)[N]) {
    std::vector<std::string> names;
    for (std::string Set::*field : fields) names.push_back(set.*field);
    return names;
}

template <typename Set, std::size_t N>
Set SetOf(const std::vector<std::string>& names, std::string Set::* const (&fields)[N]) {
    Set set;
    for (std::size_t row = 0; row < N && row < names.size(); ++row) set.*fields[row] = names[row];
    return set;
}

}  // namespace

QLineEdit* MakeFileNameField(QWidget* parent) {
    auto* field = new QLineEdit(parent);
    field->setReadOnly(true);
    field->setFocusPolicy(Qt::NoFocus);
    QPalette palette = field->palette();
    palette.setColor(QPalette::Base, QColor(255, 255, 0));
    palette.setColor(QPalette::Text, Qt::black);
    field->setPalette(palette);
    field->setMinimumWidth(320);
    return field;
}

QString WithExtension(const QString& name, const QString& extension) {
    const qsizetype slash = std::max(name.lastIndexOf(QLatin1Char('/')), name.lastIndexOf(QLatin1Char('\\')));
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    const QString stem = dot > slash ? name.left(dot) : name;
    return stem + extension;
}

// ---------------------------------------------------------------------------

FileNamesDialog::FileNamesDialog(const FileDialogSpec& spec, QWidget* parent) : QDialog(parent), spec_(spec) {
    setWindowTitle(QString::fromLatin1(spec.Caption));
    setObjectName(QString::fromLatin1(spec.ObjectName));

    auto* group = new QGroupBox(QString::fromLatin1(spec.GroupCaption), this);
    auto* grid = new QGridLayout(group);
    grid->setHorizontalSpacing(8);
    for (int row = 0; row < RowCount(); ++row) {
        const FileRowSpec& r = spec.Rows[static_cast<std::size_t>(row)];
        auto* label = new QLabel(QString::fromLatin1(r.Label), group);
        label->setObjectName(QStringLiteral("RowLabel%1").arg(row));
        auto* button = new QPushButton(QString::fromLatin1(r.ButtonText), group);
        button->setObjectName(QStringLiteral("SelectButton%1").arg(row));
        button->setAutoDefault(false);
        if (r.ButtonHint) button->setToolTip(QString::fromLatin1(r.ButtonHint));
        QLineEdit* field = MakeFileNameField(group);
        field->setObjectName(QStringLiteral("FileField%1").arg(row));
        // The label's accelerator moves the focus to the row's button.
        if (label->text().contains(QLatin1Char('&'))) label->setBuddy(button);
        grid->addWidget(label, row, 0);
        grid->addWidget(button, row, 1);
        grid->addWidget(field, row, 2);
        connect(button, &QPushButton::clicked, this, [this, row] { SelectClick(row); });
        labels_.push_back(label);
        buttons_.push_back(button);
        fields_.push_back(field);
    }
    grid->setColumnStretch(2, 1);

    auto* ok = new QPushButton(QString::fromLatin1(spec.OkText), this);
    ok->setObjectName(QStringLiteral("OkButton"));
    ok->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QStringLiteral("CancelButton"));
    auto* help = new QPushButton(QStringLiteral("Help"), this);
    help->setObjectName(QStringLiteral("HelpButton"));
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(help, &QPushButton::clicked, this, [this] { services_.Help(spec_.HelpContext); });

    auto* buttons = new QHBoxLayout;
    if (spec.Note) {
        auto* note = new QLabel(QString::fromLatin1(spec.Note), this);
        note->setObjectName(QStringLiteral("Note"));
        buttons->addWidget(note);
    }
    buttons->addStretch(1);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    buttons->addWidget(help);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addLayout(buttons);
}

void FileNamesDialog::SetNames(const std::vector<std::string>& names) {
    for (int row = 0; row < RowCount() && row < static_cast<int>(names.size()); ++row)
        fields_[static_cast<std::size_t>(row)]->setText(ToQt(names[static_cast<std::size_t>(row)]));
}

std::vector<std::string> FileNamesDialog::Names() const {
    std::vector<std::string> names;
    for (const QLineEdit* field : fields_) names.push_back(CutText(FromQt(field->text()), ShortTextLimit));
    return names;
}

void FileNamesDialog::SetRowEnabled(int row, bool enabled) {
    if (row < 0 || row >= RowCount()) return;
    const auto at = static_cast<std::size_t>(row);
    labels_[at]->setEnabled(enabled);
    buttons_[at]->setEnabled(enabled);
    fields_[at]->setEnabled(enabled);
}

FileRequest FileNamesDialog::RequestFor(int row) const {
    const FileRowSpec& spec = spec_.Rows[static_cast<std::size_t>(row)];
    const QString current = fields_[static_cast<std::size_t>(row)]->text();
    FileRequest request;
    request.Mode = spec_.Mode;
    request.Title = QString::fromLatin1(spec.ChooserTitle);
    request.Filter = QString::fromLatin1(spec.FilterName) + QStringLiteral(" (") + QString::fromLatin1(spec.Pattern) +
                     QLatin1Char(')');
    request.DefaultSuffix = QString::fromLatin1(spec.Extension);
    request.Directory = FolderOf(current);
    if (spec_.Mode == FileRequest::Kind::OpenExisting) {
        request.InitialName = QString::fromLatin1(spec.Pattern);
        if (request.Directory.isEmpty()) request.Directory = FolderOf(fields_.front()->text());
    } else {
        request.InitialName = current;
    }
    return request;
}

void FileNamesDialog::SelectClick(int row) {
    if (row < 0 || row >= RowCount() || !services_.ChooseFile) return;
    const QString chosen = services_.ChooseFile(this, RequestFor(row));
    if (chosen.isEmpty()) return;
    fields_[static_cast<std::size_t>(row)]->setText(chosen);
    if (row != 0 || !spec_.FindCompanions) return;
    if (!ExistingFile(chosen)) {
        if (services_.ShowMessage)
            services_.ShowMessage(this, MessageKind::Error, QStringLiteral("File not found: ") + chosen);
        return;
    }
    FindCompanionFiles(chosen);
}

void FileNamesDialog::FindCompanionFiles(const QString& firstFile) {
    // A name written in capitals (CU.PRJ) looks for capital companions too,
    // which matters on file systems that tell case apart.
    for (int row = 1; row < RowCount(); ++row) {
        const QString extension =
            QLatin1Char('.') + QString::fromLatin1(spec_.Rows[static_cast<std::size_t>(row)].Extension);
        QString candidate = WithExtension(firstFile, extension);
        if (!ExistingFile(candidate)) candidate = WithExtension(firstFile, extension.toUpper());
        if (ExistingFile(candidate)) fields_[static_cast<std::size_t>(row)]->setText(candidate);
    }
}

// ---------------------------------------------------------------------------

TFileDialog::TFileDialog(QWidget* parent) : FileNamesDialog(InputDialog, parent) { Load(InputFileSet{}, false); }

void TFileDialog::Load(const InputFileSet& files, bool inelasticInUse) {
    SetNames(NamesOf(files, InputFields));
    SetRowEnabled(InelasticRow, inelasticInUse);
}

InputFileSet TFileDialog::Files() const { return SetOf<InputFileSet>(Names(), InputFields); }

TOutfileDlg::TOutfileDlg(QWidget* parent) : FileNamesDialog(OutputDialog, parent) { Load(OutputFileSet{}); }

void TOutfileDlg::Load(const OutputFileSet& files) { SetNames(NamesOf(files, OutputFields)); }

OutputFileSet TOutfileDlg::Files() const { return SetOf<OutputFileSet>(Names(), OutputFields); }

}  // namespace vantrel

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
#include <QShowEvent>
#include <QVBoxLayout>

#include "job/log.h"
#include "core/number_text.h"
#include "io/file_names.h"

namespace vantrel {

namespace {

struct InputRowSpec {
    const char* Label;
    const char* Title;
    const char* FilterName;
    const char* Pattern;
    const char* Extension;
    std::string InputFileSet::*Name;
};

constexpr InputRowSpec InputRows[TFileDialog::RowCount] = {
    {"&Projectile data", "Select Projectile file", "Projectile file", "*.prj", "prj", &InputFileSet::Projectile},
    {"&Target data", "Select Target file", "Target file", "*.trg", "trg", &InputFileSet::Target},
    {"&Model data", "Select Model file", "Model file", "*.mdl", "mdl", &InputFileSet::Model},
    {"&Run data", "Select Run file", "Run file", "*.run", "run", &InputFileSet::Run},
    {"&Impact data", "Select Impact file", "Impact parameter file", "*.imp", "imp", &InputFileSet::Impact},
    {"I&nelastic data", "Select Inelastic file", "Inelastic parameters file", "*.inl", "inl",
     &InputFileSet::Inelastic},
};

struct OutputRowSpec {
    const char* Label;
    const char* FilterName;
    const char* Pattern;
    const char* Extension;
    std::string OutputFileSet::*Name;
};

constexpr OutputRowSpec OutputRows[TOutfileDlg::RowCount] = {
    {"Initial conditions", "Initial conditions vosk file", "*.vsk", "vsk", &OutputFileSet::InitialConditions},
    {"Dynamical variables", "Initial conditions vosk file", "*.vsk", "vsk", &OutputFileSet::DynamicalVariables},
    {"Inelastic events", "Ascii data file", "*.dat", "dat", &OutputFileSet::InelasticEvents},
};

QString QtFilter(const char* name, const char* pattern) {
    return QString::fromLatin1(name) + QStringLiteral(" (") + QString::fromLatin1(pattern) + QLatin1Char(')');
}

// The folder of a name already chosen, so the chooser opens where the user was.
QString FolderOf(const QString& name) {
    const QFileInfo info(name);
    const QString folder = info.path();
    if (folder.isEmpty() || folder == QStringLiteral(".")) return {};
    return QDir(folder).exists() ? folder : QString();
}

bool ExistingFile(const QString& name) { return IsExistingPlainFile(FromQt(name)); }

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

TFileDialog::TFileDialog(InputFileSet& files, const SimulationOptions& options, QWidget* parent)
    : QDialog(parent), files_(files), options_(options) {
    setWindowTitle(QStringLiteral("Specify input files"));
    setObjectName(QStringLiteral("FileDialog"));

    auto* group = new QGroupBox(QStringLiteral("Input files"), this);
    auto* grid = new QGridLayout(group);
    grid->setHorizontalSpacing(8);
    for (int row = 0; row < RowCount; ++row) {
        RowLabel[row] = new QLabel(QString::fromLatin1(InputRows[row].Label), group);
        SelectButton[row] = new QPushButton(row == 0 ? QStringLiteral("&Select") : QStringLiteral("Select"), group);
        SelectButton[row]->setAutoDefault(false);
        FileField[row] = MakeFileNameField(group);
        // The label's accelerator moves the focus to the row's button.
        RowLabel[row]->setBuddy(SelectButton[row]);
        grid->addWidget(RowLabel[row], row, 0);
        grid->addWidget(SelectButton[row], row, 1);
        grid->addWidget(FileField[row], row, 2);
        connect(SelectButton[row], &QPushButton::clicked, this, [this, row] { SelectClick(row); });
    }
    grid->setColumnStretch(2, 1);

    OptionalNote = new QLabel(QStringLiteral("(Inelastic data file is optional)"), this);
    OkButton = new QPushButton(QStringLiteral("OK"), this);
    OkButton->setDefault(true);
    CancelButton = new QPushButton(QStringLiteral("Cancel"), this);
    HelpButton = new QPushButton(QStringLiteral("Help"), this);
    connect(OkButton, &QPushButton::clicked, this, &TFileDialog::OkClick);
    connect(CancelButton, &QPushButton::clicked, this, &QDialog::reject);
    connect(HelpButton, &QPushButton::clicked, this, [this] { services_.Help(HelpContext); });

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(OptionalNote);
    buttons->addStretch(1);
    buttons->addWidget(OkButton);
    buttons->addWidget(CancelButton);
    buttons->addWidget(HelpButton);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addLayout(buttons);
    LoadFields();
}

void TFileDialog::showEvent(QShowEvent* event) {
    if (!event->spontaneous()) LoadFields();
    QDialog::showEvent(event);
}

void TFileDialog::LoadFields() {
    for (int row = 0; row < RowCount; ++row) FileField[row]->setText(ToQt(files_.*InputRows[row].Name));
    // The inelastic file is only needed while an inelastic model is in use;
    // the row keeps its name either way.
    const bool inelastic = InelasticModelsInUse(options_);
    RowLabel[InelasticRow]->setEnabled(inelastic);
    SelectButton[InelasticRow]->setEnabled(inelastic);
    FileField[InelasticRow]->setEnabled(inelastic);
}

FileRequest TFileDialog::RequestFor(int row) const {
    const InputRowSpec& spec = InputRows[row];
    FileRequest request;
    request.Mode = FileRequest::Kind::OpenExisting;
    request.Title = QString::fromLatin1(spec.Title);
    request.Filter = QtFilter(spec.FilterName, spec.Pattern);
    request.DefaultSuffix = QString::fromLatin1(spec.Extension);
    request.InitialName = QString::fromLatin1(spec.Pattern);
    request.Directory = FolderOf(FileField[row]->text());
    if (request.Directory.isEmpty()) request.Directory = FolderOf(FileField[ProjectileRow]->text());
    return request;
}

void TFileDialog::SelectClick(int row) {
    if (row < 0 || row >= RowCount || !services_.ChooseFile) return;
    const QString chosen = services_.ChooseFile(this, RequestFor(row));
    if (chosen.isEmpty()) return;
    FileField[row]->setText(chosen);
    if (row != ProjectileRow) return;
    if (!ExistingFile(chosen)) {
        if (services_.ShowMessage)
            services_.ShowMessage(this, MessageKind::Error, QStringLiteral("File not found: ") + chosen);
        return;
    }
    FindCompanionFiles(chosen);
}

void TFileDialog::FindCompanionFiles(const QString& projectileFile) {
    // The rows below the projectile, by extension.  A name written in capitals
    // (CU.PRJ) looks for capital companions too, which matters on file
    // systems that tell case apart.
    for (int row = TargetRow; row < RowCount; ++row) {
        const QString extension = QLatin1Char('.') + QString::fromLatin1(InputRows[row].Extension);
        QString candidate = WithExtension(projectileFile, extension);
        if (!ExistingFile(candidate)) candidate = WithExtension(projectileFile, extension.toUpper());
        if (ExistingFile(candidate)) FileField[row]->setText(candidate);
    }
}

void TFileDialog::OkClick() {
    for (int row = 0; row < RowCount; ++row)
        files_.*InputRows[row].Name = CutText(FromQt(FileField[row]->text()), ShortTextLimit);
    accept();
}

// ---------------------------------------------------------------------------

TOutfileDlg::TOutfileDlg(OutputFileSet& files, QWidget* parent) : QDialog(parent), files_(files) {
    setWindowTitle(QStringLiteral("Specify output files"));
    setObjectName(QStringLiteral("OutfileDlg"));

    auto* group = new QGroupBox(QStringLiteral("Output data files"), this);
    auto* grid = new QGridLayout(group);
    grid->setHorizontalSpacing(8);
    for (int row = 0; row < RowCount; ++row) {
        RowLabel[row] = new QLabel(QString::fromLatin1(OutputRows[row].Label), group);
        SelectButton[row] = new QPushButton(QStringLiteral("Select"), group);
        SelectButton[row]->setAutoDefault(false);
        SelectButton[row]->setToolTip(QStringLiteral("Set name of this output file"));
        FileField[row] = MakeFileNameField(group);
        grid->addWidget(RowLabel[row], row, 0);
        grid->addWidget(SelectButton[row], row, 1);
        grid->addWidget(FileField[row], row, 2);
        connect(SelectButton[row], &QPushButton::clicked, this, [this, row] { SelectClick(row); });
    }
    grid->setColumnStretch(2, 1);

    OkButton = new QPushButton(QStringLiteral("Ok"), this);
    OkButton->setDefault(true);
    CancelButton = new QPushButton(QStringLiteral("Cancel"), this);
    HelpButton = new QPushButton(QStringLiteral("Help"), this);
    connect(OkButton, &QPushButton::clicked, this, &TOutfileDlg::OkClick);
    connect(CancelButton, &QPushButton::clicked, this, &QDialog::reject);
    connect(HelpButton, &QPushButton::clicked, this, [this] { services_.Help(HelpContext); });

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(OkButton);
    buttons->addWidget(CancelButton);
    buttons->addWidget(HelpButton);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addLayout(buttons);
    LoadFields();
}

void TOutfileDlg::showEvent(QShowEvent* event) {
    if (!event->spontaneous()) LoadFields();
    QDialog::showEvent(event);
}

void TOutfileDlg::LoadFields() {
    for (int row = 0; row < RowCount; ++row) FileField[row]->setText(ToQt(files_.*OutputRows[row].Name));
}

FileRequest TOutfileDlg::RequestFor(int row) const {
    const OutputRowSpec& spec = OutputRows[row];
    FileRequest request;
    request.Mode = FileRequest::Kind::Save;
    request.Title = QStringLiteral("Specify name of output file");
    request.Filter = QtFilter(spec.FilterName, spec.Pattern);
    request.DefaultSuffix = QString::fromLatin1(spec.Extension);
    request.InitialName = FileField[row]->text();
    request.Directory = FolderOf(FileField[row]->text());
    return request;
}

void TOutfileDlg::SelectClick(int row) {
    if (row < 0 || row >= RowCount || !services_.ChooseFile) return;
    const QString chosen = services_.ChooseFile(this, RequestFor(row));
    if (!chosen.isEmpty()) FileField[row]->setText(chosen);
}

void TOutfileDlg::OkClick() {
    for (int row = 0; row < RowCount; ++row)
        files_.*OutputRows[row].Name = CutText(FromQt(FileField[row]->text()), ShortTextLimit);
    accept();
}

}  // namespace vantrel

#include "ui/options_dialog.h"
#include "job/options_file.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>
#include <QVBoxLayout>

namespace vantrel {

namespace {

constexpr std::int32_t LatticeSiteIndexMin = 1;
constexpr std::int32_t LatticeSiteIndexMax = 30000;
constexpr std::int32_t LogBufferMin = 0;
constexpr std::int32_t LogBufferMax = 9000000;
constexpr std::int32_t CounterMin = -10000000;  // random seed and run counter offset
constexpr std::int32_t CounterMax = 10000000;
constexpr int ShortFieldLength = 7;
constexpr int FieldWidth = 80;

QGroupBox* RadioGroup(const QString& title, std::initializer_list<const char*> items, QButtonGroup*& buttons,
                      QWidget* parent) {
    auto* group = new QGroupBox(title, parent);
    auto* layout = new QVBoxLayout(group);
    buttons = new QButtonGroup(group);
    int id = 0;
    for (const char* item : items) {
        auto* radio = new QRadioButton(QString::fromLatin1(item), group);
        buttons->addButton(radio, id++);
        layout->addWidget(radio);
    }
    layout->addStretch(1);
    return group;
}

// Checks the item of a radio group, or none when index is not one of its
// items (a loaded file may hold any number).
void SetItemIndex(QButtonGroup* buttons, std::int32_t index) {
    QAbstractButton* button = buttons->button(index);
    if (button) {
        button->setChecked(true);
        return;
    }
    buttons->setExclusive(false);
    for (QAbstractButton* b : buttons->buttons()) b->setChecked(false);
    buttons->setExclusive(true);
}

QCheckBox* CheckBox(const char* caption, bool captionLeft, QWidget* parent) {
    auto* box = new QCheckBox(QString::fromLatin1(caption), parent);
    if (captionLeft) box->setLayoutDirection(Qt::RightToLeft);
    return box;
}

TIntegerEdit* IntegerField(std::int32_t minValue, std::int32_t maxValue, int maxLength, QWidget* parent) {
    auto* edit = new TIntegerEdit(minValue, maxValue, parent);
    if (maxLength > 0) edit->setMaxLength(maxLength);
    edit->setFixedWidth(FieldWidth);
    return edit;
}

}  // namespace

TOptionsDlg::TOptionsDlg(ProgramContext& program, QWidget* parent) : QDialog(parent), program_(program) {
    setWindowTitle(QStringLiteral("Simulation Options"));
    setObjectName(QStringLiteral("OptionsDlg"));

    AlgorithmGroup = RadioGroup(QStringLiteral("Integration algorithm"), {"HGE B", "Two-Step A", "Beeman", "Verlet"},
                                AlgorithmButtons, this);
    // Shown for information only: the engine integrates with velocity Verlet.
    AlgorithmGroup->setEnabled(false);
    NeighbourSearchGroup = RadioGroup(QStringLiteral("Neighbour search"), {"Brute force", "Cell-index (box)"},
                                      NeighbourSearchButtons, this);
    PlotTypeGroup = RadioGroup(QStringLiteral("Graph window plot type"),
                               {"Spatial plot (1 px = 0.1 A)", "Velocity plot (1 px = 100 m/s)"}, PlotTypeButtons,
                               this);

    auto* screen = new QGroupBox(QStringLiteral("Screen output options"), this);
    VerboseOption = CheckBox("Verbose reporting", true, screen);
    ReportEnergyOption = CheckBox("Report energy etc.", true, screen);
    ReportInelasticOption = CheckBox("Report inelastic loss", true, screen);
    LatticeEnergyOption = CheckBox("Lattice && cohesive energy", true, screen);
    LatticeSiteIndexLabel = new QLabel(QStringLiteral("Lattice site index"), screen);
    LatticeSiteIndexEdit = IntegerField(LatticeSiteIndexMin, LatticeSiteIndexMax, ShortFieldLength, screen);
    LatticeSiteIndexEdit->setText(QStringLiteral("1"));
    LatticeSiteIndexLabel->setBuddy(LatticeSiteIndexEdit);
    LogBufferLabel = new QLabel(QStringLiteral("Log buffer (lines)"), screen);
    LogBufferEdit = IntegerField(LogBufferMin, LogBufferMax, ShortFieldLength, screen);
    LogBufferEdit->setText(QStringLiteral("500"));
    LogBufferLabel->setBuddy(LogBufferEdit);
    {
        auto* layout = new QGridLayout(screen);
        int row = 0;
        for (QCheckBox* box : {VerboseOption, ReportEnergyOption, ReportInelasticOption, LatticeEnergyOption})
            layout->addWidget(box, row++, 0, 1, 2);
        layout->addWidget(LatticeSiteIndexLabel, row, 0);
        layout->addWidget(LatticeSiteIndexEdit, row++, 1, Qt::AlignRight);
        layout->addWidget(LogBufferLabel, row, 0);
        layout->addWidget(LogBufferEdit, row++, 1, Qt::AlignRight);
        layout->setRowStretch(row, 1);
    }

    auto* misc = new QGroupBox(QStringLiteral("Miscellaneous options"), this);
    ElementalTargetOption = CheckBox("Assume elemental target", true, misc);
    StoreInitialOption = CheckBox("Initial conditions to disk", true, misc);
    StoreInelasticOption = CheckBox("Inelastic events to disk", true, misc);
    FixedTimestepOption = CheckBox("Fixed timestep", true, misc);
    HotTargetOption = CheckBox("Hot target: <KE> = 3/2kT", true, misc);
    NoYVibrationOption = CheckBox("No y-vibrations (ICISS expt)", true, misc);
    IgnoreTargetForcesOption = CheckBox("Ignore inter-target forces", true, misc);
    SelfBombardOption = CheckBox("Self-bombardment expt", true, misc);
    SmoothDensityJoinOption = CheckBox("Continuous density join", true, misc);
    {
        auto* layout = new QVBoxLayout(misc);
        for (QCheckBox* box : {ElementalTargetOption, StoreInitialOption, StoreInelasticOption, FixedTimestepOption,
                               HotTargetOption, NoYVibrationOption, IgnoreTargetForcesOption, SelfBombardOption,
                               SmoothDensityJoinOption})
            layout->addWidget(box);
        layout->addStretch(1);
    }

    auto* inelastic = new QGroupBox(QStringLiteral("Inelastic loss models in use"), this);
    LssOption = CheckBox("Lindhard-Scharff-Schiott model", false, inelastic);
    OrOption = CheckBox("Oen-Robinson model", false, inelastic);
    StOption = CheckBox("Shapiro-Tombrello model", false, inelastic);
    CoolingOption = CheckBox("Cooling model", false, inelastic);
    ImagePotentialOption = CheckBox("Image potential model", false, inelastic);
    {
        auto* layout = new QVBoxLayout(inelastic);
        for (QCheckBox* box : {LssOption, OrOption, StOption, CoolingOption, ImagePotentialOption})
            layout->addWidget(box);
        layout->addStretch(1);
    }

    RandomSeedLabel = new QLabel(QStringLiteral("Random seed"), this);
    RandomSeedEdit = IntegerField(CounterMin, CounterMax, 0, this);
    RandomSeedEdit->SetValue(program_.RandomSeed);
    RandomSeedLabel->setBuddy(RandomSeedEdit);
    RunOffsetLabel = new QLabel(QStringLiteral("Run counter offset"), this);
    RunOffsetEdit = IntegerField(CounterMin, CounterMax, 0, this);
    RunOffsetEdit->SetValue(program_.RunOffset);
    RunOffsetLabel->setBuddy(RunOffsetEdit);
    // Beside the block (job/options_file.h): the seed's streams.
    PerRunStreamsOption = CheckBox("Random streams per run", false, this);
    SaveOptionsBox = CheckBox("Save options to disk", false, this);
    LoadAtStartOption = CheckBox("Load options at start-up", false, this);

    LoadOptionsButton = new QPushButton(QStringLiteral("&Load options"), this);
    OkButton = new QPushButton(QStringLiteral("&OK"), this);
    CancelButton = new QPushButton(QStringLiteral("&Cancel"), this);
    HelpButton = new QPushButton(QStringLiteral("Help"), this);
    OkButton->setDefault(true);
    // A click on a button does not take the focus from an integer field:
    // OK checks the fields itself, and Cancel, Help and Load options must
    // work whatever a field holds.
    for (QPushButton* button : {LoadOptionsButton, OkButton, CancelButton, HelpButton})
        button->setFocusPolicy(Qt::TabFocus);
    connect(OkButton, &QPushButton::clicked, this, &TOptionsDlg::OkClick);
    connect(CancelButton, &QPushButton::clicked, this, &QDialog::reject);
    connect(LoadOptionsButton, &QPushButton::clicked, this, &TOptionsDlg::LoadOptionsClick);
    connect(HelpButton, &QPushButton::clicked, this, [this] { services_.Help(HelpContext); });
    connect(LatticeEnergyOption, &QCheckBox::clicked, this, &TOptionsDlg::ApplyEnablingRule);

    // Layout: the two groups of check boxes on top, the models and the radio
    // groups below them, then the loose fields and the buttons.
    auto* groups = new QGridLayout;
    groups->addWidget(screen, 0, 0);
    groups->addWidget(misc, 0, 1);
    auto* radios = new QVBoxLayout;
    radios->addWidget(AlgorithmGroup);
    radios->addWidget(NeighbourSearchGroup);
    groups->addLayout(radios, 1, 0);
    auto* right = new QVBoxLayout;
    right->addWidget(inelastic);
    right->addWidget(PlotTypeGroup);
    groups->addLayout(right, 1, 1);

    auto* loose = new QGridLayout;
    loose->addWidget(RandomSeedLabel, 0, 0);
    loose->addWidget(RandomSeedEdit, 0, 1);
    loose->addWidget(RunOffsetLabel, 1, 0);
    loose->addWidget(RunOffsetEdit, 1, 1);
    loose->addWidget(PerRunStreamsOption, 2, 0, 1, 2);
    loose->setColumnMinimumWidth(2, 24);
    loose->addWidget(SaveOptionsBox, 0, 3);
    loose->addWidget(LoadAtStartOption, 1, 3);
    loose->setColumnStretch(4, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(LoadOptionsButton);
    buttons->addStretch(1);
    buttons->addWidget(OkButton);
    buttons->addWidget(CancelButton);
    buttons->addWidget(HelpButton);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(groups);
    layout->addLayout(loose);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    NameControls();
    LoadControls();
}

void TOptionsDlg::NameControls() {
    const std::pair<QObject*, const char*> controls[] = {
        {AlgorithmGroup, "AlgorithmGroup"},
        {AlgorithmButtons, "AlgorithmButtons"},
        {NeighbourSearchGroup, "NeighbourSearchGroup"},
        {NeighbourSearchButtons, "NeighbourSearchButtons"},
        {PlotTypeGroup, "PlotTypeGroup"},
        {PlotTypeButtons, "PlotTypeButtons"},
        {VerboseOption, "VerboseOption"},
        {ReportEnergyOption, "ReportEnergyOption"},
        {ReportInelasticOption, "ReportInelasticOption"},
        {LatticeEnergyOption, "LatticeEnergyOption"},
        {LatticeSiteIndexLabel, "LatticeSiteIndexLabel"},
        {LatticeSiteIndexEdit, "LatticeSiteIndexEdit"},
        {LogBufferLabel, "LogBufferLabel"},
        {LogBufferEdit, "LogBufferEdit"},
        {ElementalTargetOption, "ElementalTargetOption"},
        {StoreInitialOption, "StoreInitialOption"},
        {StoreInelasticOption, "StoreInelasticOption"},
        {FixedTimestepOption, "FixedTimestepOption"},
        {HotTargetOption, "HotTargetOption"},
        {NoYVibrationOption, "NoYVibrationOption"},
        {IgnoreTargetForcesOption, "IgnoreTargetForcesOption"},
        {SelfBombardOption, "SelfBombardOption"},
        {SmoothDensityJoinOption, "SmoothDensityJoinOption"},
        {LssOption, "LssOption"},
        {OrOption, "OrOption"},
        {StOption, "StOption"},
        {CoolingOption, "CoolingOption"},
        {ImagePotentialOption, "ImagePotentialOption"},
        {RandomSeedLabel, "RandomSeedLabel"},
        {RandomSeedEdit, "RandomSeedEdit"},
        {RunOffsetLabel, "RunOffsetLabel"},
        {RunOffsetEdit, "RunOffsetEdit"},
        {PerRunStreamsOption, "PerRunStreamsOption"},
        {SaveOptionsBox, "SaveOptionsBox"},
        {LoadAtStartOption, "LoadAtStartOption"},
        {LoadOptionsButton, "LoadOptionsButton"},
        {OkButton, "OkButton"},
        {CancelButton, "CancelButton"},
        {HelpButton, "HelpButton"},
    };
    for (const auto& [control, name] : controls) control->setObjectName(QString::fromLatin1(name));
}

void TOptionsDlg::SetServices(const UiServices& services) {
    services_ = services;
    for (TIntegerEdit* edit : {LatticeSiteIndexEdit, LogBufferEdit, RandomSeedEdit, RunOffsetEdit})
        edit->SetServices(services);
}

bool TOptionsDlg::SaveOptionsChecked() const { return SaveOptionsBox->isChecked(); }

std::array<TOptionsDlg::BoolControl, 18> TOptionsDlg::BoolControls() const {
    return {{
        {VerboseOption, &SimulationOptions::Verbose},
        {ReportEnergyOption, &SimulationOptions::ReportEnergy},
        {ReportInelasticOption, &SimulationOptions::ReportInelastic},
        {LatticeEnergyOption, &SimulationOptions::ReportLatticeEnergy},
        {ElementalTargetOption, &SimulationOptions::ElementalTarget},
        {StoreInitialOption, &SimulationOptions::StoreInitial},
        {StoreInelasticOption, &SimulationOptions::StoreInelastic},
        {FixedTimestepOption, &SimulationOptions::FixedTimestep},
        {HotTargetOption, &SimulationOptions::HotTarget},
        {NoYVibrationOption, &SimulationOptions::NoYVibration},
        {IgnoreTargetForcesOption, &SimulationOptions::IgnoreTargetForces},
        {SelfBombardOption, &SimulationOptions::SelfBombard},
        {LssOption, &SimulationOptions::UseLSS},
        {OrOption, &SimulationOptions::UseOR},
        {StOption, &SimulationOptions::UseST},
        {CoolingOption, &SimulationOptions::UseCooling},
        {ImagePotentialOption, &SimulationOptions::UseImagePotential},
        {LoadAtStartOption, &SimulationOptions::LoadOptionsAtStart},
    }};
}

void TOptionsDlg::showEvent(QShowEvent* event) {
    if (!event->spontaneous()) LoadControls();
    QDialog::showEvent(event);
    if (!event->spontaneous()) CentreOnScreen(*this);
}

void TOptionsDlg::LoadControls() {
    const SimulationOptions& o = program_.Options;
    SetItemIndex(AlgorithmButtons, o.Algorithm);
    SetItemIndex(NeighbourSearchButtons, o.NeighbourSearch ? 0 : 1);
    SetItemIndex(PlotTypeButtons, o.GraphPlotType);
    for (const BoolControl& control : BoolControls()) control.Box->setChecked(o.*control.Field);
    LatticeSiteIndexEdit->SetValue(o.LatticeSiteIndex);
    LogBufferEdit->SetValue(o.LogBufferLines);
    PerRunStreamsOption->setChecked(program_.Extended.PerRunStreams);
    SmoothDensityJoinOption->setChecked(program_.Extended.SmoothDensityJoin);
    // The random seed and run counter offset keep whatever text they hold.
    ApplyEnablingRule();
}

void TOptionsDlg::ApplyEnablingRule() {
    const bool on = LatticeEnergyOption->isChecked();
    LatticeSiteIndexLabel->setEnabled(on);
    LatticeSiteIndexEdit->setEnabled(on);
}

void TOptionsDlg::OkClick() {
    // Refuse to close while a field the user can edit holds an invalid text;
    // the field rejects it as on leaving it.
    for (TIntegerEdit* edit : {LatticeSiteIndexEdit, LogBufferEdit, RandomSeedEdit, RunOffsetEdit}) {
        if (edit->isEnabled() && !edit->Value()) {
            edit->CheckValue();
            return;
        }
    }
    program_.RunOffset = *RunOffsetEdit->Value();
    program_.RandomSeed = *RandomSeedEdit->Value();
    program_.Extended.PerRunStreams = PerRunStreamsOption->isChecked();

    SimulationOptions& o = program_.Options;
    // A radio group with no item checked (a loaded value outside its items)
    // leaves its field as it was.
    if (AlgorithmButtons->checkedId() >= 0) o.Algorithm = AlgorithmButtons->checkedId();
    if (NeighbourSearchButtons->checkedId() >= 0) o.NeighbourSearch = NeighbourSearchButtons->checkedId() == 0;
    if (PlotTypeButtons->checkedId() >= 0) o.GraphPlotType = PlotTypeButtons->checkedId();
    for (const BoolControl& control : BoolControls()) o.*control.Field = control.Box->isChecked();
    // A disabled lattice field that a loaded file left out of range keeps the
    // block's value rather than storing a number the dialog would refuse.
    if (const auto value = LatticeSiteIndexEdit->Value()) o.LatticeSiteIndex = *value;
    o.LogBufferLines = *LogBufferEdit->Value();
    program_.Extended.SmoothDensityJoin = SmoothDensityJoinOption->isChecked();

    program_.GraphScale = o.GraphPlotType == 0 ? SpatialGraphScale : VelocityGraphScale;
    accept();
}

void TOptionsDlg::LoadOptionsClick() {
    if (!services_.ChooseFile) return;
    FileRequest request;
    request.Mode = FileRequest::Kind::OpenExisting;
    request.Title = QStringLiteral("Load options");
    request.Filter = QStringLiteral("Vantrel configuration file (*.cfg)");
    request.DefaultSuffix = QStringLiteral("cfg");
    request.InitialName = QStringLiteral("*.cfg");
    const QString chosen = services_.ChooseFile(this, request);
    if (chosen.isEmpty()) return;  // chooser cancelled: the dialog stays open
    // The file's error box comes from the loader itself.  A loaded plot type
    // also brings its graph scale, so a velocity plot is not drawn at the
    // spatial scale until the next OK.
    if (LoadOptionsFile(program_, FromQt(chosen)))
        program_.GraphScale = program_.Options.GraphPlotType == 0 ? SpatialGraphScale : VelocityGraphScale;
    reject();
}

}  // namespace vantrel

// TOptionsDlg: the only editor of the option block and of the run counter
// offset and random seed that travel with it.  Controls are loaded from the
// block each time the dialog is shown; OK stores them all back, Cancel
// stores nothing, "Load options" replaces the block from a configuration
// file and closes as Cancel.  Saving the block to disk after OK is the main
// window's job (SaveOptionsChecked tells it whether to).
//
// Controls are private; each carries its member's name as object name
// ("VerboseOption", "LogBufferEdit", "OkButton", ...) for the tests.
#pragma once

#include <array>

#include <QDialog>

#include "job/program.h"
#include "ui/integer_edit.h"
#include "ui/ui_services.h"

class QButtonGroup;
class QCheckBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;

namespace vantrel {

class TOptionsDlg : public QDialog {
    Q_OBJECT

public:
    static constexpr int HelpContext = 310;

    explicit TOptionsDlg(ProgramContext& program, QWidget* parent = nullptr);

    // Passed on to the four integer fields as well.
    void SetServices(const UiServices& services);

    // True when "Save options to disk" is checked (it keeps its state between openings).
    bool SaveOptionsChecked() const;

protected:
    void showEvent(QShowEvent* event) override;

private:
    struct BoolControl {
        QCheckBox* Box;
        bool SimulationOptions::*Field;
    };

    void OkClick();
    void LoadOptionsClick();
    void LoadControls();
    void ApplyEnablingRule();
    void NameControls();
    std::array<BoolControl, 18> BoolControls() const;

    ProgramContext& program_;
    UiServices services_;

    QGroupBox* AlgorithmGroup = nullptr;
    QButtonGroup* AlgorithmButtons = nullptr;
    QGroupBox* NeighbourSearchGroup = nullptr;
    QButtonGroup* NeighbourSearchButtons = nullptr;  // item 0 brute force, item 1 cell index
    QGroupBox* PlotTypeGroup = nullptr;
    QButtonGroup* PlotTypeButtons = nullptr;

    QCheckBox* VerboseOption = nullptr;
    QCheckBox* ReportEnergyOption = nullptr;
    QCheckBox* ReportInelasticOption = nullptr;
    QCheckBox* LatticeEnergyOption = nullptr;
    QLabel* LatticeSiteIndexLabel = nullptr;
    TIntegerEdit* LatticeSiteIndexEdit = nullptr;
    QLabel* LogBufferLabel = nullptr;
    TIntegerEdit* LogBufferEdit = nullptr;

    QCheckBox* ElementalTargetOption = nullptr;
    QCheckBox* StoreInitialOption = nullptr;
    QCheckBox* StoreInelasticOption = nullptr;
    QCheckBox* FixedTimestepOption = nullptr;
    QCheckBox* HotTargetOption = nullptr;
    QCheckBox* NoYVibrationOption = nullptr;
    QCheckBox* IgnoreTargetForcesOption = nullptr;
    QCheckBox* SelfBombardOption = nullptr;
    QCheckBox* SmoothDensityJoinOption = nullptr;  // ExtendedOptions::SmoothDensityJoin

    QCheckBox* LssOption = nullptr;
    QCheckBox* OrOption = nullptr;
    QCheckBox* StOption = nullptr;
    QCheckBox* CoolingOption = nullptr;
    QCheckBox* ImagePotentialOption = nullptr;

    QLabel* RandomSeedLabel = nullptr;
    TIntegerEdit* RandomSeedEdit = nullptr;
    QLabel* RunOffsetLabel = nullptr;
    TIntegerEdit* RunOffsetEdit = nullptr;
    QCheckBox* PerRunStreamsOption = nullptr;  // ExtendedOptions::PerRunStreams
    QCheckBox* SaveOptionsBox = nullptr;
    QCheckBox* LoadAtStartOption = nullptr;

    QPushButton* LoadOptionsButton = nullptr;
    QPushButton* OkButton = nullptr;
    QPushButton* CancelButton = nullptr;
    QPushButton* HelpButton = nullptr;
};

}  // namespace vantrel

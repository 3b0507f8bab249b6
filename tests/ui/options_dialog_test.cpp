#include "ui/options_dialog.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTest>

#include <gtest/gtest.h>

#include "tests/support/recording_ui.h"
#include "tests/support/temp_dir.h"
#include "tests/ui/ui_test_support.h"
#include "io/config_file.h"

namespace vantrel {
namespace {

using testing::RecordingUserInterface;
using testing::ServiceRecorder;
using testing::TempDir;
using testing::UiCall;

struct OptionsFixture {
    OptionsFixture() : program(ui), dialog(program) { dialog.SetServices(recorder.Services()); }
    void Open() {
        dialog.show();
        QApplication::processEvents();
    }
    void Close() { dialog.hide(); }
    template <typename T>
    T* C(const char* name) {
        T* control = dialog.findChild<T*>(QString::fromLatin1(name));
        if (control == nullptr) ADD_FAILURE() << "no control " << name;
        return control;
    }
    void Ok() { C<QPushButton>("OkButton")->click(); }
    QCheckBox* Box(const char* caption) {
        for (QCheckBox* box : dialog.findChildren<QCheckBox*>())
            if (box->text() == QString::fromLatin1(caption)) return box;
        ADD_FAILURE() << "no check box " << caption;
        return nullptr;
    }
    RecordingUserInterface ui;
    ProgramContext program;
    TOptionsDlg dialog;
    ServiceRecorder recorder;
};

SimulationOptions AllBooleansSet() {
    SimulationOptions o;
    o.NeighbourSearch = true;
    o.Verbose = o.ReportEnergy = o.ReportInelastic = o.ReportLatticeEnergy = true;
    o.ElementalTarget = o.StoreInitial = o.StoreInelastic = o.HotTarget = true;
    o.LoadOptionsAtStart = o.FixedTimestep = o.NoYVibration = true;
    o.UseLSS = o.UseOR = o.UseST = o.UseCooling = true;
    o.IgnoreTargetForces = o.SelfBombard = o.UseImagePotential = true;
    return o;
}

SimulationOptions OddIntegers() {
    SimulationOptions o;
    o.Algorithm = 1;
    o.GraphPlotType = 1;
    o.Verbose = false;
    o.ReportLatticeEnergy = true;
    o.LatticeSiteIndex = 29999;
    o.LogBufferLines = 0;
    o.UseST = true;
    return o;
}

// Every field flipped, so an OK that forgets a control cannot pass.
SimulationOptions Scrambled(const SimulationOptions& o) {
    OptionsRecord record = EncodeOptions(o);
    for (std::size_t k : {4, 12, 13, 14, 15, 24, 25, 26, 27, 28, 29, 30, 31, 32, 33, 34, 35, 36, 37})
        record[k] = record[k] ? 0 : 1;
    SimulationOptions s = DecodeOptions(record);
    s.Algorithm = (o.Algorithm + 1) % 4;
    s.GraphPlotType = 1 - o.GraphPlotType;
    s.LatticeSiteIndex = o.LatticeSiteIndex == 1 ? 2 : 1;
    s.LogBufferLines = o.LogBufferLines + 1;
    return s;
}

TEST(TOptionsDlg, OkStoresTheShownBlockByteForByte) {
    const struct {
        const char* Name;
        SimulationOptions Block;
    } cases[] = {{"defaults", SimulationOptions{}}, {"all booleans", AllBooleansSet()}, {"odd integers", OddIntegers()}};
    for (const auto& c : cases) {
        OptionsFixture f;
        f.program.Options = c.Block;
        f.Open();
        // Item 0 of the search is brute force, item 1 of the plot the velocity plot.
        EXPECT_EQ(f.C<QButtonGroup>("NeighbourSearchButtons")->button(0)->isChecked(), c.Block.NeighbourSearch);
        EXPECT_EQ(f.C<QButtonGroup>("PlotTypeButtons")->button(1)->isChecked(), c.Block.GraphPlotType == 1);
        f.program.Options = Scrambled(c.Block);
        f.program.GraphScale = -1;  // OK sets the scale of either plot type
        f.Ok();
        EXPECT_EQ(f.dialog.result(), QDialog::Accepted) << c.Name;
        EXPECT_FALSE(f.dialog.isVisible()) << c.Name;
        EXPECT_EQ(EncodeOptions(f.program.Options), EncodeOptions(c.Block)) << c.Name;
        EXPECT_EQ(f.program.GraphScale, c.Block.GraphPlotType == 0 ? 1e11 : 0.01) << c.Name;
    }
}

TEST(TOptionsDlg, EachCheckBoxEditsItsOwnField) {
    const struct {
        const char* Caption;
        bool SimulationOptions::*Field;
    } cases[] = {
        {"Verbose reporting", &SimulationOptions::Verbose},
        {"Report energy etc.", &SimulationOptions::ReportEnergy},
        {"Report inelastic loss", &SimulationOptions::ReportInelastic},
        {"Lattice && cohesive energy", &SimulationOptions::ReportLatticeEnergy},
        {"Assume elemental target", &SimulationOptions::ElementalTarget},
        {"Initial conditions to disk", &SimulationOptions::StoreInitial},
        {"Inelastic events to disk", &SimulationOptions::StoreInelastic},
        {"Fixed timestep", &SimulationOptions::FixedTimestep},
        {"Hot target: <KE> = 3/2kT", &SimulationOptions::HotTarget},
        {"No y-vibrations (ICISS expt)", &SimulationOptions::NoYVibration},
        {"Ignore inter-target forces", &SimulationOptions::IgnoreTargetForces},
        {"Self-bombardment expt", &SimulationOptions::SelfBombard},
        {"Lindhard-Scharff-Schiott model", &SimulationOptions::UseLSS},
        {"Oen-Robinson model", &SimulationOptions::UseOR},
        {"Shapiro-Tombrello model", &SimulationOptions::UseST},
        {"Cooling model", &SimulationOptions::UseCooling},
        {"Image potential model", &SimulationOptions::UseImagePotential},
        {"Load options at start-up", &SimulationOptions::LoadOptionsAtStart},
    };
    for (const auto& c : cases) {
        OptionsFixture f;
        f.Open();
        QCheckBox* box = f.Box(c.Caption);
        ASSERT_NE(box, nullptr);
        box->click();
        f.Ok();
        SimulationOptions expected;
        expected.*c.Field = !(SimulationOptions{}.*c.Field);
        EXPECT_EQ(EncodeOptions(f.program.Options), EncodeOptions(expected)) << c.Caption;
    }
}

// The check boxes of the options beside the block: shown from them, stored
// to them on OK only, the block untouched.
TEST(TOptionsDlg, BoxesOfTheOptionsBesideTheBlockEditThem) {
    const struct {
        const char* Label;
        bool ExtendedOptions::*Field;
    } boxes[] = {{"Random streams per run", &ExtendedOptions::PerRunStreams},
                 {"Continuous density join", &ExtendedOptions::SmoothDensityJoin}};
    for (const auto& b : boxes) {
        for (const bool ok : {true, false}) {
            OptionsFixture f;
            f.Open();
            QCheckBox* box = f.Box(b.Label);
            ASSERT_NE(box, nullptr) << b.Label;
            EXPECT_FALSE(box->isChecked()) << b.Label;
            box->click();
            if (ok)
                f.Ok();
            else
                f.C<QPushButton>("CancelButton")->click();
            EXPECT_EQ(f.program.Extended.*b.Field, ok) << b.Label;
            EXPECT_EQ(EncodeOptions(f.program.Options), EncodeOptions(SimulationOptions{}));
            if (ok) {
                f.Open();
                EXPECT_TRUE(f.Box(b.Label)->isChecked()) << b.Label;
            }
        }
    }
}

TEST(TOptionsDlg, UpperGroupsCarryTheirCaptionsOnTheLeft) {
    OptionsFixture f;
    for (const char* caption : {"Verbose reporting", "Report energy etc.", "Report inelastic loss",
                                "Lattice && cohesive energy", "Assume elemental target", "Self-bombardment expt"})
        EXPECT_EQ(f.Box(caption)->layoutDirection(), Qt::RightToLeft) << caption;
    for (const char* caption : {"Cooling model", "Save options to disk", "Load options at start-up"})
        EXPECT_EQ(f.Box(caption)->layoutDirection(), Qt::LeftToRight) << caption;
}

TEST(TOptionsDlg, ShowsGroupsRadioItemsAndButtonsWithTheirCaptions) {
    OptionsFixture f;
    EXPECT_EQ(f.dialog.windowTitle(), QStringLiteral("Simulation Options"));
    QStringList groups;
    for (QGroupBox* group : f.dialog.findChildren<QGroupBox*>()) groups << group->title();
    groups.sort();
    EXPECT_EQ(groups, (QStringList{"Graph window plot type", "Inelastic loss models in use", "Integration algorithm",
                                   "Miscellaneous options", "Neighbour search", "Screen output options"}));
    auto items = [](QButtonGroup* buttons) {
        QStringList texts;
        for (int id = 0; buttons->button(id); ++id) texts << buttons->button(id)->text();
        return texts;
    };
    EXPECT_EQ(items(f.C<QButtonGroup>("AlgorithmButtons")), (QStringList{"HGE B", "Two-Step A", "Beeman", "Verlet"}));
    EXPECT_EQ(items(f.C<QButtonGroup>("NeighbourSearchButtons")), (QStringList{"Brute force", "Cell-index (box)"}));
    EXPECT_EQ(items(f.C<QButtonGroup>("PlotTypeButtons")),
              (QStringList{"Spatial plot (1 px = 0.1 A)", "Velocity plot (1 px = 100 m/s)"}));
    EXPECT_FALSE(f.C<QGroupBox>("AlgorithmGroup")->isEnabled());
    EXPECT_EQ(f.C<QPushButton>("LoadOptionsButton")->text(), QStringLiteral("&Load options"));
    EXPECT_EQ(f.C<QPushButton>("OkButton")->text(), QStringLiteral("&OK"));
    EXPECT_EQ(f.C<QPushButton>("CancelButton")->text(), QStringLiteral("&Cancel"));
    EXPECT_EQ(f.C<QPushButton>("HelpButton")->text(), QStringLiteral("Help"));
    EXPECT_EQ(f.C<QLabel>("RandomSeedLabel")->text(), QStringLiteral("Random seed"));
    EXPECT_EQ(f.C<QLabel>("RunOffsetLabel")->text(), QStringLiteral("Run counter offset"));
    EXPECT_EQ(f.C<QLabel>("LatticeSiteIndexLabel")->text(), QStringLiteral("Lattice site index"));
    EXPECT_EQ(f.C<QLabel>("LogBufferLabel")->text(), QStringLiteral("Log buffer (lines)"));
    // The four integer fields: ranges and lengths.
    const struct {
        TIntegerEdit* Edit;
        std::int32_t Min, Max;
        int Length;
        const char* Text;
    } fields[] = {
        {f.C<TIntegerEdit>("LogBufferEdit"), 0, 9000000, 7, "500"},
        {f.C<TIntegerEdit>("LatticeSiteIndexEdit"), 1, 30000, 7, "1"},
        {f.C<TIntegerEdit>("RunOffsetEdit"), -10000000, 10000000, 32767, "0"},
        {f.C<TIntegerEdit>("RandomSeedEdit"), -10000000, 10000000, 32767, "1"},
    };
    for (const auto& field : fields) {
        EXPECT_EQ(field.Edit->MinValue(), field.Min);
        EXPECT_EQ(field.Edit->MaxValue(), field.Max);
        EXPECT_EQ(field.Edit->maxLength(), field.Length);
        EXPECT_EQ(field.Edit->text(), QString::fromLatin1(field.Text));
    }
}

TEST(TOptionsDlg, OpensCentredOnTheScreenAtAFixedSize) {
    OptionsFixture f;
    f.Open();
    EXPECT_EQ(f.dialog.minimumSize(), f.dialog.maximumSize());
    const QPoint screenCentre = f.dialog.screen()->availableGeometry().center();
    EXPECT_LE((f.dialog.frameGeometry().center() - screenCentre).manhattanLength(), 2);
}

TEST(TOptionsDlg, CancelStoresNothingButTheSeedFieldKeepsItsText) {
    OptionsFixture f;
    f.Open();
    f.C<TIntegerEdit>("RandomSeedEdit")->setText(QStringLiteral("4711"));
    f.C<TIntegerEdit>("RunOffsetEdit")->setText(QStringLiteral("20"));
    f.Box("Verbose reporting")->click();
    f.C<QButtonGroup>("PlotTypeButtons")->button(1)->click();
    f.C<QCheckBox>("SaveOptionsBox")->setChecked(true);
    f.C<QPushButton>("CancelButton")->click();
    EXPECT_EQ(f.dialog.result(), QDialog::Rejected);
    EXPECT_EQ(EncodeOptions(f.program.Options), EncodeOptions(SimulationOptions{}));
    EXPECT_EQ(f.program.RandomSeed, 1);
    EXPECT_EQ(f.program.RunOffset, 0);
    EXPECT_EQ(f.program.GraphScale, 1e11);
    f.Open();
    EXPECT_EQ(f.C<TIntegerEdit>("RandomSeedEdit")->text(), QStringLiteral("4711"));
    EXPECT_EQ(f.C<TIntegerEdit>("RunOffsetEdit")->text(), QStringLiteral("20"));
    EXPECT_TRUE(f.Box("Verbose reporting")->isChecked());  // reloaded from the block
    EXPECT_TRUE(f.C<QButtonGroup>("PlotTypeButtons")->button(0)->isChecked());
    EXPECT_TRUE(f.dialog.SaveOptionsChecked());  // kept between openings
}

TEST(TOptionsDlg, OkStoresSeedAndOffset) {
    OptionsFixture f;
    f.Open();
    f.C<TIntegerEdit>("RandomSeedEdit")->setText(QStringLiteral("-10000000"));
    f.C<TIntegerEdit>("RunOffsetEdit")->setText(QStringLiteral("250"));
    f.Ok();
    EXPECT_EQ(f.program.RandomSeed, -10000000);
    EXPECT_EQ(f.program.RunOffset, 250);
    EXPECT_FALSE(f.dialog.SaveOptionsChecked());
}

TEST(TOptionsDlg, LatticeBoxEnablesTheSiteIndexFieldAndLabelAtOnce) {
    OptionsFixture f;
    f.program.Options.ReportLatticeEnergy = true;
    f.Open();
    EXPECT_TRUE(f.C<TIntegerEdit>("LatticeSiteIndexEdit")->isEnabled());
    EXPECT_TRUE(f.C<QLabel>("LatticeSiteIndexLabel")->isEnabled());
    f.Box("Lattice && cohesive energy")->click();
    EXPECT_FALSE(f.C<TIntegerEdit>("LatticeSiteIndexEdit")->isEnabled());
    EXPECT_FALSE(f.C<QLabel>("LatticeSiteIndexLabel")->isEnabled());
    EXPECT_TRUE(f.C<TIntegerEdit>("LogBufferEdit")->isEnabled());
    f.Ok();
    f.Open();
    EXPECT_FALSE(f.C<TIntegerEdit>("LatticeSiteIndexEdit")->isEnabled());
    EXPECT_FALSE(f.C<QLabel>("LatticeSiteIndexLabel")->isEnabled());
    f.Box("Lattice && cohesive energy")->click();
    EXPECT_TRUE(f.C<TIntegerEdit>("LatticeSiteIndexEdit")->isEnabled());
    EXPECT_TRUE(f.C<QLabel>("LatticeSiteIndexLabel")->isEnabled());
}

TEST(TOptionsDlg, OkRefusesToCloseWhileAFieldIsInvalid) {
    OptionsFixture f;
    f.Open();
    f.C<TIntegerEdit>("LogBufferEdit")->setText(QStringLiteral("9000001"));
    f.C<TIntegerEdit>("RandomSeedEdit")->setText(QStringLiteral("5"));
    f.Ok();
    EXPECT_TRUE(f.dialog.isVisible());
    EXPECT_EQ(f.recorder.Beeps, 1);
    ASSERT_EQ(f.recorder.Messages.size(), 1u);
    EXPECT_EQ(f.recorder.Messages[0].second, IntegerRangeMessage(0, 9000000));
    EXPECT_EQ(f.program.RandomSeed, 1);
    EXPECT_EQ(f.program.Options.LogBufferLines, 500);
    f.C<TIntegerEdit>("LogBufferEdit")->setText(QStringLiteral("9000000"));
    f.Ok();
    EXPECT_EQ(f.dialog.result(), QDialog::Accepted);
    EXPECT_EQ(f.program.Options.LogBufferLines, 9000000);
    EXPECT_EQ(f.program.RandomSeed, 5);
}

TEST(TOptionsDlg, LeavingAFieldWithAnOutOfRangeValueKeepsTheFocusThere) {
    OptionsFixture f;
    f.Open();
    f.dialog.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&f.dialog));
    f.C<TIntegerEdit>("LogBufferEdit")->setFocus();
    f.C<TIntegerEdit>("LogBufferEdit")->setText(QStringLiteral("9000001"));
    QTest::keyClick(f.C<TIntegerEdit>("LogBufferEdit"), Qt::Key_Tab);
    QApplication::processEvents();
    EXPECT_EQ(f.recorder.Beeps, 1);
    ASSERT_EQ(f.recorder.Messages.size(), 1u);
    EXPECT_EQ(f.recorder.Messages[0].second.toStdString(),
              "Input value must be integer in range:\n\nMinimum:            0\nMaximum:     9000000\n");
    EXPECT_EQ(QApplication::focusWidget(), f.C<TIntegerEdit>("LogBufferEdit"));
    EXPECT_EQ(f.C<TIntegerEdit>("LogBufferEdit")->text(), QStringLiteral("9000001"));
}

TEST(TOptionsDlg, ADisabledSiteIndexOutOfRangeKeepsTheBlockValue) {
    OptionsFixture f;
    f.program.Options.LatticeSiteIndex = 0;  // as a loaded file may hold
    f.Open();
    f.Ok();
    EXPECT_EQ(f.dialog.result(), QDialog::Accepted);
    EXPECT_EQ(f.program.Options.LatticeSiteIndex, 0);
    EXPECT_EQ(f.recorder.Beeps, 0);
}

TEST(TOptionsDlg, LoadOptionsReadsAFileThatIsNotLoadedAtStartUpAndClosesAsCancel) {
    OptionsFixture f;
    TempDir dir;
    SimulationOptions stored;
    stored.LoadOptionsAtStart = false;
    stored.UseOR = true;
    stored.GraphPlotType = 1;
    stored.LogBufferLines = 1234;
    const OptionsRecord record = EncodeOptions(stored);
    const std::string path =
        dir.Write("saved.cfg", std::string(reinterpret_cast<const char*>(record.data()), record.size()));
    f.recorder.ChooserAnswers.push_back(QString::fromStdString(path));
    f.Open();
    f.C<TIntegerEdit>("RandomSeedEdit")->setText(QStringLiteral("99"));
    f.C<QPushButton>("LoadOptionsButton")->click();
    EXPECT_FALSE(f.dialog.isVisible());
    EXPECT_EQ(f.dialog.result(), QDialog::Rejected);
    EXPECT_EQ(EncodeOptions(f.program.Options), record);
    EXPECT_EQ(f.program.GraphScale, 0.01);
    EXPECT_EQ(f.program.RandomSeed, 1);
    ASSERT_EQ(f.recorder.Requests.size(), 1u);
    const FileRequest& request = f.recorder.Requests[0];
    EXPECT_EQ(request.Mode, FileRequest::Kind::OpenExisting);
    EXPECT_EQ(request.Filter, QStringLiteral("Vantrel configuration file (*.cfg)"));
    EXPECT_EQ(request.DefaultSuffix, QStringLiteral("cfg"));
    EXPECT_EQ(request.InitialName, QStringLiteral("*.cfg"));
    // The next opening shows the loaded values.
    f.Open();
    EXPECT_TRUE(f.Box("Oen-Robinson model")->isChecked());
    EXPECT_EQ(f.C<TIntegerEdit>("LogBufferEdit")->text(), QStringLiteral("1234"));
}

TEST(TOptionsDlg, CancelledChooserKeepsTheDialogOpen) {
    OptionsFixture f;
    f.Open();
    f.C<QPushButton>("LoadOptionsButton")->click();  // no answer: the chooser was cancelled
    EXPECT_TRUE(f.dialog.isVisible());
    EXPECT_EQ(f.recorder.Requests.size(), 1u);
    EXPECT_EQ(EncodeOptions(f.program.Options), EncodeOptions(SimulationOptions{}));
}

TEST(TOptionsDlg, UnreadableOptionsFileShowsTheErrorAndStillClosesAsCancel) {
    OptionsFixture f;
    TempDir dir;
    const std::string shortFile = dir.Write("short.cfg", std::string(39, '\1'));
    f.recorder.ChooserAnswers.push_back(QString::fromStdString(shortFile));
    f.Open();
    f.C<QPushButton>("LoadOptionsButton")->click();
    EXPECT_EQ(f.dialog.result(), QDialog::Rejected);
    EXPECT_FALSE(f.dialog.isVisible());
    EXPECT_EQ(f.ui.Texts(UiCall::ErrorBox), std::vector<std::string>{"Error reading options from " + shortFile + "."});
    EXPECT_EQ(EncodeOptions(f.program.Options), EncodeOptions(SimulationOptions{}));
}

TEST(TOptionsDlg, HelpShowsTopic310AndCancelIgnoresAnInvalidField) {
    OptionsFixture f;
    f.Open();
    f.C<QPushButton>("HelpButton")->click();
    EXPECT_EQ(f.recorder.HelpTopics, std::vector<int>{310});
    f.C<TIntegerEdit>("RunOffsetEdit")->setText(QStringLiteral("x"));
    QTest::mouseClick(f.C<QPushButton>("CancelButton"), Qt::LeftButton);
    QApplication::processEvents();
    EXPECT_EQ(f.dialog.result(), QDialog::Rejected);
    EXPECT_FALSE(f.dialog.isVisible());
    EXPECT_EQ(f.recorder.Beeps, 0);
}

}  // namespace
}  // namespace vantrel

#include "ui/file_dialogs.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <gtest/gtest.h>

#include "tests/support/temp_dir.h"
#include "tests/ui/ui_test_support.h"

namespace vantrel {
namespace {

using testing::ServiceRecorder;
using testing::TempDir;

QString Q(const std::string& text) { return QString::fromStdString(text); }

struct InputFixture {
    InputFixture() : dialog(files, options) { dialog.SetServices(recorder.Services()); }
    void Open() {
        dialog.hide();
        dialog.show();
    }
    QString Field(int row) const { return dialog.FileField[row]->text(); }
    InputFileSet files;
    SimulationOptions options;
    TFileDialog dialog;
    ServiceRecorder recorder;
};

TEST(TFileDialog, ProjectileFindsTheCompanionsThatExistAndLeavesTheOthers) {
    InputFixture f;
    TempDir dir;
    const std::string prj = dir.Write("cu.prj", "");
    const std::string trg = dir.Write("cu.trg", "");
    const std::string run = dir.Write("cu.run", "");
    dir.Write("other.mdl", "");
    f.Open();
    f.recorder.ChooserAnswers.push_back(Q(prj));
    f.dialog.SelectClick(TFileDialog::ProjectileRow);
    EXPECT_EQ(f.Field(TFileDialog::ProjectileRow), Q(prj));
    EXPECT_EQ(f.Field(TFileDialog::TargetRow), Q(trg));
    EXPECT_EQ(f.Field(TFileDialog::RunRow), Q(run));
    EXPECT_EQ(f.Field(TFileDialog::ModelRow), QStringLiteral("*.mdl"));
    EXPECT_EQ(f.Field(TFileDialog::ImpactRow), QStringLiteral("*.imp"));
    EXPECT_EQ(f.Field(TFileDialog::InelasticRow), QStringLiteral("*.inl"));
    EXPECT_TRUE(f.recorder.Messages.empty());
    // Nothing reaches the set before OK.
    EXPECT_EQ(f.files.Target, "*.trg");
}

TEST(TFileDialog, EveryCompanionFillsItsRowInCapitalsToo) {
    InputFixture f;
    TempDir dir;
    const std::string prj = dir.Write("NI.PRJ", "");
    std::vector<std::string> companions;
    for (const char* ext : {".TRG", ".MDL", ".RUN", ".IMP", ".INL"}) companions.push_back(dir.Write(std::string("NI") + ext, ""));
    f.Open();
    f.recorder.ChooserAnswers.push_back(Q(prj));
    f.dialog.SelectClick(TFileDialog::ProjectileRow);
    EXPECT_EQ(f.Field(TFileDialog::TargetRow), Q(companions[0]));
    EXPECT_EQ(f.Field(TFileDialog::ModelRow), Q(companions[1]));
    EXPECT_EQ(f.Field(TFileDialog::RunRow), Q(companions[2]));
    EXPECT_EQ(f.Field(TFileDialog::ImpactRow), Q(companions[3]));
    EXPECT_EQ(f.Field(TFileDialog::InelasticRow), Q(companions[4]));
}

TEST(TFileDialog, MissingProjectileShowsFileNotFoundAndSearchesNothing) {
    InputFixture f;
    TempDir dir;
    dir.Write("gone.trg", "");
    const std::string prj = dir.File("gone.prj");
    f.Open();
    f.recorder.ChooserAnswers.push_back(Q(prj));
    f.dialog.SelectClick(TFileDialog::ProjectileRow);
    ASSERT_EQ(f.recorder.Messages.size(), 1u);
    EXPECT_EQ(f.recorder.Messages[0].first, MessageKind::Error);
    EXPECT_EQ(f.recorder.Messages[0].second, QStringLiteral("File not found: ") + Q(prj));
    EXPECT_EQ(f.Field(TFileDialog::ProjectileRow), Q(prj));
    EXPECT_EQ(f.Field(TFileDialog::TargetRow), QStringLiteral("*.trg"));
}

TEST(TFileDialog, EachRowAsksWithItsTitleFilterAndPattern) {
    const struct {
        int Row;
        const char *Label, *Title, *Filter, *Suffix, *Pattern;
    } rows[] = {
        {TFileDialog::ProjectileRow, "&Projectile data", "Select Projectile file", "Projectile file (*.prj)", "prj", "*.prj"},
        {TFileDialog::TargetRow, "&Target data", "Select Target file", "Target file (*.trg)", "trg", "*.trg"},
        {TFileDialog::ModelRow, "&Model data", "Select Model file", "Model file (*.mdl)", "mdl", "*.mdl"},
        {TFileDialog::RunRow, "&Run data", "Select Run file", "Run file (*.run)", "run", "*.run"},
        {TFileDialog::ImpactRow, "&Impact data", "Select Impact file", "Impact parameter file (*.imp)", "imp", "*.imp"},
        {TFileDialog::InelasticRow, "I&nelastic data", "Select Inelastic file", "Inelastic parameters file (*.inl)", "inl",
         "*.inl"},
    };
    InputFixture f;
    f.options.UseCooling = true;
    f.Open();
    for (const auto& r : rows) {
        f.recorder.Requests.clear();
        f.recorder.ChooserAnswers.push_back(QStringLiteral("/nowhere/chosen.") + QString::fromLatin1(r.Suffix));
        f.dialog.SelectButton[r.Row]->click();
        ASSERT_EQ(f.recorder.Requests.size(), 1u) << r.Title;
        const FileRequest& q = f.recorder.Requests[0];
        EXPECT_EQ(q.Mode, FileRequest::Kind::OpenExisting);
        EXPECT_EQ(q.Title, QString::fromLatin1(r.Title));
        EXPECT_EQ(q.Filter, QString::fromLatin1(r.Filter));
        EXPECT_EQ(q.DefaultSuffix, QString::fromLatin1(r.Suffix));
        EXPECT_EQ(q.InitialName, QString::fromLatin1(r.Pattern));
        EXPECT_EQ(f.Field(r.Row), QStringLiteral("/nowhere/chosen.") + QString::fromLatin1(r.Suffix));
        EXPECT_EQ(f.dialog.RowLabel[r.Row]->text(), QString::fromLatin1(r.Label));
        EXPECT_EQ(f.dialog.RowLabel[r.Row]->buddy(), f.dialog.SelectButton[r.Row]);
        EXPECT_EQ(f.dialog.FileField[r.Row]->focusPolicy(), Qt::NoFocus);
        EXPECT_TRUE(f.dialog.FileField[r.Row]->isReadOnly());
    }
    EXPECT_EQ(f.dialog.SelectButton[0]->text(), QStringLiteral("&Select"));
    EXPECT_EQ(f.dialog.SelectButton[1]->text(), QStringLiteral("Select"));
    EXPECT_EQ(f.dialog.windowTitle(), QStringLiteral("Specify input files"));
    EXPECT_EQ(f.dialog.OptionalNote->text(), QStringLiteral("(Inelastic data file is optional)"));
}

TEST(TFileDialog, CancelledChooserChangesNothing) {
    InputFixture f;
    f.Open();
    f.dialog.SelectClick(TFileDialog::TargetRow);
    EXPECT_EQ(f.recorder.Requests.size(), 1u);
    EXPECT_EQ(f.Field(TFileDialog::TargetRow), QStringLiteral("*.trg"));
}

TEST(TFileDialog, InelasticRowIsEnabledOnlyWhileAModelIsInUse) {
    InputFixture f;
    f.files.Inelastic = "/data/cu.inl";
    f.Open();
    EXPECT_FALSE(f.dialog.RowLabel[TFileDialog::InelasticRow]->isEnabled());
    EXPECT_FALSE(f.dialog.SelectButton[TFileDialog::InelasticRow]->isEnabled());
    EXPECT_FALSE(f.dialog.FileField[TFileDialog::InelasticRow]->isEnabled());
    EXPECT_EQ(f.Field(TFileDialog::InelasticRow), QStringLiteral("/data/cu.inl"));
    EXPECT_TRUE(f.dialog.SelectButton[TFileDialog::TargetRow]->isEnabled());
    for (bool SimulationOptions::*model : {&SimulationOptions::UseLSS, &SimulationOptions::UseOR, &SimulationOptions::UseST,
                                           &SimulationOptions::UseCooling, &SimulationOptions::UseImagePotential}) {
        f.options = SimulationOptions{};
        f.options.*model = true;
        f.Open();
        EXPECT_TRUE(f.dialog.RowLabel[TFileDialog::InelasticRow]->isEnabled());
        EXPECT_TRUE(f.dialog.SelectButton[TFileDialog::InelasticRow]->isEnabled());
        EXPECT_TRUE(f.dialog.FileField[TFileDialog::InelasticRow]->isEnabled());
    }
}

TEST(TFileDialog, OkCopiesTheFieldsCutTo255AndCancelCopiesNothing) {
    InputFixture f;
    f.Open();
    const QString longName = QStringLiteral("/") + QString(299, QLatin1Char('a'));
    f.recorder.ChooserAnswers = {QStringLiteral("/jobs/x.mdl"), longName};
    f.dialog.SelectClick(TFileDialog::ModelRow);
    f.dialog.SelectClick(TFileDialog::ImpactRow);
    f.dialog.CancelButton->click();
    EXPECT_EQ(f.dialog.result(), QDialog::Rejected);
    EXPECT_EQ(f.files.Model, "*.mdl");
    f.Open();  // the next showing forgets the edits
    EXPECT_EQ(f.Field(TFileDialog::ModelRow), QStringLiteral("*.mdl"));
    f.recorder.ChooserAnswers = {QStringLiteral("/jobs/x.mdl"), longName};
    f.dialog.SelectClick(TFileDialog::ModelRow);
    f.dialog.SelectClick(TFileDialog::ImpactRow);
    f.dialog.OkButton->click();
    EXPECT_EQ(f.dialog.result(), QDialog::Accepted);
    EXPECT_EQ(f.files.Model, "/jobs/x.mdl");
    EXPECT_EQ(f.files.Impact, longName.left(255).toStdString());
    EXPECT_EQ(f.files.Projectile, "*.prj");
}

TEST(TFileDialog, HelpShowsTopic110) {
    InputFixture f;
    f.dialog.HelpButton->click();
    EXPECT_EQ(f.recorder.HelpTopics, std::vector<int>{110});
}

TEST(WithExtension, ReplacesOnlyTheFileNamesExtension) {
    EXPECT_EQ(WithExtension(QStringLiteral("/a/cu.prj"), QStringLiteral(".trg")), QStringLiteral("/a/cu.trg"));
    EXPECT_EQ(WithExtension(QStringLiteral("/a.b/cu"), QStringLiteral(".trg")), QStringLiteral("/a.b/cu.trg"));
    EXPECT_EQ(WithExtension(QStringLiteral("cu.x.prj"), QStringLiteral(".run")), QStringLiteral("cu.x.run"));
}

// ---------------------------------------------------------------------------

struct OutputFixture {
    OutputFixture() : dialog(files) { dialog.SetServices(recorder.Services()); }
    void Open() {
        dialog.hide();
        dialog.show();
    }
    OutputFileSet files;
    TOutfileDlg dialog;
    ServiceRecorder recorder;
};

TEST(TOutfileDlg, CancelAfterSelectingKeepsTheOldNames) {
    OutputFixture f;
    f.files.DynamicalVariables = "/old/dynvars.vsk";
    f.Open();
    f.recorder.ChooserAnswers.push_back(QStringLiteral("/new/run7.vsk"));
    f.dialog.SelectClick(TOutfileDlg::DynamicalRow);
    EXPECT_EQ(f.dialog.FileField[TOutfileDlg::DynamicalRow]->text(), QStringLiteral("/new/run7.vsk"));
    f.dialog.CancelButton->click();
    EXPECT_EQ(f.files.DynamicalVariables, "/old/dynvars.vsk");
    f.Open();
    EXPECT_EQ(f.dialog.FileField[TOutfileDlg::DynamicalRow]->text(), QStringLiteral("/old/dynvars.vsk"));
}

TEST(TOutfileDlg, OkCopiesTheThreeNamesCutTo255) {
    OutputFixture f;
    f.Open();
    const QString longName = QStringLiteral("/") + QString(300, QLatin1Char('e')) + QStringLiteral(".dat");
    f.recorder.ChooserAnswers = {QStringLiteral("/new/ini.vsk"), longName};
    f.dialog.SelectClick(TOutfileDlg::InitialRow);
    f.dialog.SelectClick(TOutfileDlg::EventsRow);
    f.dialog.OkButton->click();
    EXPECT_EQ(f.dialog.result(), QDialog::Accepted);
    EXPECT_EQ(f.files.InitialConditions, "/new/ini.vsk");
    EXPECT_EQ(f.files.DynamicalVariables, "dynvars.vsk");
    EXPECT_EQ(f.files.InelasticEvents, longName.left(255).toStdString());
}

TEST(TOutfileDlg, SaveChooserUsesTheRowsFilterAndCurrentName) {
    const struct {
        int Row;
        const char *Label, *Filter, *Suffix;
    } rows[] = {
        {TOutfileDlg::InitialRow, "Initial conditions", "Initial conditions vosk file (*.vsk)", "vsk"},
        {TOutfileDlg::DynamicalRow, "Dynamical variables", "Initial conditions vosk file (*.vsk)", "vsk"},
        {TOutfileDlg::EventsRow, "Inelastic events", "Ascii data file (*.dat)", "dat"},
    };
    OutputFixture f;
    f.Open();
    for (const auto& r : rows) {
        f.recorder.Requests.clear();
        f.dialog.SelectButton[r.Row]->click();
        ASSERT_EQ(f.recorder.Requests.size(), 1u);
        const FileRequest& q = f.recorder.Requests[0];
        EXPECT_EQ(q.Mode, FileRequest::Kind::Save);
        EXPECT_EQ(q.Title, QStringLiteral("Specify name of output file"));
        EXPECT_EQ(q.Filter, QString::fromLatin1(r.Filter));
        EXPECT_EQ(q.DefaultSuffix, QString::fromLatin1(r.Suffix));
        EXPECT_EQ(q.InitialName, f.dialog.FileField[r.Row]->text());
        EXPECT_EQ(f.dialog.RowLabel[r.Row]->text(), QString::fromLatin1(r.Label));
        EXPECT_EQ(f.dialog.SelectButton[r.Row]->toolTip(), QStringLiteral("Set name of this output file"));
    }
    EXPECT_EQ(f.dialog.windowTitle(), QStringLiteral("Specify output files"));
    EXPECT_EQ(f.dialog.OkButton->text(), QStringLiteral("Ok"));
    f.dialog.HelpButton->click();
    EXPECT_EQ(f.recorder.HelpTopics, std::vector<int>{120});
}

}  // namespace
}  // namespace vantrel

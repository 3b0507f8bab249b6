// The input- and output-file dialogs: one FileNamesDialog each, found by the
// object names of their controls.
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

template <typename Dialog>
struct DialogFixture {
    DialogFixture() { dialog.SetServices(recorder.Services()); }
    template <typename T>
    T* Control(const QString& name) {
        T* control = dialog.template findChild<T*>(name);
        if (control == nullptr) ADD_FAILURE() << name.toStdString();
        return control;
    }
    QLabel* Label(int row) { return Control<QLabel>(QStringLiteral("RowLabel%1").arg(row)); }
    QPushButton* Select(int row) { return Control<QPushButton>(QStringLiteral("SelectButton%1").arg(row)); }
    QLineEdit* FieldEdit(int row) { return Control<QLineEdit>(QStringLiteral("FileField%1").arg(row)); }
    QString Field(int row) { return FieldEdit(row)->text(); }
    QPushButton* Button(const char* name) { return Control<QPushButton>(QString::fromLatin1(name)); }
    Dialog dialog;
    ServiceRecorder recorder;
};

using InputFixture = DialogFixture<TFileDialog>;
using OutputFixture = DialogFixture<TOutfileDlg>;

TEST(TFileDialog, ProjectileFillsTheCompanionsThatExistInEitherCase) {
    const struct {
        const char* Name;
        std::vector<const char*> Present;   // beside the projectile
        std::vector<const char*> Expected;  // target, model, run, impact, inelastic rows after
    } cases[] = {
        {"cu.prj", {"cu.trg", "cu.run", "other.mdl"}, {"cu.trg", "*.mdl", "cu.run", "*.imp", "*.inl"}},
        {"NI.PRJ", {"NI.TRG", "NI.MDL", "NI.RUN", "NI.IMP", "NI.INL"}, {"NI.TRG", "NI.MDL", "NI.RUN", "NI.IMP", "NI.INL"}},
    };
    for (const auto& c : cases) {
        InputFixture f;
        TempDir dir;
        const std::string prj = dir.Write(c.Name, "");
        for (const char* name : c.Present) dir.Write(name, "");
        f.recorder.ChooserAnswers.push_back(Q(prj));
        f.Select(TFileDialog::ProjectileRow)->click();
        EXPECT_EQ(f.Field(TFileDialog::ProjectileRow), Q(prj));
        for (int row = 1; row < 6; ++row) {
            const std::string name = c.Expected[static_cast<std::size_t>(row - 1)];
            EXPECT_EQ(f.Field(row), name[0] == '*' ? Q(name) : Q(dir.File(name))) << c.Name << " row " << row;
        }
        EXPECT_TRUE(f.recorder.Messages.empty());
    }
}

TEST(TFileDialog, MissingProjectileShowsFileNotFoundAndSearchesNothing) {
    InputFixture f;
    TempDir dir;
    dir.Write("gone.trg", "");
    const std::string prj = dir.File("gone.prj");
    f.recorder.ChooserAnswers.push_back(Q(prj));
    f.dialog.SelectClick(TFileDialog::ProjectileRow);
    ASSERT_EQ(f.recorder.Messages.size(), 1u);
    EXPECT_EQ(f.recorder.Messages[0], std::make_pair(MessageKind::Error, QStringLiteral("File not found: ") + Q(prj)));
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
    f.dialog.Load(InputFileSet{}, true);
    for (const auto& r : rows) {
        f.recorder.Requests.clear();
        f.recorder.ChooserAnswers.push_back(QStringLiteral("/nowhere/chosen.") + QString::fromLatin1(r.Suffix));
        f.Select(r.Row)->click();
        ASSERT_EQ(f.recorder.Requests.size(), 1u) << r.Title;
        const FileRequest& q = f.recorder.Requests[0];
        EXPECT_EQ(q.Mode, FileRequest::Kind::OpenExisting);
        EXPECT_EQ(q.Title, QString::fromLatin1(r.Title));
        EXPECT_EQ(q.Filter, QString::fromLatin1(r.Filter));
        EXPECT_EQ(q.DefaultSuffix, QString::fromLatin1(r.Suffix));
        EXPECT_EQ(q.InitialName, QString::fromLatin1(r.Pattern));
        EXPECT_EQ(f.Field(r.Row), QStringLiteral("/nowhere/chosen.") + QString::fromLatin1(r.Suffix));
        EXPECT_EQ(f.Label(r.Row)->text(), QString::fromLatin1(r.Label));
        EXPECT_EQ(f.Label(r.Row)->buddy(), f.Select(r.Row));
        EXPECT_EQ(f.FieldEdit(r.Row)->focusPolicy(), Qt::NoFocus);
        EXPECT_TRUE(f.FieldEdit(r.Row)->isReadOnly());
    }
    EXPECT_EQ(f.Select(0)->text(), QStringLiteral("&Select"));
    EXPECT_EQ(f.Select(1)->text(), QStringLiteral("Select"));
    EXPECT_EQ(f.dialog.windowTitle(), QStringLiteral("Specify input files"));
    EXPECT_EQ(f.Control<QLabel>("Note")->text(), QStringLiteral("(Inelastic data file is optional)"));
    EXPECT_EQ(f.Button("OkButton")->text(), QStringLiteral("OK"));
    f.Button("HelpButton")->click();
    EXPECT_EQ(f.recorder.HelpTopics, std::vector<int>{110});
}

TEST(TFileDialog, InelasticRowIsEnabledOnlyWhileAModelIsInUseAndKeepsItsName) {
    InputFixture f;
    InputFileSet files;
    files.Inelastic = "/data/cu.inl";
    for (const bool inUse : {false, true}) {
        f.dialog.Load(files, inUse);
        EXPECT_EQ(f.Label(TFileDialog::InelasticRow)->isEnabled(), inUse);
        EXPECT_EQ(f.Select(TFileDialog::InelasticRow)->isEnabled(), inUse);
        EXPECT_EQ(f.FieldEdit(TFileDialog::InelasticRow)->isEnabled(), inUse);
        EXPECT_EQ(f.Field(TFileDialog::InelasticRow), QStringLiteral("/data/cu.inl"));
        EXPECT_TRUE(f.Select(TFileDialog::TargetRow)->isEnabled());
    }
}

TEST(TFileDialog, OkGivesTheFieldsCutTo255AndLoadingForgetsEarlierEdits) {
    InputFixture f;
    const QString longName = QStringLiteral("/") + QString(299, QLatin1Char('a'));
    f.recorder.ChooserAnswers = {QStringLiteral("/jobs/x.mdl"), QString(), longName};
    f.dialog.SelectClick(TFileDialog::ModelRow);
    f.dialog.SelectClick(TFileDialog::TargetRow);  // cancelled: nothing changes
    f.dialog.SelectClick(TFileDialog::ImpactRow);
    f.Button("OkButton")->click();
    EXPECT_EQ(f.dialog.result(), QDialog::Accepted);
    const InputFileSet chosen = f.dialog.Files();
    EXPECT_EQ(chosen.Model, "/jobs/x.mdl");
    EXPECT_EQ(chosen.Target, "*.trg");
    EXPECT_EQ(chosen.Impact, longName.left(255).toStdString());
    EXPECT_EQ(chosen.Projectile, "*.prj");
    f.dialog.Load(InputFileSet{}, false);
    EXPECT_EQ(f.Field(TFileDialog::ModelRow), QStringLiteral("*.mdl"));
    f.Button("CancelButton")->click();
    EXPECT_EQ(f.dialog.result(), QDialog::Rejected);
}

TEST(WithExtension, ReplacesOnlyTheFileNamesExtension) {
    EXPECT_EQ(WithExtension(QStringLiteral("/a/cu.prj"), QStringLiteral(".trg")), QStringLiteral("/a/cu.trg"));
    EXPECT_EQ(WithExtension(QStringLiteral("/a.b/cu"), QStringLiteral(".trg")), QStringLiteral("/a.b/cu.trg"));
    EXPECT_EQ(WithExtension(QStringLiteral("cu.x.prj"), QStringLiteral(".run")), QStringLiteral("cu.x.run"));
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
    f.dialog.Load({"/j/ini.vsk", "/j/dyn.vsk", "/j/ev.dat"});
    for (const auto& r : rows) {
        f.recorder.Requests.clear();
        f.Select(r.Row)->click();
        ASSERT_EQ(f.recorder.Requests.size(), 1u);
        const FileRequest& q = f.recorder.Requests[0];
        EXPECT_EQ(q.Mode, FileRequest::Kind::Save);
        EXPECT_EQ(q.Title, QStringLiteral("Specify name of output file"));
        EXPECT_EQ(q.Filter, QString::fromLatin1(r.Filter));
        EXPECT_EQ(q.DefaultSuffix, QString::fromLatin1(r.Suffix));
        EXPECT_EQ(q.InitialName, f.Field(r.Row));
        EXPECT_EQ(f.Label(r.Row)->text(), QString::fromLatin1(r.Label));
        EXPECT_EQ(f.Select(r.Row)->toolTip(), QStringLiteral("Set name of this output file"));
    }
    EXPECT_EQ(f.dialog.windowTitle(), QStringLiteral("Specify output files"));
    EXPECT_EQ(f.Button("OkButton")->text(), QStringLiteral("Ok"));
    EXPECT_EQ(f.dialog.findChild<QLabel*>("Note"), nullptr);
    f.Button("HelpButton")->click();
    EXPECT_EQ(f.recorder.HelpTopics, std::vector<int>{120});
}

TEST(TOutfileDlg, OkGivesTheThreeNamesCutTo255) {
    OutputFixture f;
    const QString longName = QStringLiteral("/") + QString(300, QLatin1Char('e')) + QStringLiteral(".dat");
    f.recorder.ChooserAnswers = {QStringLiteral("/new/ini.vsk"), longName};
    f.dialog.SelectClick(TOutfileDlg::InitialRow);
    f.dialog.SelectClick(TOutfileDlg::EventsRow);
    f.Button("OkButton")->click();
    EXPECT_EQ(f.dialog.result(), QDialog::Accepted);
    const OutputFileSet chosen = f.dialog.Files();
    EXPECT_EQ(chosen.InitialConditions, "/new/ini.vsk");
    EXPECT_EQ(chosen.DynamicalVariables, "dynvars.vsk");
    EXPECT_EQ(chosen.InelasticEvents, longName.left(255).toStdString());
}

}  // namespace
}  // namespace vantrel

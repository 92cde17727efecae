// Save and Load from the window, the file choosers, and the close question.
#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QPushButton>
#include <QTabWidget>

#include "config/data_file.h"
#include "support/random_set.h"
#include "ui/unit_selector.h"
#include "window_fixture.h"

namespace valdro::ui::test {
namespace {

using Answer = DialogProvider::Answer;
using valdro::testing::RandomSet;

TEST_F(WindowTest, SaveThenLoadRoundTripsThroughTheWindow) {
    ClickUnit(3);
    Type(QStringLiteral("DeviceNameEdit"), QStringLiteral("Boiler"));
    Type(QStringLiteral("SubMaskAddr3Edit"), QStringLiteral("128"));
    const QString path = TempPath(QStringLiteral("set.dat"));
    dialogs.saveAnswers.push_back(path);
    ClickButton(QStringLiteral("SaveButton"));
    EXPECT_EQ(QFileInfo(path).size(), 23508);
    EXPECT_FALSE(form->Store().HasChanged());
    const ConfigSet saved = C();

    // Change things, then load the file back: the same unit, page and values return.
    Type(QStringLiteral("DeviceNameEdit"), QStringLiteral("Changed"));
    ClickUnit(5);
    ShowPage(1);
    dialogs.openAnswers.push_back(path);
    ClickButton(QStringLiteral("LoadButton"));
    EXPECT_TRUE(dialogs.Errors().isEmpty());
    EXPECT_TRUE(C() == saved);
    EXPECT_FALSE(form->Store().HasChanged());
    EXPECT_EQ(form->unitSelector()->currentIndex(), 5);
    EXPECT_EQ(form->pageControl()->currentIndex(), 1);
    ClickUnit(3);
    EXPECT_EQ(Text("DeviceNameEdit"), QStringLiteral("Boiler"));
    EXPECT_EQ(Edit(QStringLiteral("SubMaskAddr3Edit"))->text(), QStringLiteral("128"));
}

TEST_F(WindowTest, SaveAddsTheDefaultExtensionAndOffersTheLastNameAgain) {
    dialogs.saveAnswers.push_back(TempPath(QStringLiteral("plain")));
    form->SaveButtonClick();
    EXPECT_TRUE(QFileInfo::exists(TempPath(QStringLiteral("plain.dat"))));
    ASSERT_EQ(dialogs.saveChoosers.size(), 1u);
    EXPECT_EQ(
        dialogs.saveChoosers[0].nameFilters,
        (QStringList{QStringLiteral("Data Files (*.dat)"), QStringLiteral("All Files (*.*)")}));
    EXPECT_EQ(dialogs.saveChoosers[0].defaultSuffix, QStringLiteral("dat"));
    form->SaveButtonClick();  // cancelled
    ASSERT_EQ(dialogs.saveChoosers.size(), 2u);
    EXPECT_EQ(dialogs.saveChoosers[1].lastName, TempPath(QStringLiteral("plain.dat")));
    EXPECT_EQ(WithDefaultSuffix(QStringLiteral("/x/a.bin"), QStringLiteral("dat")),
              QStringLiteral("/x/a.bin"));

    // The real chooser shows the captions as they are, and "All Files (*.*)" lists
    // names without a dot too.
    ASSERT_TRUE(QFile(TempPath(QStringLiteral("notes"))).open(QIODevice::WriteOnly));
    QFileDialog chooser;
    ConfigureChooser(chooser, dialogs.saveChoosers[0]);
    chooser.setDirectory(tmp.path());
    const auto* types = chooser.findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
    const auto* files = chooser.findChild<QFileSystemModel*>();
    ASSERT_TRUE(types != nullptr && files != nullptr);
    ASSERT_EQ(types->count(), 2);
    EXPECT_EQ(types->itemText(0), QStringLiteral("Data Files (*.dat)"));
    EXPECT_EQ(types->itemText(1), QStringLiteral("All Files (*.*)"));
    auto listed = [&] {
        QStringList names;
        const QModelIndex dir = files->index(tmp.path());
        for (int r = 0; r < files->rowCount(dir); ++r) {
            names.push_back(files->index(r, 0, dir).data().toString());
        }
        names.sort();
        return names;
    };
    const QStringList both{QStringLiteral("notes"), QStringLiteral("plain.dat")};
    EXPECT_TRUE(QTest::qWaitFor([&] { return listed() == QStringList{both[1]}; }, 5000))
        << listed().join(u' ').toStdString();
    chooser.selectNameFilter(chooser.nameFilters().at(1));
    EXPECT_TRUE(QTest::qWaitFor([&] { return listed() == both; }, 5000))
        << listed().join(u' ').toStdString();
}

TEST_F(WindowTest, CancelledOrFailedSaveStillStoresThePageAndKeepsTheChange) {
    Type("DeviceNameEdit", "Edited");
    form->SaveButtonClick();  // cancelled
    EXPECT_EQ(C().Unit(0).DeviceName(), "Edited");
    EXPECT_TRUE(form->Store().HasChanged());
    EXPECT_TRUE(dialogs.Errors().isEmpty());
    dialogs.saveAnswers.push_back(TempPath(QStringLiteral("no/such/dir/set.dat")));
    form->SaveButtonClick();
    EXPECT_EQ(dialogs.Errors(), QStringList{QStringLiteral("Error Saving File.")});
    EXPECT_TRUE(form->Store().HasChanged());
}

// A refused file changes neither the configuration nor what the pages show,
// stored or not; a cancelled chooser does nothing and offers the last name again.
TEST_F(WindowTest, RefusedLoadsLeaveConfigurationAndPagesAsTheyWere) {
    const struct {
        const char* file;
        void (*edit)(std::vector<std::uint8_t>&);  // null: no such file
        const char* message;
    } cases[] = {
        {"later.dat", [](auto& f) { f[0] = 2; },
         "The file uses a later data format.\r\nCannot load"},
        {"foreign.dat", [](auto& f) { f[4] = 'o'; }, "Incompatible data file."},
        {"short.dat", [](auto& f) { f.resize(1000); }, "Error Opening File."},
        {"missing.dat", nullptr, "Error Opening File."},
    };
    Type("DeviceNameEdit", "Unstored");
    const ConfigSet before = C();
    for (const auto& c : cases) {
        const QString path = TempPath(QString::fromLatin1(c.file));
        if (c.edit != nullptr) {
            std::vector<std::uint8_t> bytes = SerializeDataFile(RandomSet(1));
            c.edit(bytes);
            QFile f(path);
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            f.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
        }
        dialogs.log.clear();
        dialogs.openAnswers.push_back(path);
        form->LoadButtonClick();
        EXPECT_EQ(dialogs.Errors(), QStringList{QString::fromLatin1(c.message)}) << c.file;
        EXPECT_TRUE(C() == before) << c.file;
        EXPECT_EQ(Text("DeviceNameEdit"), QStringLiteral("Unstored"));
    }
    dialogs.log.clear();
    form->LoadButtonClick();
    EXPECT_EQ(dialogs.log,
              QStringList{QStringLiteral("O:") + TempPath(QStringLiteral("missing.dat"))});
    EXPECT_EQ(Text("DeviceNameEdit"), QStringLiteral("Unstored"));
}

TEST_F(WindowTest, LoadFileFromTheCommandLinePathShowsTheFile) {
    ConfigSet other;
    other.SetDefaults();
    other.Unit(0).SetDeviceName("Cmdline");
    ASSERT_EQ(SaveDataFile(TempPath(QStringLiteral("c.dat")).toStdString(), other),
              SaveOutcome::Ok);
    EXPECT_TRUE(form->LoadFile(TempPath(QStringLiteral("c.dat"))));
    EXPECT_EQ(Text("DeviceNameEdit"), QStringLiteral("Cmdline"));
    EXPECT_FALSE(form->Store().HasChanged());
}

// --- the close question

TEST_F(WindowTest, CloseAsksOnlyWhenSomethingChanged) {
    EXPECT_TRUE(form->close());  // right after start: no question
    EXPECT_TRUE(dialogs.log.isEmpty());
}

// Each close stores the page first, so an edit still only on screen counts.
TEST_F(WindowTest, CloseQuestionAnswers) {
    const struct {
        std::vector<Answer> answers;
        QString saveTo;  // empty: the save chooser is cancelled
        bool closes;
        QStringList errors;
    } cases[] = {
        {{Answer::Cancel}, {}, false, {}},
        {{Answer::No}, {}, true, {}},
        {{Answer::Yes}, QStringLiteral("closing.dat"), true, {}},
        {{Answer::Yes}, {}, false, {}},  // a cancelled save keeps the window open
        {{Answer::Yes},
         QStringLiteral("no/dir/x.dat"),
         false,
         {QStringLiteral("Error Saving File.")}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.saveTo.toStdString());
        form.reset();
        SetUp();
        dialogs = {};
        Type("DeviceNameEdit", "Edited");
        ClickUnit(1);  // switched away and back: still a change
        ClickUnit(0);
        for (Answer a : c.answers) {
            dialogs.answers.push_back(a);
        }
        if (!c.saveTo.isEmpty()) {
            dialogs.saveAnswers.push_back(TempPath(c.saveTo));
        }
        ClickButton(QStringLiteral("ExitButton"));
        EXPECT_EQ(dialogs.log.value(0), QStringLiteral("C:Data has changed\nSave now?"));
        EXPECT_EQ(form->isVisible(), !c.closes);
        EXPECT_EQ(dialogs.Errors(), c.errors);
        if (!c.closes) {
            EXPECT_EQ(Text("DeviceNameEdit"), QStringLiteral("Edited"));
            dialogs.log.clear();
            dialogs.answers.push_back(Answer::No);  // a later close asks again
            EXPECT_TRUE(form->close());
            EXPECT_EQ(dialogs.log, QStringList{QStringLiteral("C:Data has changed\nSave now?")});
        }
    }
    ConfigSet saved;
    ASSERT_EQ(LoadDataFile(TempPath(QStringLiteral("closing.dat")).toStdString(), saved),
              LoadOutcome::Ok);
    EXPECT_EQ(saved.Unit(0).DeviceName(), "Edited");
}

}  // namespace
}  // namespace valdro::ui::test

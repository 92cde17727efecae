// Save and Load from the window, the file choosers, and the close question.
#include <sys/resource.h>

#include <QComboBox>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QTabWidget>
#include <csignal>

#include "config/data_file.h"
#include "support/random_set.h"
#include "ui/unit_selector.h"
#include "window_fixture.h"

namespace valdro::ui::test {
namespace {

using Answer = DialogProvider::Answer;

// A save stores the page first and writes the chosen name with ".dat" added,
// offering it next time; a load brings every value back, the unit and page stay.
// The real chooser shows the captions as they are, and "All Files (*.*)" lists
// names without a dot too.
TEST_F(WindowTest, SaveThenLoadRoundTripsThroughTheChoosers) {
    ClickUnit(3);
    Type("DeviceNameEdit", "Boiler");
    dialogs.files = {Path("set")};
    Click("SaveButton");
    Click("SaveButton");  // cancelled
    EXPECT_EQ(dialogs.log, (QStringList{u"S:"_s, u"S:"_s + Path("set.dat")}));
    EXPECT_EQ(QFileInfo(Path("set.dat")).size(), 23508);
    EXPECT_FALSE(form->Store().HasChanged());
    const ConfigSet saved = C();
    Type("DeviceNameEdit", "Changed");
    ClickUnit(5);
    ShowPage(1);
    dialogs.files = {Path("set.dat")};
    Click("LoadButton");
    EXPECT_TRUE(C() == saved);
    EXPECT_FALSE(form->Store().HasChanged());
    EXPECT_EQ(form->unitSelector()->currentIndex() * 10 + form->pageControl()->currentIndex(), 51);

    ASSERT_TRUE(QFile(Path("notes")).open(QIODevice::WriteOnly));
    QFileDialog chooser;
    ConfigureChooser(chooser, dialogs.choosers[0]);
    chooser.setDirectory(tmp.path());
    const auto* types = chooser.findChild<QComboBox*>(u"fileTypeCombo"_s);
    const auto* files = chooser.findChild<QFileSystemModel*>();
    ASSERT_TRUE(types && files && types->count() == 2);
    EXPECT_EQ(types->itemText(0) + u'|' + types->itemText(1),
              u"Data Files (*.dat)|All Files (*.*)"_s);
    auto listed = [&] {
        QStringList names;
        for (int r = 0; r < files->rowCount(files->index(tmp.path())); ++r) {
            names << files->index(r, 0, files->index(tmp.path())).data().toString();
        }
        names.sort();
        return names.join(u' ');
    };
    EXPECT_TRUE(QTest::qWaitFor([&] { return listed() == u"set.dat"_s; }, 5000));
    chooser.selectNameFilter(chooser.nameFilters().at(1));
    EXPECT_TRUE(QTest::qWaitFor([&] { return listed() == u"notes set.dat"_s; }, 5000));
}

// A refused file changes neither the configuration nor what the pages show; a
// cancelled chooser does nothing and offers the last name again.
TEST_F(WindowTest, RefusedLoadsLeaveConfigurationAndPagesAsTheyWere) {
    std::vector<std::uint8_t> later = SerializeDataFile(valdro::testing::RandomSet(1));
    later[0] = 2;
    QFile f(Path("later.dat"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(reinterpret_cast<const char*>(later.data()), qint64(later.size()));
    f.close();
    Type("DeviceNameEdit", "Unstored");
    const ConfigSet before = C();
    dialogs.files = {Path("later.dat"), Path("missing.dat")};
    for (int i = 0; i < 3; ++i) {
        Click("LoadButton");
    }
    EXPECT_EQ(dialogs.log,
              (QStringList{u"O:"_s, u"E:The file uses a later data format.\r\nCannot load"_s,
                           u"O:"_s + Path("later.dat"), u"E:Error Opening File."_s,
                           u"O:"_s + Path("missing.dat")}));
    EXPECT_TRUE(C() == before);
    EXPECT_EQ(Text("DeviceNameEdit"), u"Unstored"_s);
}

// A save that fails part-way (the file size limit stands in for a full disk) says
// so, leaves the file already there as it was and keeps the change to be saved.
TEST_F(WindowTest, FailedSaveKeepsTheOldFileAndTheChange) {
    ASSERT_EQ(SaveDataFile(Path("old.dat").toStdString(), C()), SaveOutcome::Ok);
    QFile old(Path("old.dat"));
    ASSERT_TRUE(old.open(QIODevice::ReadOnly));
    const QByteArray bytes = old.readAll();
    Type("DeviceNameEdit", "Edited");
    rlimit was{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &was), 0);
    rlimit small{4096, was.rlim_max};
    const auto handler = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    dialogs.files = {Path("old.dat")};
    Click("SaveButton");
    setrlimit(RLIMIT_FSIZE, &was);
    std::signal(SIGXFSZ, handler);
    EXPECT_EQ(dialogs.Errors(), QStringList{u"Error Saving File."_s});
    old.seek(0);
    EXPECT_EQ(old.readAll(), bytes);
    EXPECT_EQ(QDir(tmp.path()).entryList(QDir::Files), QStringList{u"old.dat"_s});  // no leftovers
    EXPECT_EQ(C().Unit(0).DeviceName(), "Edited");
    EXPECT_TRUE(form->Store().HasChanged());
}

// Closing asks only after a change (an edit still only on screen counts); a
// cancelled or failed save keeps the window open, and a later close asks again.
TEST_F(WindowTest, CloseQuestionAnswers) {
    EXPECT_TRUE(form->close());
    EXPECT_TRUE(dialogs.log.isEmpty());
    const std::tuple<Answer, const char*, bool> cases[] = {// answer, save to, closes
                                                           {Answer::Cancel, nullptr, false},
                                                           {Answer::No, nullptr, true},
                                                           {Answer::Yes, "closing.dat", true},
                                                           {Answer::Yes, nullptr, false},
                                                           {Answer::Yes, "no/dir/x.dat", false}};
    for (const auto& [answer, saveTo, closes] : cases) {
        MakeForm({});
        dialogs = {};
        Type("DeviceNameEdit", "Edited");
        dialogs.answers = {answer, Answer::No};
        dialogs.files = {saveTo ? Path(saveTo) : QString()};
        Click("ExitButton");
        EXPECT_EQ(dialogs.log.value(0), u"C:Data has changed\nSave now?"_s);
        EXPECT_EQ(form->isVisible(), !closes) << saveTo;
        EXPECT_EQ(dialogs.Errors().size(), saveTo && !closes ? 1 : 0);
        if (!closes) {
            EXPECT_TRUE(form->close());  // a later close asks again
            EXPECT_EQ(dialogs.log.filter(u"C:"_s).size(), 2);
        }
    }
    ConfigSet saved;
    ASSERT_EQ(LoadDataFile(Path("closing.dat").toStdString(), saved), LoadOutcome::Ok);
    EXPECT_EQ(saved.Unit(0).DeviceName(), "Edited");
}

}  // namespace
}  // namespace valdro::ui::test

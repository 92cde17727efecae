// Save and Load from the window, the file choosers, and the close question.
#include <QApplication>
#include <QFileDialog>
#include <QTabWidget>
#include <QTimer>

#include "config/data_file.h"
#include "file_size_limit_posix.h"
#include "ui/unit_selector.h"
#include "window_fixture.h"

namespace valdro::ui::test {
namespace {

using Answer = DialogProvider::Answer;

// A save stores the page first and writes the chosen name with ".dat" added,
// offering it next time; a load brings every value back, the unit and page stay;
// a refused one changes nothing.
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
    Type("DeviceNameEdit", "Unstored");  // a refused file changes nothing, shown or stored
    dialogs.files = {Path("missing.dat")};
    Click("LoadButton");
    EXPECT_EQ(dialogs.log.mid(3),
              (QStringList{u"O:"_s + Path("set.dat"), u"E:Error Opening File."_s}));
    EXPECT_TRUE(C() == saved);
    EXPECT_EQ(Text("DeviceNameEdit"), u"Unstored"_s);

    // The real chooser shows the captions as they are (its filter details hidden);
    // "*.*" matches names without a dot too, as users of the format expect.
    QFileDialog chooser;
    ConfigureChooser(chooser, dialogs.choosers[0]);
    EXPECT_EQ(chooser.nameFilters().join(u'|'),
              u"Data Files (*.dat) (*.dat)|All Files (*.*) (*)"_s);
    // Cancelling the real chooser gives no name, even with the last name offered.
    QTimer closer;
    closer.callOnTimeout([] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            modal->close();
        }
    });
    closer.start(10);
    EXPECT_EQ(QtDialogProvider(form.get()).OpenFile(dialogs.choosers[1]), std::nullopt);
}

// A save that fails part-way (the file size limit stands in for a full disk) says
// so, leaves the file already there as it was and keeps the change to be saved.
TEST_F(WindowTest, FailedSaveKeepsTheOldFileAndTheChange) {
    ASSERT_EQ(SaveDataFile(Path("old.dat").toStdString(), C()), SaveOutcome::Ok);
    QFile old(Path("old.dat"));
    ASSERT_TRUE(old.open(QIODevice::ReadOnly));
    const QByteArray bytes = old.readAll();
    Type("DeviceNameEdit", "Edited");
    {
        const FileSizeLimit limit(4096);
        ASSERT_TRUE(limit.Ok());
        dialogs.files = {Path("old.dat")};
        Click("SaveButton");
    }
    EXPECT_EQ(dialogs.Errors(), QStringList{u"Error Saving File."_s});
    old.seek(0);
    EXPECT_EQ(old.readAll(), bytes);
    EXPECT_EQ(C().Unit(0).DeviceName(), "Edited");
    EXPECT_TRUE(form->Store().HasChanged());
}

// Closing asks only after a change (an edit still only on screen counts); a
// cancelled or failed save keeps the window open.
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
        dialogs.answers = {answer};
        dialogs.files = {saveTo ? Path(saveTo) : QString()};
        Click("ExitButton");
        EXPECT_EQ(dialogs.log.value(0), u"C:Data has changed\nSave now?"_s);
        EXPECT_EQ(form->isVisible(), !closes) << saveTo;
        EXPECT_EQ(dialogs.Errors().size(), saveTo && !closes ? 1 : 0);
    }
    ConfigSet saved;
    ASSERT_EQ(LoadDataFile(Path("closing.dat").toStdString(), saved), LoadOutcome::Ok);
    EXPECT_EQ(saved.Unit(0).DeviceName(), "Edited");
}

}  // namespace
}  // namespace valdro::ui::test

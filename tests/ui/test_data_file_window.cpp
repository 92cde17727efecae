// Save and Load from the window, and the close question.
#include <QFile>
#include <QFileInfo>
#include <QPushButton>
#include <QTabWidget>

#include "data_file.h"
#include "unit_selector.h"
#include "window_fixture.h"

namespace valdro::ui::test {
namespace {

using Answer = DialogProvider::Answer;

TEST_F(WindowTest, SaveThenLoadRoundTripsThroughTheWindow) {
    ClickUnit(3);
    Type(QStringLiteral("DeviceNameEdit"), QStringLiteral("Boiler"));
    Type(QStringLiteral("SubMaskAddr3Edit"), QStringLiteral("128"));
    const QString path = TempPath(QStringLiteral("set.dat"));
    dialogs.saveAnswers.push_back(path);
    ClickButton(QStringLiteral("SaveButton"));
    EXPECT_EQ(QFileInfo(path).size(), 23508);
    EXPECT_FALSE(form->Store().HasChanged());
    const ConfigSet saved = form->Config();

    // Change things, then load the file back: the same unit, page and values return.
    Type(QStringLiteral("DeviceNameEdit"), QStringLiteral("Changed"));
    ClickUnit(5);
    ShowPage(1);
    dialogs.openAnswers.push_back(path);
    ClickButton(QStringLiteral("LoadButton"));
    EXPECT_TRUE(dialogs.Errors().isEmpty());
    EXPECT_TRUE(form->Config() == saved);
    EXPECT_FALSE(form->Store().HasChanged());
    EXPECT_EQ(form->unitSelector()->currentIndex(), 5);
    EXPECT_EQ(form->pageControl()->currentIndex(), 1);
    ClickUnit(3);
    EXPECT_EQ(Edit(QStringLiteral("DeviceNameEdit"))->text(), QStringLiteral("Boiler"));
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
}

TEST_F(WindowTest, CancelledSaveStillStoresThePage) {
    Type(QStringLiteral("DeviceNameEdit"), QStringLiteral("Edited"));
    form->SaveButtonClick();
    EXPECT_EQ(form->Config().Unit(0).DeviceName(), "Edited");
    EXPECT_TRUE(form->Store().HasChanged());
    EXPECT_TRUE(dialogs.Errors().isEmpty());
}

TEST_F(WindowTest, FailedSaveSaysSoAndKeepsTheChange) {
    Type(QStringLiteral("DeviceNameEdit"), QStringLiteral("Edited"));
    dialogs.saveAnswers.push_back(TempPath(QStringLiteral("no/such/dir/set.dat")));
    form->SaveButtonClick();
    EXPECT_EQ(dialogs.Errors(), QStringList{QStringLiteral("Error Saving File.")});
    EXPECT_TRUE(form->Store().HasChanged());
}

void WriteBytes(const QString& path, const std::vector<std::uint8_t>& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
}

TEST_F(WindowTest, RefusedLoadsLeaveConfigurationAndPagesAsTheyWere) {
    ConfigSet other;
    other.SetDefaults();
    other.Unit(0).SetDeviceName("FromFile");
    std::vector<std::uint8_t> later = SerializeDataFile(other);
    later[0] = 2;  // a later format
    std::vector<std::uint8_t> foreign = SerializeDataFile(other);
    foreign[4] = 'o';  // signature differs in case
    std::vector<std::uint8_t> shortFile = SerializeDataFile(other);
    shortFile.resize(1000);
    WriteBytes(TempPath(QStringLiteral("later.dat")), later);
    WriteBytes(TempPath(QStringLiteral("foreign.dat")), foreign);
    WriteBytes(TempPath(QStringLiteral("short.dat")), shortFile);

    const struct {
        const char* file;
        const char* message;
    } cases[] = {
        {"later.dat", "The file uses a later data format.\r\nCannot load"},
        {"foreign.dat", "Incompatible data file."},
        {"missing.dat", "Error Opening File."},
    };
    Type(QStringLiteral("DeviceNameEdit"), QStringLiteral("Unstored"));
    const ConfigSet before = form->Config();
    for (const auto& c : cases) {
        dialogs.log.clear();
        dialogs.openAnswers.push_back(TempPath(QString::fromLatin1(c.file)));
        form->LoadButtonClick();
        EXPECT_EQ(dialogs.Errors(), QStringList{QString::fromLatin1(c.message)}) << c.file;
        EXPECT_TRUE(form->Config() == before) << c.file;
        EXPECT_EQ(Edit(QStringLiteral("DeviceNameEdit"))->text(), QStringLiteral("Unstored"));
    }
    // A short file is refused with one of the three messages and changes nothing.
    dialogs.log.clear();
    dialogs.openAnswers.push_back(TempPath(QStringLiteral("short.dat")));
    form->LoadButtonClick();
    EXPECT_EQ(dialogs.Errors().size(), 1);
    EXPECT_TRUE(form->Config() == before);
}

TEST_F(WindowTest, CancelledLoadDoesNothing) {
    Type(QStringLiteral("DeviceNameEdit"), QStringLiteral("Unstored"));
    form->LoadButtonClick();
    EXPECT_EQ(dialogs.log, QStringList{QStringLiteral("O:")});
    EXPECT_EQ(Edit(QStringLiteral("DeviceNameEdit"))->text(), QStringLiteral("Unstored"));
}

TEST_F(WindowTest, LoadFileFromTheCommandLinePathShowsTheFile) {
    ConfigSet other;
    other.SetDefaults();
    other.Unit(0).SetDeviceName("Cmdline");
    ASSERT_EQ(SaveDataFile(TempPath(QStringLiteral("c.dat")).toStdString(), other),
              SaveOutcome::Ok);
    EXPECT_TRUE(form->LoadFile(TempPath(QStringLiteral("c.dat"))));
    EXPECT_EQ(Edit(QStringLiteral("DeviceNameEdit"))->text(), QStringLiteral("Cmdline"));
    EXPECT_FALSE(form->Store().HasChanged());
}

// --- the close question

TEST_F(WindowTest, EditOnThePageIsEnoughForTheCloseQuestion) {
    Type(QStringLiteral("DeviceNameEdit"), QStringLiteral("Edited"));
    dialogs.answers.push_back(Answer::Cancel);
    EXPECT_FALSE(form->close());
    EXPECT_EQ(dialogs.log, QStringList{QStringLiteral("C:Data has changed\nSave now?")});
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(Edit(QStringLiteral("DeviceNameEdit"))->text(), QStringLiteral("Edited"));
    // A later close asks again; No closes without saving.
    dialogs.answers.push_back(Answer::No);
    EXPECT_TRUE(form->close());
    EXPECT_EQ(dialogs.log.size(), 2);
    EXPECT_FALSE(form->isVisible());
}

TEST_F(WindowTest, ExitButtonRunsTheCloseQuestionToo) {
    Type(QStringLiteral("DeviceNameEdit"), QStringLiteral("Edited"));
    ClickButton(QStringLiteral("ExitButton"));
    EXPECT_EQ(dialogs.log, QStringList{QStringLiteral("C:Data has changed\nSave now?")});
    EXPECT_TRUE(form->isVisible());
}

TEST_F(WindowTest, EditSwitchedAwayAndBackStillAsks) {
    Type(QStringLiteral("DeviceNameEdit"), QStringLiteral("Edited"));
    ClickUnit(1);
    ClickUnit(0);
    EXPECT_EQ(Edit(QStringLiteral("DeviceNameEdit"))->text(), QStringLiteral("Edited"));
    dialogs.answers.push_back(Answer::No);
    EXPECT_TRUE(form->close());
    EXPECT_EQ(dialogs.log.size(), 1);
}

TEST_F(WindowTest, YesSavesThenCloses) {
    Type(QStringLiteral("DeviceNameEdit"), QStringLiteral("Edited"));
    dialogs.answers.push_back(Answer::Yes);
    dialogs.saveAnswers.push_back(TempPath(QStringLiteral("closing.dat")));
    EXPECT_TRUE(form->close());
    ConfigSet loaded;
    ASSERT_EQ(LoadDataFile(TempPath(QStringLiteral("closing.dat")).toStdString(), loaded),
              LoadOutcome::Ok);
    EXPECT_EQ(loaded.Unit(0).DeviceName(), "Edited");
}

TEST_F(WindowTest, YesWithCancelledOrFailedSaveKeepsTheWindowOpen) {
    Type(QStringLiteral("DeviceNameEdit"), QStringLiteral("Edited"));
    dialogs.answers.push_back(Answer::Yes);  // and the save chooser is cancelled
    EXPECT_FALSE(form->close());
    EXPECT_TRUE(form->isVisible());
    dialogs.answers.push_back(Answer::Yes);
    dialogs.saveAnswers.push_back(TempPath(QStringLiteral("no/dir/x.dat")));
    EXPECT_FALSE(form->close());
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(dialogs.Errors(), QStringList{QStringLiteral("Error Saving File.")});
}

}  // namespace
}  // namespace valdro::ui::test

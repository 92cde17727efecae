// The Help button of the window: shown only when the help file beside the program
// is a real help file; it opens the viewer at the default topic, and closing the
// window closes the viewer with it.
#include <QApplication>
#include <QFile>
#include <QPushButton>

#include "ui/help/help_browser.h"
#include "ui/help/help_window.h"
#include "window_fixture.h"

namespace valdro::ui::test {
namespace {

QList<HelpWindow*> VisibleHelpWindows() {
    QList<HelpWindow*> found;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (auto* h = qobject_cast<HelpWindow*>(w); h && h->isVisible()) {
            found.append(h);
        }
    }
    return found;
}

TEST_F(WindowTest, HelpButtonOnlyForARealHelpFileAndItsViewerClosesWithTheWindow) {
    QFile notes(TempPath(QStringLiteral("notes.chm")));
    ASSERT_TRUE(notes.open(QIODevice::WriteOnly));
    notes.write("not a compiled help file\n");
    notes.close();
    const struct {
        QString path;
        bool shown;
    } cases[] = {
        {TempPath(QStringLiteral("missing/valdrometrica.chm")), false},
        {notes.fileName(), false},
        {tmp.path(), false},  // a folder
        {QStringLiteral(VALDRO_BIN_DIR "/valdrometrica.chm"), true},
    };
    for (const auto& c : cases) {
        form.reset();
        MainFormOptions options;
        options.dialogs = &dialogs;
        options.helpFilePath = c.path;
        form = std::make_unique<TMainForm>(*platform, options);
        form->show();
        auto* help = W<QPushButton>(QStringLiteral("HelpButton"));
        EXPECT_EQ(!help->isHidden(), c.shown) << c.path.toStdString();
    }

    ClickButton(QStringLiteral("HelpButton"));
    ASSERT_EQ(VisibleHelpWindows().size(), 1);
    HelpWindow* viewer = VisibleHelpWindows().front();
    EXPECT_EQ(HelpBrowser::ArchivePathOf(viewer->Browser()->source()),
              QStringLiteral("/index.html"));
    ClickButton(QStringLiteral("HelpButton"));  // raises the same viewer
    EXPECT_EQ(VisibleHelpWindows().size(), 1);

    EXPECT_TRUE(form->close());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(VisibleHelpWindows().isEmpty());
    EXPECT_TRUE(dialogs.log.isEmpty());
}

}  // namespace
}  // namespace valdro::ui::test

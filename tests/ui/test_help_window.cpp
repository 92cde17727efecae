// Help: the button shows only for a real help file beside the program and opens
// one viewer at the default topic, raised there again on the next click and
// closed with the window. The viewer follows links, contents, index and search
// within the help file only; CloseAll, its close key and Uninitialize end it.
#include <QApplication>
#include <QListWidget>
#include <QTreeWidget>

#include "ui/help/help_browser.h"
#include "ui/help/help_launcher.h"
#include "ui/help/help_window.h"
#include "window_fixture.h"

namespace valdro::ui::test {
namespace {

const QString kHelpFile = QStringLiteral(VALDRO_BIN_DIR "/valdrometrica.chm");

HelpWindow* OnlyViewer(int* count = nullptr) {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QList<HelpWindow*> found;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (auto* h = qobject_cast<HelpWindow*>(w); h && h->isVisible()) {
            found << h;
        }
    }
    if (count != nullptr) {
        *count = int(found.size());
    }
    return found.size() == 1 ? found[0] : nullptr;
}

QString Page(const HelpWindow* w) {
    const QUrl url = w->Browser()->source();
    return HelpBrowser::ArchivePathOf(url) +
           (url.hasFragment() ? u'#' + url.fragment() : QString());
}

TEST_F(WindowTest, HelpButtonOpensOneViewerThatClosesWithTheWindow) {
    QFile notes(Path("notes.chm"));
    ASSERT_TRUE(notes.open(QIODevice::WriteOnly) && notes.write("not compiled help\n") > 0);
    notes.close();
    for (const QString& path : {notes.fileName(), tmp.path(), Path("missing.chm")}) {
        MakeForm(path);
        EXPECT_TRUE(W("HelpButton")->isHidden()) << path.toStdString();
    }
    MakeForm(kHelpFile);
    Click("HelpButton");
    ASSERT_NE(OnlyViewer(), nullptr);
    OnlyViewer()->ShowPage(u"/messages.html"_s);
    Click("HelpButton");
    ASSERT_NE(OnlyViewer(), nullptr);
    EXPECT_EQ(Page(OnlyViewer()) + u'|' + OnlyViewer()->windowTitle(),
              u"/index.html|Valdrometrica Help"_s);
    EXPECT_TRUE(form->close());
    int open = -1;
    OnlyViewer(&open);
    EXPECT_EQ(open, 0);
    EXPECT_TRUE(dialogs.log.isEmpty());
}

TEST(HelpWindow, NavigatesInsideTheHelpFileAndCloses) {
    QWidget owner;
    auto launcher = CreateHelpLauncher(&owner);
    ASSERT_TRUE(launcher->Setup(kHelpFile));
    launcher->Display();
    HelpWindow* w = OnlyViewer();
    ASSERT_NE(w, nullptr);
    HelpBrowser* b = w->Browser();
    const std::pair<QString, QString> steps[] = {
        {u"messages.html#lost"_s, u"/messages.html#lost"_s},
        {u"ms-its:valdrometrica.chm::/status.html"_s, u"/status.html"_s},
        {u"file:///etc/hostname"_s, u"/status.html"_s},  // local files are not followed
        {u"../../etc/passwd"_s, u"/etc/passwd"_s}};      // not found: nothing outside the file
    for (const auto& [link, page] : steps) {
        emit b->anchorClicked(QUrl(link));
        EXPECT_EQ(Page(w), page) << link.toStdString();
    }
    EXPECT_TRUE(b->toPlainText().contains(u"Page not found"_s));
    b->backward();
    b->backward();
    EXPECT_TRUE(b->toPlainText().contains(u"Lost comms to ORVELIX"_s));
    auto* tree = w->findChild<QTreeWidget*>(u"HelpContentsTree"_s);
    emit tree->itemActivated(tree->findItems(u"The Status page"_s, Qt::MatchRecursive).value(0), 0);
    EXPECT_EQ(Page(w), u"/status.html"_s);
    auto* filter = w->findChild<QLineEdit*>(u"HelpIndexFilter"_s);
    filter->setText(u"cannot f"_s);
    emit filter->returnPressed();
    EXPECT_EQ(Page(w), u"/messages.html#not_found"_s);
    auto* search = w->findChild<QLineEdit*>(u"HelpSearchEdit"_s);
    auto* results = w->findChild<QListWidget*>(u"HelpSearchResults"_s);
    search->setText(u"udevadm"_s);
    emit search->returnPressed();
    emit results->itemActivated(results->item(0));
    EXPECT_EQ(Page(w), u"/installing.html"_s);

    launcher->CloseAll();
    EXPECT_EQ(OnlyViewer(), nullptr);
    launcher->Display();
    ASSERT_NE(w = OnlyViewer(), nullptr);
    w->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(w));
    QTest::keyClick(w, Qt::Key_Escape);
    EXPECT_EQ(OnlyViewer(), nullptr);
    launcher->Uninitialize();
    launcher->Display();  // released: no viewer any more
    EXPECT_EQ(OnlyViewer(), nullptr);
}

}  // namespace
}  // namespace valdro::ui::test

// Help: the button shows only for a real help file beside the program and opens
// one viewer at the default topic, raised there again on the next click. The
// viewer follows links and contents within the help file only; its close key and
// closing the window end it.
#include <QApplication>
#include <QTreeWidget>

#include "ui/help/help_browser.h"
#include "ui/help/help_window.h"
#include "window_fixture.h"

namespace valdro::ui::test {
namespace {

// The pages the open viewers show ("/page.html#part"), "" when none is open.
QString Viewer(HelpWindow** window = nullptr) {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QString pages;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (auto* h = qobject_cast<HelpWindow*>(w); h && h->isVisible()) {
            const QUrl url = h->Browser()->source();
            pages += HelpBrowser::ArchivePathOf(url) +
                     (url.hasFragment() ? u'#' + url.fragment() : QString());
            *(window != nullptr ? window : &h) = h;
        }
    }
    return pages;
}

TEST_F(WindowTest, HelpButtonOpensOneViewerInsideTheHelpFile) {
    QFile notes(Path("notes.chm"));  // not a compiled help file
    ASSERT_TRUE(notes.open(QIODevice::WriteOnly) && notes.write("notes\n") > 0);
    notes.close();
    MakeForm(notes.fileName());
    EXPECT_TRUE(W("HelpButton")->isHidden());
    MakeForm(QStringLiteral(VALDRO_BIN_DIR "/valdrometrica.chm"));
    Click("HelpButton");
    HelpWindow* w = nullptr;
    ASSERT_EQ(Viewer(&w), u"/index.html"_s);
    const std::pair<QString, QString> steps[] = {
        {u"messages.html#lost"_s, u"/messages.html#lost"_s},
        {u"file:///etc/hostname"_s, u"/messages.html#lost"_s},  // local files are not followed
        {u"../../etc/passwd"_s, u"/etc/passwd"_s}};  // not found: nothing outside the file
    for (const auto& [link, page] : steps) {
        emit w->Browser()->anchorClicked(QUrl(link));
        EXPECT_EQ(Viewer(), page) << link.toStdString();
    }
    EXPECT_TRUE(w->Browser()->toPlainText().contains(u"Page not found"_s));
    auto* tree = w->findChild<QTreeWidget*>(u"HelpContentsTree"_s);
    emit tree->itemActivated(tree->findItems(u"The Status page"_s, Qt::MatchRecursive).value(0), 0);
    EXPECT_EQ(Viewer(), u"/status.html"_s);
    Click("HelpButton");
    EXPECT_EQ(Viewer(), u"/index.html"_s);
    for (QAction* close : w->actions()) {  // the viewer's own close key
        if (close->shortcuts().contains(QKeySequence(Qt::Key_Escape))) {
            close->trigger();
        }
    }
    EXPECT_EQ(Viewer(), QString());
    Click("HelpButton");
    EXPECT_TRUE(form->close());
    EXPECT_EQ(Viewer() + dialogs.log.join(u' '), QString());
}

}  // namespace
}  // namespace valdro::ui::test

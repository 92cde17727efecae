#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

#include "help_test_paths.h"
#include "ui/help/help_browser.h"
#include "ui/help/help_launcher.h"
#include "ui/help/help_window.h"

namespace valdro {
namespace {

QString HelpFile() {
    return QString::fromStdString(test::BuiltHelpFile());
}

// Help windows are top-level widgets; the launcher owns at most one.
QList<HelpWindow*> HelpWindows() {
    QList<HelpWindow*> found;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (auto* h = qobject_cast<HelpWindow*>(w);
            h && h->objectName() == QStringLiteral("HelpWindow")) {
            found.append(h);
        }
    }
    return found;
}

void FlushDeletes() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
}

QString PagePath(const HelpWindow* w) {
    return HelpBrowser::ArchivePathOf(w->Browser()->source());
}

class HelpLauncherTest : public ::testing::Test {
  protected:
    void TearDown() override {
        launcher_.reset();
        FlushDeletes();
        EXPECT_TRUE(HelpWindows().isEmpty());
    }
    QWidget owner_;
    std::unique_ptr<HelpLauncher> launcher_ = CreateHelpLauncher(&owner_);
};

TEST_F(HelpLauncherTest, SetupRefusesWhatIsNotAHelpFile) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    EXPECT_FALSE(launcher_->Setup(dir.filePath(QStringLiteral("valdrometrica.chm"))));
    EXPECT_FALSE(launcher_->Setup(dir.path()));
    EXPECT_FALSE(launcher_->Setup(QString()));
    QFile text(dir.filePath(QStringLiteral("text.chm")));
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write("this is no compiled help file\n");
    text.close();
    EXPECT_FALSE(launcher_->Setup(text.fileName()));
    // With no help file, Display and CloseAll do nothing.
    launcher_->Display();
    launcher_->CloseAll();
    EXPECT_TRUE(HelpWindows().isEmpty());
}

// Display opens one window at the default topic and raises it again at that topic;
// CloseAll closes it, Uninitialize releases the viewer for good.
TEST_F(HelpLauncherTest, DisplayCloseAllAndUninitialize) {
    ASSERT_TRUE(launcher_->Setup(HelpFile())) << HelpFile().toStdString();
    EXPECT_TRUE(HelpWindows().isEmpty());  // nothing shown before the first click
    launcher_->Display();
    ASSERT_EQ(HelpWindows().size(), 1);
    HelpWindow* w = HelpWindows().front();
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Valdrometrica Help"));
    EXPECT_EQ(PagePath(w), QStringLiteral("/index.html"));
    EXPECT_TRUE(w->Browser()->toPlainText().contains(QStringLiteral("Welcome to Valdrometrica")));
    auto* tree = w->findChild<QTreeWidget*>(QStringLiteral("HelpContentsTree"));
    ASSERT_NE(tree, nullptr);
    ASSERT_GE(tree->topLevelItemCount(), 8);

    w->ShowPage(QStringLiteral("/messages.html"));
    launcher_->Display();
    ASSERT_EQ(HelpWindows().size(), 1);
    EXPECT_EQ(HelpWindows().front(), w);
    EXPECT_EQ(PagePath(w), QStringLiteral("/index.html"));
    EXPECT_TRUE(w->Browser()->isBackwardAvailable());

    launcher_->CloseAll();
    FlushDeletes();
    EXPECT_TRUE(HelpWindows().isEmpty());
    launcher_->CloseAll();  // nothing open: harmless
    launcher_->Display();   // the user closing it is the same: Display opens it again
    ASSERT_EQ(HelpWindows().size(), 1);
    HelpWindows().front()->close();
    FlushDeletes();
    launcher_->Display();
    EXPECT_EQ(HelpWindows().size(), 1);

    launcher_->Uninitialize();
    FlushDeletes();
    EXPECT_TRUE(HelpWindows().isEmpty());
    launcher_->Display();  // released: no viewer any more
    EXPECT_TRUE(HelpWindows().isEmpty());
}

class HelpWindowTest : public HelpLauncherTest {
  protected:
    void SetUp() override {
        ASSERT_TRUE(launcher_->Setup(HelpFile()));
        launcher_->Display();
        window_ = HelpWindows().value(0);
        ASSERT_NE(window_, nullptr);
        browser_ = window_->Browser();
    }
    HelpWindow* window_ = nullptr;
    HelpBrowser* browser_ = nullptr;
};

TEST_F(HelpWindowTest, ABrokenLinkShowsPageNotFoundAndBackStillWorks) {
    browser_->setSource(HelpBrowser::UrlForPath(QStringLiteral("/no-such-page.html")));
    EXPECT_TRUE(browser_->toPlainText().contains(QStringLiteral("Page not found")));
    EXPECT_TRUE(browser_->toPlainText().contains(QStringLiteral("/no-such-page.html")));
    browser_->backward();
    EXPECT_EQ(PagePath(window_), QStringLiteral("/index.html"));
    // A link that climbs out of the archive is not found either.
    emit browser_->anchorClicked(QUrl(QStringLiteral("../../etc/passwd")));
    EXPECT_TRUE(browser_->toPlainText().contains(QStringLiteral("Page not found")));
}

TEST_F(HelpWindowTest, RelativeLinksImagesAndStyleSheetsComeFromTheHelpFile) {
    emit browser_->anchorClicked(QUrl(QStringLiteral("messages.html#lost")));
    EXPECT_EQ(PagePath(window_), QStringLiteral("/messages.html"));
    EXPECT_EQ(browser_->source().fragment(), QStringLiteral("lost"));
    EXPECT_TRUE(browser_->toPlainText().contains(QStringLiteral("Lost comms to ORVELIX")));
    const QVariant css = browser_->loadResource(QTextDocument::StyleSheetResource,
                                                QUrl(QStringLiteral("style.css")));
    EXPECT_TRUE(css.toByteArray().contains("font-family"));
    EXPECT_FALSE(
        browser_
            ->loadResource(QTextDocument::ImageResource, QUrl(QStringLiteral("images/none.png")))
            .isValid());
    // Links in the form other help files use for their own pages.
    emit browser_->anchorClicked(QUrl(QStringLiteral("ms-its:valdrometrica.chm::/status.html")));
    EXPECT_EQ(PagePath(window_), QStringLiteral("/status.html"));
    // Links to local files are not followed.
    emit browser_->anchorClicked(QUrl(QStringLiteral("file:///etc/hostname")));
    EXPECT_EQ(PagePath(window_), QStringLiteral("/status.html"));
}

TEST_F(HelpWindowTest, ContentsIndexAndSearchOpenTheirPages) {
    auto* tree = window_->findChild<QTreeWidget*>(QStringLiteral("HelpContentsTree"));
    ASSERT_NE(tree, nullptr);
    const auto found =
        tree->findItems(QStringLiteral("The Status page"), Qt::MatchExactly | Qt::MatchRecursive);
    ASSERT_EQ(found.size(), 1);
    emit tree->itemActivated(found.front(), 0);
    EXPECT_EQ(PagePath(window_), QStringLiteral("/status.html"));

    auto* filter = window_->findChild<QLineEdit*>(QStringLiteral("HelpIndexFilter"));
    auto* index = window_->findChild<QListWidget*>(QStringLiteral("HelpIndexList"));
    ASSERT_NE(filter, nullptr);
    ASSERT_NE(index, nullptr);
    filter->setText(QStringLiteral("cannot f"));
    ASSERT_NE(index->currentItem(), nullptr);
    EXPECT_EQ(index->currentItem()->text(), QStringLiteral("Cannot find ORVELIX"));
    emit filter->returnPressed();
    EXPECT_EQ(PagePath(window_), QStringLiteral("/messages.html"));
    EXPECT_EQ(browser_->source().fragment(), QStringLiteral("not_found"));

    auto* search = window_->findChild<QLineEdit*>(QStringLiteral("HelpSearchEdit"));
    auto* results = window_->findChild<QListWidget*>(QStringLiteral("HelpSearchResults"));
    ASSERT_NE(search, nullptr);
    ASSERT_NE(results, nullptr);
    search->setText(QStringLiteral("udevadm"));
    emit search->returnPressed();
    ASSERT_EQ(results->count(), 1);
    EXPECT_EQ(results->item(0)->text(), QStringLiteral("Installing"));
    emit results->itemActivated(results->item(0));
    EXPECT_EQ(PagePath(window_), QStringLiteral("/installing.html"));

    search->setText(QStringLiteral("zyxwvut"));
    emit search->returnPressed();
    ASSERT_EQ(results->count(), 1);
    EXPECT_FALSE(results->item(0)->flags() & Qt::ItemIsEnabled);  // the "nothing found" line
}

}  // namespace
}  // namespace valdro

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    const QString runtime = QDir::tempPath() + QStringLiteral("/valdro-help-test-runtime");
    QDir().mkpath(runtime);
    QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime));
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

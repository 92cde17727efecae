#include "ui/help/help_window.h"

#include <QAction>
#include <QApplication>
#include <QKeySequence>
#include <QLineEdit>
#include <QListWidget>
#include <QScreen>
#include <QSplitter>
#include <QStyle>
#include <QTabWidget>
#include <QTextDocument>
#include <QToolBar>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <QVBoxLayout>
#include <algorithm>

#include "ui/help/chm_archive.h"
#include "ui/help/help_browser.h"
#include "ui/help/sitemap.h"

namespace valdro {

namespace {

constexpr int kPathRole = Qt::UserRole;

QString FromArchiveText(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// Sitemap entries name pages relative to the archive root.
QString PagePath(const std::string& local) {
    QString path = FromArchiveText(local);
    if (path.contains(QStringLiteral("::")))
        path = path.mid(path.indexOf(QStringLiteral("::")) + 2);
    const int hash = path.indexOf(QLatin1Char('#'));
    const QString fragment = hash < 0 ? QString() : path.mid(hash);
    const std::string normal = NormaliseChmPath((hash < 0 ? path : path.left(hash)).toStdString());
    if (normal.empty())
        return {};
    return FromArchiveText(normal) + fragment;
}

QString WithoutFragment(const QString& path) {
    const int hash = path.indexOf(QLatin1Char('#'));
    return hash < 0 ? path : path.left(hash);
}

}  // namespace

HelpWindow::HelpWindow(std::shared_ptr<const ChmArchive> archive, QWidget* parent)
    : QMainWindow(parent, Qt::Window), archive_(std::move(archive)) {
    setObjectName(QStringLiteral("HelpWindow"));
    const std::string& title = archive_->System().title;
    setWindowTitle(title.empty() ? tr("Help") : FromArchiveText(title));

    browser_ = new HelpBrowser(archive_, this);

    navigation_ = new QTabWidget(this);
    navigation_->setObjectName(QStringLiteral("HelpNavigation"));

    contents_ = new QTreeWidget(navigation_);
    contents_->setObjectName(QStringLiteral("HelpContentsTree"));
    contents_->setHeaderHidden(true);
    navigation_->addTab(contents_, tr("&Contents"));

    auto* indexPage = new QWidget(navigation_);
    auto* indexLayout = new QVBoxLayout(indexPage);
    indexFilter_ = new QLineEdit(indexPage);
    indexFilter_->setObjectName(QStringLiteral("HelpIndexFilter"));
    indexFilter_->setPlaceholderText(tr("Type a keyword"));
    indexFilter_->setClearButtonEnabled(true);
    index_ = new QListWidget(indexPage);
    index_->setObjectName(QStringLiteral("HelpIndexList"));
    indexLayout->addWidget(indexFilter_);
    indexLayout->addWidget(index_);
    navigation_->addTab(indexPage, tr("I&ndex"));

    auto* searchPage = new QWidget(navigation_);
    auto* searchLayout = new QVBoxLayout(searchPage);
    searchEdit_ = new QLineEdit(searchPage);
    searchEdit_->setObjectName(QStringLiteral("HelpSearchEdit"));
    searchEdit_->setPlaceholderText(tr("Words to find, then Enter"));
    searchEdit_->setClearButtonEnabled(true);
    searchResults_ = new QListWidget(searchPage);
    searchResults_->setObjectName(QStringLiteral("HelpSearchResults"));
    searchLayout->addWidget(searchEdit_);
    searchLayout->addWidget(searchResults_);
    navigation_->addTab(searchPage, tr("&Search"));

    auto* splitter = new QSplitter(this);
    splitter->addWidget(navigation_);
    splitter->addWidget(browser_);
    splitter->setStretchFactor(1, 1);
    setCentralWidget(splitter);

    auto* toolbar = addToolBar(tr("Navigation"));
    toolbar->setObjectName(QStringLiteral("HelpToolBar"));
    toolbar->setMovable(false);
    toolbar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    QAction* back = toolbar->addAction(style()->standardIcon(QStyle::SP_ArrowBack), tr("Back"));
    back->setObjectName(QStringLiteral("HelpBackAction"));
    back->setShortcut(QKeySequence::Back);
    back->setEnabled(false);
    QAction* forward =
        toolbar->addAction(style()->standardIcon(QStyle::SP_ArrowForward), tr("Forward"));
    forward->setObjectName(QStringLiteral("HelpForwardAction"));
    forward->setShortcut(QKeySequence::Forward);
    forward->setEnabled(false);
    QAction* home = toolbar->addAction(style()->standardIcon(QStyle::SP_DirHomeIcon), tr("Home"));
    home->setObjectName(QStringLiteral("HelpHomeAction"));
    home->setShortcut(QKeySequence(Qt::ALT | Qt::Key_Home));
    auto* closeAction = new QAction(tr("Close"), this);
    closeAction->setShortcuts({QKeySequence::Close, QKeySequence(Qt::Key_Escape)});
    addAction(closeAction);

    connect(back, &QAction::triggered, browser_, &QTextBrowser::backward);
    connect(forward, &QAction::triggered, browser_, &QTextBrowser::forward);
    connect(home, &QAction::triggered, this, &HelpWindow::ShowDefaultTopic);
    connect(closeAction, &QAction::triggered, this, &QWidget::close);
    connect(browser_, &QTextBrowser::backwardAvailable, back, &QAction::setEnabled);
    connect(browser_, &QTextBrowser::forwardAvailable, forward, &QAction::setEnabled);
    connect(browser_, &QTextBrowser::sourceChanged, this, &HelpWindow::SyncContents);
    connect(contents_, &QTreeWidget::itemActivated, this, &HelpWindow::OpenTreeItem);
    connect(contents_, &QTreeWidget::itemClicked, this, &HelpWindow::OpenTreeItem);
    connect(index_, &QListWidget::itemActivated, this, &HelpWindow::OpenIndexItem);
    connect(index_, &QListWidget::itemClicked, this, &HelpWindow::OpenIndexItem);
    connect(indexFilter_, &QLineEdit::textChanged, this, &HelpWindow::FilterIndex);
    connect(indexFilter_, &QLineEdit::returnPressed, this,
            [this] { OpenIndexItem(index_->currentItem()); });
    connect(searchEdit_, &QLineEdit::returnPressed, this, &HelpWindow::RunSearch);
    connect(searchResults_, &QListWidget::itemActivated, this, &HelpWindow::OpenIndexItem);
    connect(searchResults_, &QListWidget::itemClicked, this, &HelpWindow::OpenIndexItem);

    BuildContents();
    BuildIndex();

    // A comfortable reading size that still fits small screens.
    QSize size(960, 680);
    if (const QScreen* screen = QApplication::primaryScreen()) {
        size = size.boundedTo(screen->availableSize() * 9 / 10);
    }
    resize(size);
    splitter->setSizes({size.width() / 4, size.width() * 3 / 4});
}

HelpWindow::~HelpWindow() = default;

void HelpWindow::ShowPage(const QString& archivePath) {
    browser_->setSource(HelpBrowser::UrlForPath(archivePath));
}

void HelpWindow::ShowDefaultTopic() {
    ShowPage(QString::fromStdString(archive_->DefaultTopic()));
}

void HelpWindow::BuildContents() {
    contents_->clear();
    const std::string& file = archive_->System().contentsFile;
    if (file.empty())
        return;
    if (const auto hhc = archive_->Read(file)) {
        AddContents(nullptr, ParseSitemap(*hhc));
        contents_->expandToDepth(0);
    }
}

void HelpWindow::AddContents(QTreeWidgetItem* parent, const std::vector<SitemapEntry>& entries) {
    for (const auto& entry : entries) {
        auto* item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(contents_);
        item->setText(0, FromArchiveText(entry.name));
        if (!entry.local.empty())
            item->setData(0, kPathRole, PagePath(entry.local));
        AddContents(item, entry.children);
    }
}

void HelpWindow::BuildIndex() {
    index_->clear();
    const std::string& file = archive_->System().indexFile;
    if (file.empty())
        return;
    const auto hhk = archive_->Read(file);
    if (!hhk)
        return;
    // Sub-keywords are listed under their keyword, indented.
    std::vector<std::pair<const SitemapEntry*, int>> pending;
    const auto entries = ParseSitemap(*hhk);
    for (auto it = entries.rbegin(); it != entries.rend(); ++it)
        pending.emplace_back(&*it, 0);
    while (!pending.empty()) {
        const auto [entry, depth] = pending.back();
        pending.pop_back();
        auto* item = new QListWidgetItem(
            QString(depth * 4, QLatin1Char(' ')) + FromArchiveText(entry->name), index_);
        if (!entry->local.empty())
            item->setData(kPathRole, PagePath(entry->local));
        for (auto it = entry->children.rbegin(); it != entry->children.rend(); ++it) {
            pending.emplace_back(&*it, depth + 1);
        }
    }
}

void HelpWindow::OpenTreeItem(QTreeWidgetItem* item) {
    if (item == nullptr)
        return;
    const QString path = item->data(0, kPathRole).toString();
    if (!path.isEmpty())
        ShowPage(path);
}

void HelpWindow::OpenIndexItem(QListWidgetItem* item) {
    if (item == nullptr)
        return;
    const QString path = item->data(kPathRole).toString();
    if (!path.isEmpty())
        ShowPage(path);
}

void HelpWindow::FilterIndex(const QString& text) {
    const QString wanted = text.trimmed();
    QListWidgetItem* first = nullptr;
    for (int i = 0; i < index_->count(); ++i) {
        QListWidgetItem* item = index_->item(i);
        const bool match = item->text().trimmed().startsWith(wanted, Qt::CaseInsensitive);
        if (match && first == nullptr)
            first = item;
    }
    if (first != nullptr) {
        index_->setCurrentItem(first);
        index_->scrollToItem(first, QAbstractItemView::PositionAtTop);
    }
}

void HelpWindow::RunSearch() {
    searchResults_->clear();
    const QStringList words =
        searchEdit_->text().toLower().split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (words.isEmpty())
        return;
    if (pageTexts_.empty()) {
        for (const auto& file : archive_->ListFiles()) {
            const QString path = FromArchiveText(file);
            if (!path.endsWith(QStringLiteral(".html"), Qt::CaseInsensitive) &&
                !path.endsWith(QStringLiteral(".htm"), Qt::CaseInsensitive)) {
                continue;
            }
            const auto html = archive_->Read(file);
            if (!html)
                continue;
            QTextDocument doc;
            doc.setHtml(FromArchiveText(*html));
            QString title = doc.metaInformation(QTextDocument::DocumentTitle);
            if (title.isEmpty())
                title = path;
            pageTexts_.push_back({path, title, doc.toPlainText().toLower()});
        }
    }
    for (const auto& page : pageTexts_) {
        const bool all = std::all_of(words.begin(), words.end(),
                                     [&](const QString& w) { return page.text.contains(w); });
        if (!all)
            continue;
        auto* item = new QListWidgetItem(page.title, searchResults_);
        item->setData(kPathRole, page.path);
    }
    if (searchResults_->count() == 0) {
        auto* none = new QListWidgetItem(tr("No page contains these words."), searchResults_);
        none->setFlags(Qt::NoItemFlags);
    }
}

void HelpWindow::SyncContents(const QUrl& url) {
    const QString page = WithoutFragment(HelpBrowser::ArchivePathOf(url));
    for (QTreeWidgetItemIterator it(contents_); *it; ++it) {
        if (WithoutFragment((*it)->data(0, kPathRole).toString()) == page) {
            const QSignalBlocker block(contents_);
            contents_->setCurrentItem(*it);
            return;
        }
    }
}

}  // namespace valdro

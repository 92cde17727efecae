#pragma once
// The help window: contents, index and search on the left, the page on the
// right, with back, forward and home. Everything it shows comes from one
// compiled help file.

#include <QMainWindow>
#include <QString>
#include <memory>
#include <vector>

class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QTabWidget;
class QTreeWidget;
class QTreeWidgetItem;
class QUrl;

namespace valdro {

class ChmArchive;
class HelpBrowser;
struct SitemapEntry;

class HelpWindow : public QMainWindow {
    Q_OBJECT
  public:
    explicit HelpWindow(std::shared_ptr<const ChmArchive> archive, QWidget* parent = nullptr);
    ~HelpWindow() override;

    void ShowPage(const QString& archivePath);  // "/page.html" or "/page.html#part"
    void ShowDefaultTopic();
    HelpBrowser* Browser() const { return browser_; }

  private:
    void BuildContents();
    void BuildIndex();
    void AddContents(QTreeWidgetItem* parent, const std::vector<SitemapEntry>& entries);
    void OpenTreeItem(QTreeWidgetItem* item);
    void OpenIndexItem(QListWidgetItem* item);
    void FilterIndex(const QString& text);
    void RunSearch();
    void SyncContents(const QUrl& url);

    std::shared_ptr<const ChmArchive> archive_;
    HelpBrowser* browser_;
    QTabWidget* navigation_;
    QTreeWidget* contents_;
    QLineEdit* indexFilter_;
    QListWidget* index_;
    QLineEdit* searchEdit_;
    QListWidget* searchResults_;
    struct PageText {
        QString path;
        QString title;
        QString text;  // lower case, for matching
    };
    std::vector<PageText> pageTexts_;  // filled on the first search
};

}  // namespace valdro

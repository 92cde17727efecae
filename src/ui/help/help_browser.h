#pragma once
// The page view of the help window: a text browser whose pages, style sheets and
// images come out of the compiled help file instead of the file system.

#include <QTextBrowser>
#include <QUrl>
#include <memory>

namespace valdro {

class ChmArchive;

class HelpBrowser : public QTextBrowser {
    Q_OBJECT
  public:
    // Pages are addressed as "chm:/dir/page.html".
    static constexpr const char* kScheme = "chm";

    HelpBrowser(std::shared_ptr<const ChmArchive> archive, QWidget* parent = nullptr);

    static QUrl UrlForPath(const QString& archivePath);
    // The archive path a link points at, without its fragment; understands the
    // "ms-its:file.chm::/page.html" form other help files use for their own pages.
    static QString ArchivePathOf(const QUrl& url);

    QVariant loadResource(int type, const QUrl& name) override;

  private:
    void FollowLink(const QUrl& url);

    std::shared_ptr<const ChmArchive> archive_;
};

// The text shown in place of a page the help file does not contain.
QString PageNotFoundHtml(const QString& archivePath);

}  // namespace valdro

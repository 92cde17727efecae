#include "ui/help/help_browser.h"

#include <QDesktopServices>
#include <QTextDocument>

#include "ui/help/chm_archive.h"

namespace valdro {

HelpBrowser::HelpBrowser(std::shared_ptr<const ChmArchive> archive, QWidget* parent)
    : QTextBrowser(parent), archive_(std::move(archive)) {
    setObjectName(QStringLiteral("HelpBrowser"));
    // Links are followed here so that web links go to the desktop's browser and
    // never replace the page with something this view cannot show.
    setOpenLinks(false);
    connect(this, &QTextBrowser::anchorClicked, this, &HelpBrowser::FollowLink);
}

QUrl HelpBrowser::UrlForPath(const QString& archivePath) {
    QUrl url;
    url.setScheme(QString::fromLatin1(kScheme));
    const int hash = archivePath.indexOf(QLatin1Char('#'));
    url.setPath(hash < 0 ? archivePath : archivePath.left(hash));
    if (hash >= 0)
        url.setFragment(archivePath.mid(hash + 1));
    return url;
}

QString HelpBrowser::ArchivePathOf(const QUrl& url) {
    QString path = url.path();
    const int sep = path.indexOf(QStringLiteral("::"));
    if (sep >= 0)
        path = path.mid(sep + 2);
    if (!path.startsWith(QLatin1Char('/')))
        path.prepend(QLatin1Char('/'));
    return path;
}

QString PageNotFoundHtml(const QString& archivePath) {
    return QStringLiteral(
               "<html><body><h2>Page not found</h2>"
               "<p>The page <b>%1</b> is not part of this help file.</p>"
               "<p>Use <b>Back</b> or the contents on the left to go on reading.</p>"
               "</body></html>")
        .arg(archivePath.toHtmlEscaped());
}

QVariant HelpBrowser::loadResource(int type, const QUrl& name) {
    const QUrl url = name.isRelative() ? source().resolved(name) : name;
    const QString path = ArchivePathOf(url);
    const auto data = archive_->Read(path.toStdString());
    if (type == QTextDocument::HtmlResource || type == QTextDocument::MarkdownResource) {
        if (!data)
            return PageNotFoundHtml(path);
        return QByteArray(data->data(), static_cast<qsizetype>(data->size()));
    }
    if (!data)
        return {};
    return QByteArray(data->data(), static_cast<qsizetype>(data->size()));
}

void HelpBrowser::FollowLink(const QUrl& url) {
    const QString scheme = url.scheme().toLower();
    if (scheme == QLatin1String(kScheme) || scheme.isEmpty()) {
        setSource(url.isRelative() ? source().resolved(url) : url);
        return;
    }
    if (scheme == QLatin1String("ms-its") || scheme == QLatin1String("mk")) {
        QUrl inside = UrlForPath(ArchivePathOf(url));
        inside.setFragment(url.fragment());
        setSource(inside);
        return;
    }
    if (scheme == QLatin1String("http") || scheme == QLatin1String("https") ||
        scheme == QLatin1String("mailto")) {
        QDesktopServices::openUrl(url);
    }
    // Anything else (local files, programs) is not opened from a help page.
}

}  // namespace valdro

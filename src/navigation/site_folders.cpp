#include "navigation/site_folders.h"

#include "platform/paths.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace findolin {
namespace {

// The folder that holds the users' home folders. The superuser's home lies directly below the
// root, which holds no home folders, so the shorthand then means the usual place of them.
QString profilePrefixFor(const QString& home) {
    const auto parent = parentFolder(home);
    if (!parent || QDir(*parent).isRoot())
        return QStringLiteral("/home/");
    return joinPath(*parent, u"");
}

QString existingFolderOr(const QString& folder, const QString& fallback) {
    return QFileInfo(folder).isDir() ? folder : fallback;
}

} // namespace

SiteFolders siteFoldersForHome() {
    const QString home = QDir::homePath();
    const auto inHome = [&](QStringView name) { return joinPath(home, name); };
    SiteFolders sites;
    sites.home = home;
    sites.company = inHome(u"rech-FA");
    sites.invoices = inHome(u"rech");
    sites.faxes = inHome(u"Faxe");
    sites.invoices23 = inHome(u"rech-23");
    sites.software = inHome(u"Software+Treiber");
    sites.networkInvoices = QStringLiteral("/mnt/server/d/rech");
    sites.networkInvoicesShared = QStringLiteral("/mnt/server/c/rech");
    sites.profilePrefix = profilePrefixFor(home);
    // A fresh account may have no such folders yet; its home is the nearest thing to them.
    sites.desktop =
        existingFolderOr(QStandardPaths::writableLocation(QStandardPaths::DesktopLocation), home);
    sites.documents =
        existingFolderOr(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation), home);
    return sites;
}

QString expandProfileShorthand(const QString& folderText, const SiteFolders& sites) {
    if (!folderText.startsWith(u'~'))
        return folderText;
    const QStringView rest = QStringView(folderText).mid(1);
    if (rest.startsWith(u'/'))
        return sites.home + rest.toString();
    return sites.profilePrefix + rest.toString();
}

} // namespace findolin

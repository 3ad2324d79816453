#include "platform/file_manager.h"

#include "fileops/line_actions.h"
#include "platform/paths.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>

namespace findolin {

void showInFileManager(const QString& path,
                       const std::function<void(const QString& folder)>& openFolder,
                       QObject* context) {
    const QString folder = parentFolder(path).value_or(path);
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        openFolder(folder);
        return;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.FileManager1"),
        QStringLiteral("/org/freedesktop/FileManager1"),
        QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("ShowItems"));
    call << QStringList{QString::fromLatin1(fileUri(path))} << QString();
    // A file manager the bus has to start first may take a few seconds to answer.
    constexpr int kTimeoutMs = 10000;
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call, kTimeoutMs), context);
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, context,
                     [watcher, folder, openFolder] {
                         if (watcher->isError())
                             openFolder(folder);
                         watcher->deleteLater();
                     });
}

} // namespace findolin

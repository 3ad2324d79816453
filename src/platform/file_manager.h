#pragma once

#include <QString>
#include <functional>

class QObject;

namespace findolin {

// Shows the file in the desktop's file manager, selected, through the freedesktop.org
// FileManager1 service on the session bus. Where no file manager answers there (no session bus,
// no such service, an error), `openFolder` opens the file's folder instead. Returns at once; the
// answer arrives while `context` lives.
void showInFileManager(const QString& path,
                       const std::function<void(const QString& folder)>& openFolder,
                       QObject* context);

} // namespace findolin

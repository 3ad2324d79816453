#include "platform/process_group.h"

#include <QProcess>
#include <csignal>
#include <unistd.h>

namespace findolin {

void runInOwnGroup(QProcess& process) {
    process.setChildProcessModifier([] { ::setpgid(0, 0); });
}

void killGroup(QProcess& process) {
    killGroup(process.processId());
    process.kill();
}

void killGroup(qint64 group) {
    if (group > 0)
        ::kill(-static_cast<pid_t>(group), SIGKILL);
}

} // namespace findolin

#include "platform/process_group.h"

#include <QProcess>
#include <csignal>
#include <unistd.h>

namespace findolin {

void runInOwnGroup(QProcess& process) {
    process.setChildProcessModifier([] { ::setpgid(0, 0); });
}

void killGroup(QProcess& process) {
    if (const qint64 pid = process.processId(); pid > 0)
        ::kill(-static_cast<pid_t>(pid), SIGKILL);
    process.kill();
}

} // namespace findolin

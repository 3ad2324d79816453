#pragma once

#include <QtGlobal>

class QProcess;

namespace findolin {

// A program such as the office suite's `soffice`, a script that starts further programs, is
// started in a process group of its own, so that stopping it reaches all of them and none is left
// behind holding its profile.
void runInOwnGroup(QProcess& process);
void killGroup(QProcess& process);
// The group of a process started by runInOwnGroup, by the id the process had: what it started may
// outlive it.
void killGroup(qint64 group);

} // namespace findolin

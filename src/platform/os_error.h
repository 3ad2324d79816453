#pragma once

#include "platform/result.h"

namespace findolin {

// What a failed system call's errno means to the program.
OsError osErrorFromErrno(int error);

} // namespace findolin

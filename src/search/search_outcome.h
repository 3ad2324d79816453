#pragma once

namespace findolin {

// How a search ended: done, stopped by the user, or overtaken by a newer request, which then owns
// the window: the older search writes nothing more.
enum class SearchOutcome { Finished, Stopped, Overtaken };

} // namespace findolin

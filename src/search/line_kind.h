#pragma once

namespace findolin {

// What a line of a result list stands for. The program knows it because it wrote the line, so a
// file whose name looks like a header (">>>") or a folder entry (" [...]") is still a file.
enum class LineKind : unsigned char {
    File,        // a file: its name
    Header,      // ">>>[folder]" above the hits of a folder
    FolderEntry, // " [folder]": a sub-folder to step into
};

} // namespace findolin

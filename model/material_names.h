// The names that material statements carry: trimmed names, several libraries on one "mtllib"
// line, and texture maps written with options and Windows-style paths. Private to model/.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// Without leading and trailing blanks and tabs.
std::string_view TrimBlanks(std::string_view text);

// The libraries an "mtllib" line names (rest: the text after the keyword): the whole trimmed
// text when folder + text is a file, since file names may hold blanks; otherwise each
// blank-separated word. An empty rest gives one empty name, which fails to open as before.
std::vector<std::string> LibraryNames(std::string_view rest, const std::string& folder);

// The image file a texture map line names (rest: the text after "map_Kd "): the whole trimmed
// text when folder + text is a file; otherwise the text after the map options (-s 1 1 1,
// -clamp on, -bm 0.5, ...), with '\' taken as a folder separator.
std::string MapFileName(std::string_view rest, const std::string& folder);

// Finds the files a model names (material libraries, texture maps) the way users' files
// need it: names written on Windows ("textures\wood.jpg"), in another letter case than the
// file on disk, with blanks, or with a path from the machine that wrote them.
//
// Only POSIX stat/opendir/readdir: the same code serves MinGW, where the file system
// ignores letter case already. Paths are byte strings, passed on as they are.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tessoid::obj {

// A name as a statement gives it: trimmed of blanks and tabs, and cut at a "#" that starts
// it or follows a blank or tab (a comment), so that "tex#2.png" keeps its "#".
std::string_view nameWithoutComment(std::string_view text);

// The folder part of a file path, without the last separator ("/" or "\"): "a/b/c.obj"
// gives "a/b", "/c.obj" gives "/", "c.obj" gives "" (the current folder).
std::string folderOf(const std::string& path);

// The path of an existing regular file that `nameAsWritten` names, or "" when there is none.
// The name is relative to `folder` ("" for the current folder) unless it is absolute ("/..."
// anywhere, "C:\..." on Windows only); "\" separates like "/", and empty and "." components
// are dropped. Where a component does not exist as written, one that differs in ASCII letter
// case only is taken (the first by byte order when several do). When the path as written
// leads nowhere, its trailing parts are tried in `folder`, longest first down to the bare
// file name: "C:\Users\x\tex\a.jpg" finds folder/tex/a.jpg, then folder/a.jpg. A name in
// double quotes is also tried without them. The path returned joins the parts with "/".
std::string findFile(const std::string& folder, std::string_view nameAsWritten);

// The library names of one "mtllib" line, given the rest of the line after the keyword:
// the whole rest (without its comment, trimmed) when findFile finds it in `folder`, as a
// name may hold blanks ("mtllib my materials.mtl"); else its blank-separated words, as one
// line may name several libraries. Names are returned as written, for findFile.
std::vector<std::string> libraryNames(std::string_view restOfMtllibLine, const std::string& folder);

} // namespace tessoid::obj

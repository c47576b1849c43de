#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace foundation {

// The platform's path operations on strings: pure text work with '/' as the
// separator, touching no file system. Before each operation repeated slashes
// collapse into one and a trailing slash goes (except for the root "/"), as the
// platform does. Thread-safe.
//
// These do not make a name from outside safe to use as a path; ".." passes through.

// "/tmp/scratch.tiff" -> "scratch.tiff"; "/tmp/" -> "tmp"; "/" -> "/"; "" -> "".
std::string lastPathComponent(std::string_view path);
// "/tmp/scratch.tiff" -> "/tmp"; "/tmp" -> "/"; "scratch" -> ""; "/" -> "/".
std::string stringByDeletingLastPathComponent(std::string_view path);
// The text after the last '.' of the last component: "a/b.tar.gz" -> "gz". A
// component that starts with its only '.' (".hidden") has none, nor has "..".
std::string pathExtension(std::string_view path);
// "scratch..tiff" -> "scratch."; ".hidden" -> ".hidden"; "/tmp/" -> "/tmp".
std::string stringByDeletingPathExtension(std::string_view path);
// Joined with one '/' and tidied: "/tmp/" + "a" -> "/tmp/a"; "" + "a" -> "a";
// "/tmp" + "" -> "/tmp".
std::string stringByAppendingPathComponent(std::string_view path, std::string_view component);
// "a/b" + "png" -> "a/b.png". The platform refuses an extension holding '/' or a
// path with no last component ("", "/"); then the path comes back tidied but
// without the extension. An empty extension adds nothing.
std::string stringByAppendingPathExtension(std::string_view path, std::string_view extension);
// "/tmp/scratch" -> "/", "tmp", "scratch"; "tmp/" -> "tmp", "/"; "" -> none.
// Empty components between repeated slashes are dropped.
std::vector<std::string> pathComponents(std::string_view path);
// The inverse of pathComponents: a leading "/" component makes the path absolute.
std::string pathWithComponents(std::vector<std::string> const& components);
// Starts with '/' or, as the platform counts it, with '~'.
bool isAbsolutePath(std::string_view path);

}

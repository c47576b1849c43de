#include <foundation/Paths.hpp>

namespace foundation {

namespace {

// Repeated slashes collapse into one; a trailing slash goes unless it is the root.
std::string tidied(std::string_view path) {
    std::string out;
    out.reserve(path.size());
    for (char c : path) {
        if (c == '/' && !out.empty() && out.back() == '/')
            continue;
        out += c;
    }
    if (out.size() > 1 && out.back() == '/')
        out.pop_back();
    return out;
}

// Where the last component of a tidied path starts.
std::size_t startOfLastComponent(std::string const& path) {
    std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return 0;
    if (path.size() == 1)
        return 0;
    return slash + 1;
}

// Where the extension of a tidied path starts (after its dot), or npos.
std::size_t startOfExtension(std::string const& path) {
    std::size_t first = startOfLastComponent(path);
    std::size_t dot = path.rfind('.');
    if (dot == std::string::npos || dot < first || dot == first)
        return std::string::npos;
    if (path.compare(first, std::string::npos, "..") == 0)
        return std::string::npos;
    return dot + 1;
}

}

std::string lastPathComponent(std::string_view path) {
    std::string fixed = tidied(path);
    if (fixed.size() <= 1)
        return fixed;
    return fixed.substr(startOfLastComponent(fixed));
}

std::string stringByDeletingLastPathComponent(std::string_view path) {
    std::string fixed = tidied(path);
    if (fixed == "/" || fixed.empty())
        return fixed;
    std::size_t start = startOfLastComponent(fixed);
    if (start == 0)
        return "";
    if (start == 1)
        return "/";
    return fixed.substr(0, start - 1);
}

std::string pathExtension(std::string_view path) {
    std::string fixed = tidied(path);
    std::size_t start = startOfExtension(fixed);
    return start == std::string::npos ? std::string() : fixed.substr(start);
}

std::string stringByDeletingPathExtension(std::string_view path) {
    std::string fixed = tidied(path);
    std::size_t start = startOfExtension(fixed);
    return start == std::string::npos ? fixed : fixed.substr(0, start - 1);
}

std::string stringByAppendingPathComponent(std::string_view path, std::string_view component) {
    if (path.empty())
        return tidied(component);
    if (component.empty())
        return tidied(path);
    std::string joined(path);
    joined += '/';
    joined += component;
    return tidied(joined);
}

std::string stringByAppendingPathExtension(std::string_view path, std::string_view extension) {
    std::string fixed = tidied(path);
    if (extension.find('/') != std::string_view::npos || fixed.empty() || fixed == "/")
        return fixed;
    if (extension.empty())
        return fixed;
    fixed += '.';
    fixed += extension;
    return fixed;
}

std::vector<std::string> pathComponents(std::string_view path) {
    std::vector<std::string> components;
    if (path.empty())
        return components;
    if (path.front() == '/')
        components.emplace_back("/");
    std::size_t start = 0;
    while (start < path.size()) {
        std::size_t slash = path.find('/', start);
        if (slash == std::string_view::npos)
            slash = path.size();
        if (slash > start)
            components.emplace_back(path.substr(start, slash - start));
        start = slash + 1;
    }
    if (path.size() > 1 && path.back() == '/' && components.size() > 1)
        components.emplace_back("/");
    return components;
}

std::string pathWithComponents(std::vector<std::string> const& components) {
    std::string joined;
    for (std::size_t i = 0; i < components.size(); ++i) {
        if (i)
            joined += '/';
        joined += components[i];
    }
    return tidied(joined);
}

bool isAbsolutePath(std::string_view path) {
    return !path.empty() && (path.front() == '/' || path.front() == '~');
}

}

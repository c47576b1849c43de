#include <game/shell/SoundFiles.hpp>

#include <plist/plist.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace game {

namespace {

std::string bundleRoot() {
    if (char const* root = std::getenv("QUILLABY_BUNDLE"))
        return root;
    return "resources";
}

std::string sandboxRoot() {
    if (char const* home = std::getenv("QUILLABY_HOME"))
        return home;
    if (char const* data = std::getenv("XDG_DATA_HOME"))
        return std::string(data) + "/quillaby";
    if (char const* home = std::getenv("HOME"))
        return std::string(home) + "/.local/share/quillaby";
    return ".";
}

base::Value toValue(plist_t node) {
    switch (plist_get_node_type(node)) {
    case PLIST_STRING: {
        char* text = nullptr;
        plist_get_string_val(node, &text);
        base::Value value(text ? std::string(text) : std::string());
        free(text);
        return value;
    }
    case PLIST_BOOLEAN: {
        std::uint8_t b = 0;
        plist_get_bool_val(node, &b);
        return base::Value(b != 0);
    }
    case PLIST_UINT: {
        std::uint64_t u = 0;
        plist_get_uint_val(node, &u);
        return base::Value(static_cast<long long>(u));
    }
    case PLIST_REAL: {
        double d = 0;
        plist_get_real_val(node, &d);
        return base::Value(d);
    }
    case PLIST_DICT: {
        auto dictionary = base::Dictionary::create();
        plist_dict_iter it = nullptr;
        plist_dict_new_iter(node, &it);
        for (;;) {
            char* key = nullptr;
            plist_t item = nullptr;
            plist_dict_next_item(node, it, &key, &item);
            if (!item) {
                free(key);
                break;
            }
            dictionary->setObject(key ? key : "", toValue(item));
            free(key);
        }
        free(it);
        return base::Value(dictionary);
    }
    case PLIST_ARRAY: {
        auto array = base::Array::create();
        for (std::uint32_t i = 0; i < plist_array_get_size(node); ++i)
            array->add(toValue(plist_array_get_item(node, i)));
        return base::Value(array);
    }
    default:
        return {};
    }
}

}

std::string SoundFiles::pathForResource(std::string const& name, std::string const& type) {
    if (name.empty())
        return {};
    std::string const file = type.empty() ? name : name + "." + type;
    if (!isContainedPath(file))
        return {};
    std::filesystem::path const path = std::filesystem::path(bundleRoot()) / file;
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error))
        return {};
    return path.string();
}

std::string SoundFiles::dataFolderPath() {
    return sandboxRoot() + "/Library/Marrowby";
}

base::Ref<base::Dictionary> SoundFiles::dictionaryWithContentsOfFile(std::string const& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return nullptr;
    std::string const bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    plist_t root = nullptr;
    plist_from_memory(bytes.data(), std::uint32_t(bytes.size()), &root);
    if (!root)
        return nullptr;
    base::Value const value = toValue(root);
    plist_free(root);
    return value.dictionaryRef();
}

bool SoundFiles::isContainedPath(std::string const& name) {
    if (name.empty() || name.front() == '/' || name.find('\0') != std::string::npos)
        return false;
    std::size_t start = 0;
    while (start <= name.size()) {
        std::size_t const end = std::min(name.find('/', start), name.size());
        if (name.compare(start, end - start, "..") == 0)
            return false;
        start = end + 1;
    }
    return true;
}

}

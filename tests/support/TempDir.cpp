#include <support/TempDir.hpp>

#include <cstdlib>
#include <string>
#include <system_error>

namespace test {

TempDir::TempDir() {
    std::string pattern
        = (std::filesystem::temp_directory_path() / "quillaby-test-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        throw std::system_error(errno, std::generic_category(), "mkdtemp");
    path_ = pattern;
}

TempDir::~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

}

#pragma once

#include <filesystem>

namespace test {

// A fresh folder under the system's temporary folder, removed with everything in
// it when the object goes.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(TempDir const&) = delete;
    TempDir& operator=(TempDir const&) = delete;

    std::filesystem::path const& path() const { return path_; }
    std::filesystem::path operator/(std::filesystem::path const& relative) const {
        return path_ / relative;
    }

private:
    std::filesystem::path path_;
};

}

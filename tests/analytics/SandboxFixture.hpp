#pragma once

#include <analytics/KestrelFileCache.hpp>
#include <analytics/KestrelImageCache.hpp>
#include <analytics/KestrelUtil.hpp>

#include <support/TempDir.hpp>

#include <foundation/Sandbox.hpp>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace test {

// A test with a fresh sandbox root in a temporary folder, and no shared caches
// before or after it.
class AnalyticsSandboxTest : public ::testing::Test {
protected:
    AnalyticsSandboxTest()
        : previousRoot_(foundation::Sandbox::root()) {
        foundation::Sandbox::setRoot(dir.path().string());
        analytics::KestrelImageCache::resetInstance();
        analytics::KestrelFileCache::resetInstance();
    }
    ~AnalyticsSandboxTest() override {
        analytics::KestrelImageCache::resetInstance();
        analytics::KestrelFileCache::resetInstance();
        analytics::KestrelUtil::setDebugLogEnabled(false);
        foundation::Sandbox::setRoot(previousRoot_);
    }

    std::filesystem::path cacheFolder() const { return dir / "Library/Caches/Kestrel"; }

    // Every regular file under the sandbox root, relative to it.
    std::vector<std::string> filesInSandbox() const {
        std::vector<std::string> files;
        for (auto const& entry : std::filesystem::recursive_directory_iterator(dir.path())) {
            if (entry.is_regular_file())
                files.push_back(std::filesystem::relative(entry.path(), dir.path()).string());
        }
        return files;
    }

    TempDir dir;

private:
    std::string previousRoot_;
};

}

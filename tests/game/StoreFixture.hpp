#pragma once

#include <game/store/BFPackageManager.hpp>

#include <support/TempDir.hpp>

#include <base/Value.hpp>

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace test {

// A package as a test wants it: its manifest and the files of its archive. Each
// listed file goes into the archive with its content and its hash computed from it,
// unless the test says otherwise.
struct UPKSpec {
    struct File {
        std::string key;
        std::string file;
        std::string content;
        // The manifest's "hash"; the content's MD5 when empty.
        std::string hash {};
        // Whether the archive holds it (under file).
        bool inArchive {true};
    };

    std::string id {"pkg.one"};
    std::int64_t version {1};
    std::string appID {"net.test.salon"};
    std::string minVer {"0"};
    std::string maxVer {"0"};
    std::optional<std::int64_t> priority {};
    std::vector<File> files {};
    // Archive entries that the manifest does not list: name -> content.
    std::map<std::string, std::string> extra {};
};

// A sandbox of its own (Caches and Documents inside it) and an application bundle of
// its own, identified as "net.test.salon" at a version the test picks, holding
// "a.png" and "b.png". Packages are zip archives made in a work folder.
class StoreFixture : public ::testing::Test {
protected:
    static constexpr char const* AppID = "net.test.salon";

    StoreFixture();
    ~StoreFixture() override;

    void setAppVersion(std::string const& version);
    std::filesystem::path caches() const;
    std::filesystem::path documents() const;
    std::filesystem::path bundlePath() const { return bundle / "bundle"; }
    // Writes the archive of spec and answers its path.
    std::string makeUPK(UPKSpec const& spec);
    // A manifest dictionary for spec, as makeUPK writes it.
    static base::Ref<base::Dictionary> manifestOf(UPKSpec const& spec);
    static std::string md5(std::string const& content);
    static std::string read(std::filesystem::path const& path);
    static void write(std::filesystem::path const& path, std::string const& content);

    // Every file and folder under Caches with its content (folders end in '/'),
    // leaving out the database's own files.
    std::map<std::string, std::string> cachesSnapshot() const;
    // The packages and their records as text, in the database's order.
    static std::string databaseSnapshot(game::BFPackageManager& manager);

    TempDir home;
    TempDir bundle;
    TempDir work;
    base::Ref<game::BFPackageManager> manager;

private:
    std::string previousBundle_;
    int archives_ {0};
};

}

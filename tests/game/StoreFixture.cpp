#include "StoreFixture.hpp"

#include <foundation/Bundle.hpp>
#include <foundation/Digest.hpp>
#include <foundation/PropertyList.hpp>
#include <foundation/Sandbox.hpp>
#include <toolkit/zip/ZipFile.hpp>

#include <fstream>

namespace fs = std::filesystem;

namespace test {

StoreFixture::StoreFixture()
    : previousBundle_(foundation::Bundle::mainBundle().bundlePath()) {
    foundation::Sandbox::setRoot(home.path().string());
    fs::create_directories(bundlePath());
    write(bundlePath() / "a.png", "bundle a");
    write(bundlePath() / "b.png", "bundle b");
    setAppVersion("1.0");
    manager = game::BFPackageManager::create();
}

StoreFixture::~StoreFixture() {
    manager = nullptr;
    game::BFPackageManager::releaseManager();
    foundation::Bundle::setMainBundlePath(previousBundle_);
    foundation::Sandbox::setRoot({});
}

void StoreFixture::setAppVersion(std::string const& version) {
    auto info
        = base::Dictionary::create({{"CFBundleIdentifier", AppID}, {"CFBundleVersion", version}});
    ASSERT_TRUE(
        foundation::PropertyList::writeToFile(info, (bundlePath() / "Info.plist").string()));
    foundation::Bundle::setMainBundlePath(bundlePath().string());
}

fs::path StoreFixture::caches() const {
    return foundation::Sandbox::cachesPath();
}

fs::path StoreFixture::documents() const {
    return foundation::Sandbox::documentsPath();
}

std::string StoreFixture::md5(std::string const& content) {
    return foundation::Digest::hashHex(foundation::Digest::Algorithm::MD5,
        foundation::ByteView(
            reinterpret_cast<std::uint8_t const*>(content.data()), content.size()));
}

std::string StoreFixture::read(fs::path const& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void StoreFixture::write(fs::path const& path, std::string const& content) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << content;
}

base::Ref<base::Dictionary> StoreFixture::manifestOf(UPKSpec const& spec) {
    auto info = base::Dictionary::create({{"package_id", spec.id}, {"version_code", spec.version},
        {"version_name", "v" + std::to_string(spec.version)}, {"target_appid", spec.appID},
        {"target_minver", spec.minVer}, {"target_maxver", spec.maxVer}});
    if (spec.priority)
        info->setObject("priority", *spec.priority);
    auto files = base::Dictionary::create();
    for (auto const& file : spec.files)
        files->setObject(file.key,
            base::Dictionary::create({{"file", file.file},
                {"hash", file.hash.empty() ? md5(file.content) : file.hash}}));
    return base::Dictionary::create({{"package_info", info}, {"package_manifest", files}});
}

std::string StoreFixture::makeUPK(UPKSpec const& spec) {
    auto folder = work / ("src" + std::to_string(archives_));
    auto archive = work / ("package" + std::to_string(archives_++) + ".upk");
    fs::create_directories(folder);
    auto zip = toolkit::zip::ZipFile::create();
    EXPECT_TRUE(zip->CreateZipFile2(archive.string()));
    int n = 0;
    auto add = [&](std::string const& name, std::string const& content) {
        auto source = folder / std::to_string(n++);
        write(source, content);
        EXPECT_TRUE(zip->addFileToZip(source.string(), name));
    };
    auto manifest = folder / "manifest";
    EXPECT_TRUE(foundation::PropertyList::writeToFile(manifestOf(spec), manifest.string()));
    add("manifest.plist", read(manifest));
    for (auto const& file : spec.files)
        if (file.inArchive)
            add(file.file, file.content);
    for (auto const& [name, content] : spec.extra)
        add(name, content);
    EXPECT_TRUE(zip->CloseZipFile2());
    return archive.string();
}

std::map<std::string, std::string> StoreFixture::cachesSnapshot() const {
    std::map<std::string, std::string> result;
    for (auto const& entry : fs::recursive_directory_iterator(caches())) {
        auto relative = fs::relative(entry.path(), caches()).string();
        if (relative.starts_with(game::BFPackageManager::DatabaseFileName))
            continue;
        if (entry.is_directory())
            result[relative + "/"] = "";
        else
            result[relative] = read(entry.path());
    }
    return result;
}

std::string StoreFixture::databaseSnapshot(game::BFPackageManager& manager) {
    std::string text;
    auto packages = manager.getAllUPKPackages();
    if (!packages)
        return "(no database)";
    for (auto const& package : *packages) {
        text += package->packageID + " v" + std::to_string(package->versionCode)
            + (package->active ? " on" : " off") + ":";
        auto records = manager.fileRecordsOfPackage(*package);
        if (!records) {
            text += " (no records)";
            continue;
        }
        for (auto const& record : *records)
            text += " " + record->fileKey + "=" + record->fileOnDisk + "#" + record->fileHash;
        text += "\n";
    }
    return text;
}

}

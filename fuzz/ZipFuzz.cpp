// Zip archives as downloads bring them: any bytes are opened and unpacked into a
// fresh folder, without a password and with one. Besides no crash, nothing may
// appear outside that folder, and nothing inside it may be a symbolic link.
#include "FuzzSupport.hpp"

#include <toolkit/zip/ZipFile.hpp>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace fs = std::filesystem;

namespace {

fs::path folderPath;

void removeFolder() {
    std::error_code ignored;
    fs::remove_all(folderPath, ignored);
}

// One folder per process, holding the archive and the destination only; removed
// when the process ends.
fs::path const& workFolder() {
    if (folderPath.empty()) {
        std::string pattern = (fs::temp_directory_path() / "quillaby-zipfuzz-XXXXXX").string();
        FUZZ_CHECK(mkdtemp(pattern.data()));
        folderPath = pattern;
        std::atexit(removeFolder);
    }
    return folderPath;
}

}

extern "C" int LLVMFuzzerTestOneInput(std::uint8_t const* data, std::size_t size) {
    fuzz::silenceLog();
    auto const& folder = workFolder();
    auto archive = folder / "in.zip";
    auto destination = folder / "dest";
    std::error_code ignored;
    fs::remove_all(destination, ignored);
    {
        std::ofstream out(archive, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<char const*>(data), std::streamsize(size));
    }
    auto zip = toolkit::zip::ZipFile::create();
    if (zip->UnzipOpenFile(archive.string())) {
        zip->UnzipFileTo(destination.string(), true);
        zip->UnzipFileTo(destination.string(), false);
    }
    FUZZ_CHECK(zip->UnzipCloseFile());
    // Encrypted entries are deciphered and inflated here rather than by minizip.
    if (zip->UnzipOpenFile(archive.string(), "pw"))
        zip->UnzipFileTo(destination.string(), true);
    FUZZ_CHECK(zip->UnzipCloseFile());

    for (auto const& entry : fs::directory_iterator(folder)) {
        auto name = entry.path().filename();
        FUZZ_CHECK(name == "in.zip" || name == "dest");
    }
    if (fs::exists(destination)) {
        for (auto const& entry : fs::recursive_directory_iterator(destination))
            FUZZ_CHECK(!entry.is_symlink());
    }
    return 0;
}

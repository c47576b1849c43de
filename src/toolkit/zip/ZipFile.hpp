#pragma once

#include <base/Object.hpp>
#include <base/Ref.hpp>
#include <base/Value.hpp>

#include <string>

namespace toolkit::zip {

// Hears what a ZipFile has to say while it works. Both operations are optional.
class ZipFileDelegate : public base::Object {
public:
    // One of the error texts listed on ZipFile.
    virtual void ErrorMessage(std::string const&) { }
    // Whether to replace the file at path when unpacking without overwrite; the
    // default replaces it.
    virtual bool OverWriteOperation(std::string const&) { return true; }
};

// Writes new zip archives from files on disk and unpacks every entry of an archive
// into a folder, over minizip and zlib. One archive at a time in each direction; the
// object owns its minizip handles, its password and its delegate (retained). Used
// from one thread at a time.
//
// Texts reported to the delegate: "Failed" (no first entry), "Error occurs" (an
// entry cannot be opened), "Error occurs while getting file info", "Failed to
// reading zip file" (an entry's bytes cannot be read or fail their check; a wrong
// password fails the opening: "Error occurs"),
// "Unsafe entry name" (a name that would leave the destination), "Failed to create
// file" (a file or folder that cannot be made). Each ends the unpacking with false.
//
// Every entry name is read with its recorded length and vetted before anything is
// written: one that is empty, absolute, holds a NUL byte or climbs out of the
// destination with ".." refuses the whole archive, so a refused archive writes
// nothing. Files written before a later failure stay; a file whose bytes fail to
// read is removed rather than left half-written.
class ZipFile final : public base::Object {
public:
    static base::Ref<ZipFile> create();
    ~ZipFile() override;

    // Creates a new archive at path (never appends). True when it could be made.
    bool CreateZipFile2(std::string const& path);
    // As above; entries added later are encrypted with password when it is not empty
    // (traditional zip encryption, its check byte from the entry's CRC-32).
    bool CreateZipFile2(std::string const& path, std::string const& password);
    // Adds the whole content of the file at path as one deflated entry named
    // newname, dated with the file's modification time (the current time when it
    // cannot be had; clamped to what the zip format can hold).
    bool addFileToZip(std::string const& path, std::string const& newname);
    // Clears the password; false with no archive open for writing or when the close
    // fails.
    bool CloseZipFile2();

    // Opens an archive for reading; logs its number of entries.
    bool UnzipOpenFile(std::string const& path);
    bool UnzipOpenFile(std::string const& path, std::string const& password);
    // Writes every entry under folder: "\" in names becomes "/", folders are made
    // as the names need them, modification times are restored. Without overWrite
    // an existing file is replaced only when the delegate agrees. May be called
    // again on the same open archive; it starts from the first entry each time.
    bool UnzipFileTo(std::string const& folder, bool overWrite);
    // Clears the password; true with no archive open for reading.
    bool UnzipCloseFile();

    void OutputErrorMessage(std::string const& message);
    bool OverWrite(std::string const& path);

    // 1 January 1980, 00:00 local time: the earliest date an entry can carry.
    static base::Date Date1980();

    ZipFileDelegate* delegate() const { return _delegate.get(); }
    void setDelegate(base::Ref<ZipFileDelegate> delegate) { _delegate = std::move(delegate); }

    static constexpr std::size_t BufferSize = 4096;

private:
    friend base::Factory;
    ZipFile() = default;

    bool vetEntryNames(std::string const& folder);
    bool unzipCurrentEntry(std::string const& folder, bool overWrite);

    void* _zipFile {nullptr};
    void* _unzFile {nullptr};
    std::string _password;
    base::Ref<ZipFileDelegate> _delegate;
};

}

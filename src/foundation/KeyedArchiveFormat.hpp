#pragma once

#include <base/Value.hpp>

// The container of our keyed archives, shared by KeyedArchiver and
// KeyedUnarchiver. An archive is a binary property list:
//
//     { "$archiver" = "QuillabyKeyedArchive"; "$version" = 1; "$top" = <keys> }
//
// where <keys> is a dictionary from each encoded key to an entry, and an entry
// is a dictionary of one of these shapes:
//
//     { "$value" = <any property-list value> }
//     { "$class" = "KestrelAd"; "$keys" = <keys> }     an object that implements Coding
//     { "$list" = ( <entry>, ... ) }                  a list of such objects
//     { "$map" = { name = <entry>; ... } }            a string-keyed map of them
//     { "$null" = true }                              an object encoded as null
namespace foundation::KeyedArchiveFormat {

inline constexpr char const* archiverTag = "$archiver";
inline constexpr char const* archiverName = "QuillabyKeyedArchive";
inline constexpr char const* versionTag = "$version";
inline constexpr int formatVersion = 1;
inline constexpr char const* topTag = "$top";

inline constexpr char const* valueTag = "$value";
inline constexpr char const* classTag = "$class";
inline constexpr char const* keysTag = "$keys";
inline constexpr char const* listTag = "$list";
inline constexpr char const* mapTag = "$map";
inline constexpr char const* nullTag = "$null";

inline base::Value nullEntry() {
    return base::Dictionary::create({{nullTag, base::Value(true)}});
}

}

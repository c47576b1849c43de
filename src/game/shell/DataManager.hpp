#pragma once

#include <base/Ref.hpp>
#include <base/Value.hpp>

#include <optional>
#include <string>
#include <string_view>

namespace foundation {
class UserDefaults;
}

namespace game {

// Typed access to the user-defaults store (the platform's standard one) for the
// save data and the settings.
// Everything written through it is a string: integers as "%d" text, floats as
// "%f" text (six decimals), booleans as "1" and "0". Reading converts back and
// gives the default only when the key is absent; a present key whose text is not
// a number reads as 0. Values written by others in the platform's own kinds
// (numbers, booleans, as an imported save may hold) read the same way; integers
// beyond the range of int saturate at its limits, as the text forms do.
// Never instantiated; main thread only.
class DataManager {
public:
    DataManager() = delete;

    // Keeps the changes made while it lives out of the saved file until it goes
    // (the store's batch), so that a save of many keys reaches the disk whole or
    // not at all. Open one around every save of the game; they nest.
    class Batch {
    public:
        Batch();
        ~Batch();
        Batch(Batch const&) = delete;
        Batch& operator=(Batch const&) = delete;

    private:
        foundation::UserDefaults& store_;
    };

    // The stored text: a string as it is, a number or boolean as its text; none
    // when the key is absent or holds a list, data or a date.
    static std::optional<std::string> getStringForKey(std::string_view key);
    static std::string getStringForKey(std::string_view key, std::string_view defaultValue);
    static int getIntForKey(std::string_view key, int defaultValue = 0);
    static float getFloatForKey(std::string_view key, float defaultValue = 0);
    // True when the stored integer value is not 0 ("2" is true, "0.5" false).
    static bool getBoolForKey(std::string_view key, bool defaultValue = false);

    static void setString(std::string_view value, std::string_view key);
    static void setInt(int value, std::string_view key);
    static void setFloat(float value, std::string_view key);
    static void setBool(bool value, std::string_view key);

    // True when any key of the store contains text (anywhere, not only as prefix).
    static bool checkHaveKey(std::string_view text);
    // Removes every key of the store that contains text.
    static void removeAllKey(std::string_view text);

    // The store's values in their own kinds, for the few writers that keep the
    // platform's kinds (theme ownership marks) and for the export and import of
    // the whole save. A null value removes the key; a value that a property list
    // cannot hold is refused (false, logged) and changes nothing.
    static base::Value objectForKey(std::string_view key);
    static bool setObject(base::Value const& value, std::string_view key);
    // A snapshot of every entry the store answers for.
    static base::Ref<base::Dictionary> dictionaryRepresentation();
    // Writes the store to disk now instead of at its next autosave.
    static bool synchronize();
};

}

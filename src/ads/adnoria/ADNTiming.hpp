#pragma once

#include <base/Object.hpp>
#include <base/Ref.hpp>
#include <base/Value.hpp>

#include <cstdint>
#include <string>

namespace ads::adnoria {

// One named interval on the monotonic clock, with a few extra values. Not started
// (both times 0), running (start set, end 0) or ended. Main thread.
class ADNTiming final : public base::Object {
public:
    // Seconds on the installed clock's monotonic reading.
    static double counter();

    static base::Ref<ADNTiming> initWithCategory(std::string category);
    // Null when the dictionary has no "category" string.
    static base::Ref<ADNTiming> initWithDictionaryRepresentation(
        base::Dictionary const& dictionary);

    void start();
    void end();
    void reset();
    bool isActive() const { return startSeconds_ > 0 && endSeconds_ == 0; }

    std::string const& category() const { return category_; }
    double startSeconds() const { return startSeconds_; }
    double endSeconds() const { return endSeconds_; }

    // While not ended the current clock stands for the end.
    std::uint32_t elapsedMilliseconds() const;
    std::string elapsedMillisecondsString() const;

    // A null value changes nothing.
    void setValue(base::Value value, std::string const& key);
    base::Value valueForKey(std::string const& key) const;
    void removeValueForKey(std::string const& key);
    base::Ref<base::Dictionary> keysAndValues() const;

    base::Ref<base::Dictionary> dictionaryRepresentation() const;
    base::Ref<ADNTiming> copy() const;
    std::string description() const;

private:
    friend base::Factory;
    ADNTiming() = default;

    std::string category_;
    double startSeconds_ {0};
    double endSeconds_ {0};
    base::Ref<base::Dictionary> userData_;
};

}

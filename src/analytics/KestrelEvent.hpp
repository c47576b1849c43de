#pragma once

#include <foundation/Coding.hpp>

#include <base/Object.hpp>
#include <base/Ref.hpp>
#include <base/Value.hpp>

#include <cstdint>
#include <optional>
#include <string>

namespace analytics {

// One named event of a session: when it was logged, its parameters and, for a
// timed event, when it ended. Owned by its session's event log and changed only
// under the session's lock; archived with the session.
class KestrelEvent final : public base::Object, public foundation::Coding {
public:
    // Started now; not timed, no parameters unless given.
    static base::Ref<KestrelEvent> initWithName(std::string name);
    static base::Ref<KestrelEvent> initWithName(std::string name, bool timed);
    static base::Ref<KestrelEvent> initWithName(
        std::string name, bool timed, base::Ref<base::Dictionary> parameters);

    static void registerCoding();
    // None when the archive holds no name.
    static base::Ref<KestrelEvent> initWithCoder(foundation::KeyedUnarchiver& coder);
    void encodeWithCoder(foundation::KeyedArchiver& coder) override;

    // Timed and not yet ended.
    bool isUnterminated() const { return timed_ && !ended_; }
    // Milliseconds from the session's start to this event's start, cut to 32 bits.
    std::int32_t startOffsetFromSessionStart(std::optional<base::Date> sessionStart) const;
    // 0 unless timed and ended; else milliseconds from start to end, cut to 32 bits.
    std::int32_t duration() const;
    // The event's record in the report: name, parameters, start offset, duration.
    base::Bytes dataRelativeToSessionStart(std::optional<base::Date> sessionStart) const;

    std::string const& name() const { return name_; }
    base::Date started() const { return started_; }
    void setStarted(base::Date date) { started_ = date; }
    std::optional<base::Date> ended() const { return ended_; }
    void setEnded(std::optional<base::Date> date) { ended_ = date; }
    bool timed() const { return timed_; }
    bool automaticallyEnded() const { return automaticallyEnded_; }
    void setAutomaticallyEnded(bool ended) { automaticallyEnded_ = ended; }
    base::Ref<base::Dictionary> const& parameters() const { return parameters_; }
    void setParameters(base::Ref<base::Dictionary> parameters) {
        parameters_ = std::move(parameters);
    }

private:
    friend base::Factory;
    KestrelEvent(std::string name, bool timed, base::Ref<base::Dictionary> parameters);

    std::string name_;
    base::Date started_;
    std::optional<base::Date> ended_;
    bool timed_ {false};
    bool automaticallyEnded_ {false};
    base::Ref<base::Dictionary> parameters_;
};

}

#pragma once

#include <base/Object.hpp>

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace toolkit::json {

// One error of the third JSON library: its domain, a code from 1 to 12, the message,
// and the error that was last in the trace before it (the platform's underlying error).
struct PJsonError {
    static constexpr char const* PJsonErrorDomain = "org.quillaby.json.PJsonErrorDomain";

    std::string domain {PJsonErrorDomain};
    long code {0};
    std::string localizedDescription;
    std::shared_ptr<PJsonError const> underlyingError;
};

// What the parser and the writer share: the trace of errors of the last operation
// (most specific first, wrapping ones after it) and the nesting limit. maxDepth is 512
// at the start; 0 lifts it, but nesting never passes PJsonHardMaximumDepth, so hostile
// input cannot exhaust the stack. One thread at a time.
class PJsonBase : public base::Object {
public:
    static constexpr unsigned PJsonDefaultMaximumDepth = 512;
    static constexpr unsigned PJsonHardMaximumDepth = 2048;

    unsigned maxDepth() const { return maxDepth_; }
    void setMaxDepth(unsigned depth) { maxDepth_ = depth; }

    std::vector<PJsonError> errorTrace() const { return errorTrace_; }
    void clearErrorTrace();
    // Appends an error whose underlying error is the trace's last one.
    void addErrorWithCode(long code, std::string description);

    // Called with "errorTrace" whenever the trace is added to or cleared, as a
    // key-value observer would be told.
    void setChangeObserver(std::function<void(std::string_view key)> observer) {
        changeObserver_ = std::move(observer);
    }

protected:
    PJsonBase() = default;

    // Raises the depth for a collection; false (with error 7) past the limit.
    bool enterCollection();
    void leaveCollection() { --depth_; }
    void replaceErrorTrace(std::vector<PJsonError> trace);

    unsigned depth_ {0};

private:
    void announce();

    std::vector<PJsonError> errorTrace_;
    unsigned maxDepth_ {PJsonDefaultMaximumDepth};
    std::function<void(std::string_view)> changeObserver_;
};

}

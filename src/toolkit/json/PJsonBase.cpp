#include <toolkit/json/PJsonBase.hpp>

namespace toolkit::json {

void PJsonBase::announce() {
    if (changeObserver_)
        changeObserver_("errorTrace");
}

void PJsonBase::clearErrorTrace() {
    errorTrace_.clear();
    announce();
}

void PJsonBase::replaceErrorTrace(std::vector<PJsonError> trace) {
    errorTrace_ = std::move(trace);
    announce();
}

void PJsonBase::addErrorWithCode(long code, std::string description) {
    PJsonError error;
    error.code = code;
    error.localizedDescription = std::move(description);
    if (!errorTrace_.empty())
        error.underlyingError = std::make_shared<PJsonError const>(errorTrace_.back());
    errorTrace_.push_back(std::move(error));
    announce();
}

bool PJsonBase::enterCollection() {
    unsigned limit
        = maxDepth_ == 0 || maxDepth_ > PJsonHardMaximumDepth ? PJsonHardMaximumDepth : maxDepth_;
    if (++depth_ > limit) {
        addErrorWithCode(7, "Nested too deep");
        return false;
    }
    return true;
}

}

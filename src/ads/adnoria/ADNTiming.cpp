#include <ads/adnoria/ADNTiming.hpp>

#include <foundation/Clock.hpp>
#include <foundation/Format.hpp>

#include <cmath>

namespace ads::adnoria {

double ADNTiming::counter() {
    return foundation::Clock::current().monotonic();
}

base::Ref<ADNTiming> ADNTiming::initWithCategory(std::string category) {
    auto timing = base::make<ADNTiming>();
    timing->category_ = std::move(category);
    return timing;
}

base::Ref<ADNTiming> ADNTiming::initWithDictionaryRepresentation(
    base::Dictionary const& dictionary) {
    auto const* category = dictionary["category"].string();
    if (!category)
        return {};
    auto timing = initWithCategory(*category);
    timing->startSeconds_ = dictionary["start"].doubleValue();
    timing->endSeconds_ = dictionary["end"].doubleValue();
    if (auto* userData = dictionary["userData"].dictionary())
        timing->userData_ = userData->copy();
    return timing;
}

void ADNTiming::start() {
    startSeconds_ = counter();
    endSeconds_ = 0;
}

void ADNTiming::end() {
    if (startSeconds_ > 0)
        endSeconds_ = counter();
}

void ADNTiming::reset() {
    startSeconds_ = 0;
    endSeconds_ = 0;
}

std::uint32_t ADNTiming::elapsedMilliseconds() const {
    double end = endSeconds_ < startSeconds_ ? counter() : endSeconds_;
    double milliseconds = (end - startSeconds_) * 1000.0;
    if (!(milliseconds > 0))
        return 0;
    if (milliseconds >= 4294967295.0)
        return 4294967295u;
    return std::uint32_t(milliseconds);
}

std::string ADNTiming::elapsedMillisecondsString() const {
    return std::to_string(elapsedMilliseconds());
}

void ADNTiming::setValue(base::Value value, std::string const& key) {
    if (!userData_)
        userData_ = base::Dictionary::create();
    if (!value.isNil())
        userData_->setObject(key, std::move(value));
}

base::Value ADNTiming::valueForKey(std::string const& key) const {
    return userData_ ? userData_->objectForKey(key) : base::Value();
}

void ADNTiming::removeValueForKey(std::string const& key) {
    if (userData_)
        userData_->removeObjectForKey(key);
}

base::Ref<base::Dictionary> ADNTiming::keysAndValues() const {
    return userData_ ? userData_->copy() : base::Dictionary::create();
}

base::Ref<base::Dictionary> ADNTiming::dictionaryRepresentation() const {
    auto dictionary = base::Dictionary::create();
    dictionary->setObject("category", category_);
    dictionary->setObject("start", startSeconds_);
    dictionary->setObject("end", endSeconds_);
    if (userData_)
        dictionary->setObject("userData", userData_->copy());
    return dictionary;
}

base::Ref<ADNTiming> ADNTiming::copy() const {
    return initWithDictionaryRepresentation(*dictionaryRepresentation());
}

std::string ADNTiming::description() const {
    return foundation::format("ADNTiming (%p): %@", static_cast<void const*>(this),
        base::Value(dictionaryRepresentation()));
}

}

#include <toolkit/json/JCArray.hpp>

#include <base/Exception.hpp>

#include <string>
#include <utility>

namespace toolkit::json {

base::Ref<JCArray> JCArrayCreate(base::Value* objects, std::size_t count, bool mutableCollection) {
    base::Ref<JCArray> array = mutableCollection ? base::Ref<JCArray>(base::make<JCMutableArray>())
                                                 : base::make<JCArray>();
    array->values_.reserve(count);
    for (std::size_t i = 0; i < count; ++i)
        array->values_.push_back(std::move(objects[i]));
    return array;
}

void JCArray::raiseRange(char const* selector, std::size_t index, std::size_t bound) const {
    throw base::Exception(base::RangeException,
        std::string("*** -[") + className() + " " + selector + "]: index (" + std::to_string(index)
            + ") beyond bounds (" + std::to_string(bound) + ")");
}

base::Value const& JCArray::objectAtIndex(std::size_t index) const {
    if (index >= values_.size())
        raiseRange("objectAtIndex:", index, values_.size());
    return values_[index];
}

void JCArray::getObjects(base::Value* objects, std::size_t location, std::size_t length) const {
    if (location > values_.size() || length > values_.size() - location)
        raiseRange("getObjects:range:", location + length, values_.size());
    for (std::size_t i = 0; i < length; ++i)
        objects[i] = values_[location + i];
}

base::Ref<base::Array> JCArray::copy() const {
    return base::Ref<base::Array>(const_cast<JCArray*>(this));
}

base::Ref<base::Array> JCArray::mutableCopy() const {
    return base::Array::create(values_);
}

void JCMutableArray::insertObject(base::Value object, std::size_t index) {
    if (object.isNil())
        throw base::Exception(base::InvalidArgumentException,
            std::string("*** -[") + className() + " insertObject:atIndex:]: attempt to insert nil");
    if (index > values_.size())
        raiseRange("insertObject:atIndex:", index, values_.size() + 1);
    if (values_.size() + 1 >= values_.capacity())
        values_.reserve(values_.capacity() + 16);
    values_.insert(values_.begin() + std::ptrdiff_t(index), std::move(object));
    ++mutations_;
}

void JCMutableArray::removeObjectAtIndex(std::size_t index) {
    if (index >= values_.size())
        raiseRange("removeObjectAtIndex:", index, values_.size());
    values_.erase(values_.begin() + std::ptrdiff_t(index));
    ++mutations_;
}

void JCMutableArray::replaceObjectAtIndex(std::size_t index, base::Value object) {
    if (object.isNil())
        throw base::Exception(base::InvalidArgumentException,
            std::string("*** -[") + className()
                + " replaceObjectAtIndex:withObject:]: attempt to insert nil");
    if (index >= values_.size())
        raiseRange("replaceObjectAtIndex:withObject:", index, values_.size());
    values_[index] = std::move(object);
    ++mutations_;
}

base::Ref<base::Array> JCMutableArray::copy() const {
    return base::Array::create(values_);
}

}

#include <toolkit/rest/RLAdditions.hpp>

#include <base/Exception.hpp>

#include <vector>

namespace toolkit::rest {

base::Ref<base::Dictionary> dictionaryWithKeysAndObjects(
    std::initializer_list<base::Value> keysAndObjects) {
    std::vector<base::Value> keys;
    std::vector<base::Value> objects;
    for (auto at = keysAndObjects.begin(); at != keysAndObjects.end(); ++at) {
        if (at->isNil())
            break;
        auto next = at + 1;
        if (next == keysAndObjects.end() || next->isNil())
            throw base::Exception(base::InvalidArgumentException,
                "attempt to insert nil object for key " + at->stringValue());
        if (!at->isString())
            throw base::Exception(base::InvalidArgumentException, "dictionary keys are strings");
        keys.push_back(*at);
        objects.push_back(*next);
        at = next;
    }
    auto dictionary = base::Dictionary::create();
    for (std::size_t i = 0; i < keys.size(); ++i)
        dictionary->setObject(*keys[i].string(), objects[i]);
    return dictionary;
}

}

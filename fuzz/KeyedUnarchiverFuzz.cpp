// Keyed archives as they come back from the sandbox (a save that another version
// wrote, or a damaged file): any bytes give no reader or a reader whose every decode
// answers something, and objects of registered classes decode whatever their keys
// hold. A class that refuses its keys by throwing decodes as null.
#include "FuzzSupport.hpp"

#include <foundation/KeyedArchiver.hpp>
#include <foundation/KeyedUnarchiver.hpp>

#include <base/Exception.hpp>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

using base::Ref;
using foundation::Coding;
using foundation::KeyedArchiver;
using foundation::KeyedUnarchiver;

namespace {

char const* const keys[]
    = {"root", "value", "flag", "count", "big", "ratio", "child", "children", "places", "missing"};

// Reads every key in every way a class may, so that each decode meets every kind of
// entry.
void decodeEverything(KeyedUnarchiver const& coder) {
    for (auto key : keys) {
        coder.containsValueForKey(key);
        coder.decodeObjectForKey(key).description();
        coder.decodeBoolForKey(key);
        coder.decodeIntForKey(key);
        coder.decodeInt32ForKey(key);
        coder.decodeInt64ForKey(key);
        coder.decodeFloatForKey(key);
        coder.decodeDoubleForKey(key);
    }
}

// An archivable record that holds values, one child, a list and a map of others.
class Node final : public base::Object, public Coding {
public:
    static Ref<Node> initWithCoder(KeyedUnarchiver& coder) {
        decodeEverything(coder);
        auto node = base::make<Node>();
        node->value = coder.decodeObjectForKey("value");
        node->count = coder.decodeIntForKey("count");
        node->child = coder.decodeObjectForKey<Node>("child");
        node->children = coder.decodeObjectsForKey<Node>("children");
        node->places = coder.decodeObjectMapForKey<Node>("places");
        return node;
    }
    void encodeWithCoder(KeyedArchiver& coder) override {
        coder.encodeObject(value, "value");
        coder.encodeInt(count, "count");
        coder.encodeObject(child, "child");
        coder.encodeObject(children, "children");
        coder.encodeObject(places, "places");
    }

    base::Value value;
    int count {0};
    Ref<Node> child;
    std::vector<Ref<Node>> children;
    std::vector<std::pair<std::string, Ref<Node>>> places;

private:
    friend base::Factory;

    Node() = default;
};

// A class that refuses what it reads, as a class checking its archive does.
class Strict final : public base::Object, public Coding {
public:
    static Ref<Strict> initWithCoder(KeyedUnarchiver& coder) {
        if (!coder.decodeBoolForKey("flag"))
            throw base::Exception("NSInvalidArgumentException", "no flag");
        return base::make<Strict>();
    }
    void encodeWithCoder(KeyedArchiver& coder) override { coder.encodeBool(true, "flag"); }

private:
    friend base::Factory;

    Strict() = default;
};

bool registerClasses() {
    Coding::registerClass<Node>("Node");
    Coding::registerClass<Strict>("Strict");
    return true;
}

}

extern "C" int LLVMFuzzerTestOneInput(std::uint8_t const* data, std::size_t size) {
    fuzz::silenceLog();
    static bool const registered = registerClasses();
    (void)registered;
    foundation::ByteView bytes(data, size);
    auto reader = KeyedUnarchiver::createForReadingWithData(bytes);
    if (!reader)
        return 0;
    decodeEverything(*reader);
    reader->decodeObjectForKey<Node>(KeyedArchiver::rootKey);
    reader->decodeObjectForKey<Strict>(KeyedArchiver::rootKey);
    reader->decodeObjectsForKey<Node>("children");
    reader->decodeObjectMapForKey<Node>("places");
    KeyedUnarchiver::unarchiveObjectWithData(bytes);
    return 0;
}

#pragma once

#include <base/Object.hpp>
#include <base/Ref.hpp>

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <typeindex>

namespace foundation {

class KeyedArchiver;
class KeyedUnarchiver;

// An object that can be written into a keyed archive and read back from one.
// The class derives from base::Object and from Coding, writes its state in
// encodeWithCoder, and is registered under the class name that archives record:
//
//     class KestrelAdLocation final : public base::Object, public foundation::Coding {
//     public:
//         static base::Ref<KestrelAdLocation> initWithCoder(foundation::KeyedUnarchiver&);
//         void encodeWithCoder(foundation::KeyedArchiver&) override;
//     };
//     foundation::Coding::registerClass<KestrelAdLocation>("KestrelAdLocation");
//
// Register every class before the first archive that holds it is written or
// read (a library's start-up does it). An archive that names a class nobody
// registered decodes that object as null. The registry is thread-safe.
class Coding {
public:
    virtual ~Coding() = default;

    virtual void encodeWithCoder(KeyedArchiver& coder) = 0;

    using Factory = std::function<base::Ref<base::Object>(KeyedUnarchiver&)>;

    // Registers T under name, decoded by T::initWithCoder(KeyedUnarchiver&).
    // Registering a name again replaces its entry.
    template<typename T> static void registerClass(std::string name) {
        registerClass(
            std::move(name), typeid(T), [](KeyedUnarchiver& coder) -> base::Ref<base::Object> {
                return T::initWithCoder(coder);
            });
    }
    static void registerClass(std::string name, std::type_index type, Factory factory);

    // The registered name of the object's class, if any.
    static std::optional<std::string> classNameOf(Coding const& object);
    // The factory registered under name; empty when none is.
    static Factory factoryFor(std::string_view name);
};

}

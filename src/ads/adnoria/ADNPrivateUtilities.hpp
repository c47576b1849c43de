#pragma once

#include <base/Object.hpp>
#include <base/Ref.hpp>

namespace ads::adnoria {

// Links each public ad object to its hidden implementation. Keys are held weakly:
// a key object that has gone finds nothing, even when a new object takes its
// address. Values are retained. Main thread.
class ADNPrivateUtilities {
public:
    static void setPrivateObject(base::Ref<base::Object> object, base::Object const& key);
    static base::Ref<base::Object> privateObjectForKey(base::Object const& key);
    static void removePrivateObjectForKey(base::Object const& key);
    static std::size_t count();
    static void removeAll();
};

}

#pragma once

#include <atomic>
#include <string>

namespace ui {

// The device the program plays as. Nothing is read from the machine: the runner
// sets the idiom from its --ipad flag before anything loads, and the version and
// name are fixed answers. The idiom is safe to read from any thread; the texts
// are set once at start.
class Device {
public:
    // Numbered as the platform numbers its interface idioms.
    enum class Idiom { Phone = 0, Pad = 1 };

    static Device& currentDevice();
    // Back to a phone with the default version and name (tests).
    static void reset();

    Idiom userInterfaceIdiom() const { return idiom_.load(std::memory_order_relaxed); }
    void setUserInterfaceIdiom(Idiom idiom) { idiom_.store(idiom, std::memory_order_relaxed); }
    bool isPad() const { return userInterfaceIdiom() == Idiom::Pad; }

    std::string const& systemVersion() const { return systemVersion_; }
    void setSystemVersion(std::string version) { systemVersion_ = std::move(version); }
    std::string const& name() const { return name_; }
    void setName(std::string name) { name_ = std::move(name); }

private:
    std::atomic<Idiom> idiom_ {Idiom::Phone};
    std::string systemVersion_ {"4.3.1"};
    std::string name_ {"Quillaby"};
};

}

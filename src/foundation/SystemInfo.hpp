#pragma once

#include <string>

namespace foundation {

// The hardware's machine name as the system reports it ("x86_64"; the device's model
// code on a phone), which clients send as the device's model; empty when the system
// does not say.
std::string hardwareMachineName();

}

#pragma once

#include <cstdint>
#include <string>

namespace ads::adnoria {

// The calling thread's stack as numbered lines, without this routine's own frame:
// "#N  image  address symbol()" ("#%-2u %-35s %0*p %s()"), the symbol from the
// dynamic linker or "???". Any thread.
std::string ADNCallStackDescription();

// One line as the stack text writes it, for a method ("-[Class selector]") when a
// class is given, else for a plain symbol.
std::string ADNCallStackLine(unsigned number, std::string const& imagePath, std::uintptr_t address,
    char const* className, bool classMethod, char const* name);

}

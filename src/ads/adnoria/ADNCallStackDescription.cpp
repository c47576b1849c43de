#include <ads/adnoria/ADNCallStackDescription.hpp>

#include <foundation/Paths.hpp>

#include <cstdio>
#include <dlfcn.h>
#include <execinfo.h>
#include <string_view>

namespace ads::adnoria {

std::string ADNCallStackLine(unsigned number, std::string const& imagePath, std::uintptr_t address,
    char const* className, bool classMethod, char const* name) {
    auto image = imagePath.empty() ? std::string("??") : foundation::lastPathComponent(imagePath);
    char const* shown = name ? name : "??";
    // The address as a pointer zero-padded to 10 characters: "0x" and at least 8 digits.
    char digits[32];
    std::snprintf(digits, sizeof digits, "%lx", static_cast<unsigned long>(address));
    std::string pointer = "0x"
        + std::string(
            std::string_view(digits).size() < 8 ? 8 - std::string_view(digits).size() : 0, '0')
        + digits;
    char head[16];
    std::snprintf(head, sizeof head, "#%-2u ", number);
    std::string line = head + image;
    if (image.size() < 35)
        line.append(35 - image.size(), ' ');
    line += " " + pointer + " ";
    if (className)
        line += std::string(classMethod ? "+" : "-") + "[" + className + " " + shown + "]";
    else
        line += std::string(shown) + "()";
    return line;
}

std::string ADNCallStackDescription() {
    void* addresses[128];
    int count = ::backtrace(addresses, 128);
    if (count <= 1)
        return {};
    std::string text;
    for (int i = 1; i < count; ++i) {
        Dl_info info {};
        char const* name = "???";
        std::string image;
        if (::dladdr(addresses[i], &info)) {
            if (info.dli_sname)
                name = info.dli_sname;
            if (info.dli_fname)
                image = info.dli_fname;
        }
        if (i > 1)
            text += "\n";
        text += ADNCallStackLine(unsigned(i - 1), image,
            reinterpret_cast<std::uintptr_t>(addresses[i]), nullptr, false, name);
    }
    return text;
}

}

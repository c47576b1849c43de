#include <bundlegen/Roster.hpp>

#include <cstdio>
#include <stdexcept>

namespace bundlegen {

namespace {

using H = PersonLook::Hair;
using O = PersonLook::Outfit;
using X = PersonLook::Extra;
using K = PetLook::Kind;
using E = PetLook::Ears;
using Pt = PetLook::Pattern;
using R = CastMember::Role;

CastMember person(std::string key, R role, PersonLook look) {
    return {std::move(key), role, look, {}};
}

CastMember pet(std::string key, PetLook look) {
    return {std::move(key), R::Pet, {}, look};
}

std::vector<CastMember> buildCast() {
    namespace c = palette;
    auto hex = [](uint32_t v) { return Color::hex(v); };
    std::vector<CastMember> all;
    // Customers: pet owners of every kind.
    all.push_back(person("CUS001", R::Customer,
        {c::skin, hex(0x8a5533), hex(0x7cc7e8), hex(0x4a6fa5), hex(0x6b4a3a), c::coral, H::Short,
            O::Casual, X::None}));
    all.push_back(person("CUS002", R::Customer,
        {c::skinTan, hex(0x3b2a22), hex(0xf27c96), hex(0xffe0a0), hex(0xb8506a), c::honey,
            H::Ponytail, O::Dress, X::Bow}));
    all.push_back(person("CUS003", R::Customer,
        {c::skin, hex(0xd9d4cf), hex(0x9bc48a), hex(0x8a6a4f), hex(0x5b3a29), c::teal, H::Bun,
            O::Dress, X::Glasses, X::Pearls}));
    all.push_back(person("CUS004", R::Customer,
        {c::skinDeep, hex(0x2b1d16), hex(0xffb347), hex(0x5b6b7a), hex(0x3a3a3a), c::teal, H::Curly,
            O::Casual, X::Headband}));
    all.push_back(person("CUS005", R::Customer,
        {c::skin, hex(0xf0c05a), hex(0xb69ce0), hex(0x6b8fc7), hex(0xffffff), c::rose, H::Long,
            O::Casual, X::None}));
    all.push_back(person("CUS006", R::Customer,
        {c::skinTan, hex(0x6b4a3a), hex(0x55b8a8), hex(0x6b5040), hex(0x4a3020), hex(0xff9f43),
            H::Spiky, O::Casual, X::Cap}));
    // Special visitors.
    all.push_back(person("PREZ", R::Visitor,
        {c::skin, hex(0xbfb8b0), hex(0x2f4a7a), hex(0x2f4a7a), hex(0x2b1d16), c::red, H::Short,
            O::Suit, X::None}));
    all.push_back(person("RICHLADY", R::Visitor,
        {c::skin, hex(0xf0c05a), hex(0xd65f9a), hex(0xd65f9a), hex(0x8e2f5a), hex(0x8e6cc9), H::Bob,
            O::Gown, X::Hat, X::Pearls}));
    all.push_back(person("SKYW", R::Visitor,
        {c::skinTan, hex(0x2b1d16), hex(0x4a9be0), hex(0x2f4a7a), hex(0xe8545a), hex(0xe8545a),
            H::Spiky, O::Hero, X::Mask}));
    // Staff: groomers in aprons; staff type 5 (NPC006) is the counter robot.
    struct StaffLook {
        Color skin, hair, shirt, apron;
        H hair_;
        X extra;
    };
    StaffLook const staff[] = {
        {c::skin, hex(0xc96a3a), hex(0xffffff), c::teal, H::Ponytail, X::None},
        {c::skinTan, hex(0x3b2a22), hex(0xfff0c8), c::coral, H::Short, X::None},
        {c::skinDeep, hex(0x2b1d16), hex(0xffffff), c::purple, H::Curly, X::None},
        {c::skin, hex(0xf0c05a), hex(0xffe6ee), c::rose, H::Bob, X::Bow},
        {c::skin, hex(0x6b4a3a), hex(0xe8f6ff), c::blue, H::Spiky, X::Glasses},
        {{}, {}, {}, {}, H::Bald, X::None},
        {c::skinTan, hex(0x8e2f5a), hex(0xffffff), c::gold, H::Long, X::Headband},
        {c::skin, hex(0x8a5533), hex(0xf2fff0), c::green, H::Short, X::Beard},
        {c::skinDeep, hex(0x3b2a22), hex(0xfff4e0), c::orange, H::Bun, X::None},
        {c::skin, hex(0xd9d4cf), hex(0xffffff), c::navy, H::Short, X::Glasses},
    };
    for (int i = 0; i < 10; ++i) {
        char key[8];
        std::snprintf(key, sizeof key, "NPC%03d", i + 1);
        if (i == 5) {
            all.push_back(person(key, R::Staff,
                {c::grey, c::grey, hex(0x9fd8cf), hex(0x9fd8cf), c::greyDark, c::coral, H::Bald,
                    O::Robot, X::None}));
            continue;
        }
        StaffLook const& s = staff[i];
        all.push_back(person(key, R::Staff,
            {s.skin, s.hair, s.shirt, hex(0x5b6b7a), hex(0x5b3a29), s.apron, s.hair_, O::Apron,
                s.extra}));
    }
    // Pets.
    all.push_back(pet("DOG001",
        {K::Dog, E::Pointy, Pt::None, hex(0xf0a050), hex(0xfff4e0), hex(0xf0a050), c::teal}));
    all.push_back(pet("DOG002",
        {K::Dog, E::Curly, Pt::None, hex(0xf7d2bc), hex(0xfff4ea), hex(0xf0bfa4), c::rose, true}));
    all.push_back(pet("DOG003",
        {K::Dog, E::Floppy, Pt::Spots, hex(0xffffff), hex(0xfff4e0), hex(0x8a5533), c::red}));
    all.push_back(pet("DOG004",
        {K::Dog, E::Floppy, Pt::None, hex(0x4a3a35), hex(0xc9a27a), hex(0x3a2a25), c::honey}));
    all.push_back(pet("CAT001",
        {K::Cat, E::Pointy, Pt::Stripes, hex(0xffa94d), hex(0xfff4e0), hex(0xd9722a), c::blue}));
    all.push_back(pet("CAT002",
        {K::Cat, E::Pointy, Pt::Socks, hex(0x8c8c9a), hex(0xffffff), hex(0x6b6b78), c::rose}));
    all.push_back(pet("CAT003",
        {K::Cat, E::Pointy, Pt::Mask, hex(0xfff4e0), hex(0xffffff), hex(0x6b4a3a), c::purple}));
    all.push_back(pet("BUN001",
        {K::Bunny, E::Long, Pt::None, hex(0xf4e8dc), hex(0xffffff), hex(0xd9b89a), c::mint}));
    // Pony days bring ponies (keys must begin with "pony").
    all.push_back(pet("pony001",
        {K::Pony, E::Pointy, Pt::None, hex(0xffc2d8), hex(0xffe6ef), hex(0xffc2d8),
            hex(0x9b6fd6)}));
    all.push_back(pet("pony002",
        {K::Pony, E::Pointy, Pt::None, hex(0xb8e3f5), hex(0xe6f6fc), hex(0xb8e3f5),
            hex(0xffcf5c)}));
    return all;
}

}

std::vector<CastMember> const& cast() {
    static std::vector<CastMember> const all = buildCast();
    return all;
}

CastMember const& castMember(std::string const& key) {
    for (auto const& member : cast())
        if (member.key == key)
            return member;
    throw std::runtime_error("no cast member " + key);
}

}

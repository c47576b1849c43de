#include <foundation/KeyedArchiver.hpp>

#include <base/Exception.hpp>
#include <foundation/AtomicFile.hpp>
#include <foundation/KeyedUnarchiver.hpp>
#include <foundation/PropertyList.hpp>
#include <support/LogCapture.hpp>
#include <support/TempDir.hpp>

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <limits>
#include <map>
#include <string>
#include <vector>

using base::Ref;
using base::Value;
using foundation::Coding;
using foundation::KeyedArchiver;
using foundation::KeyedUnarchiver;

namespace {

// Small archivable records in the manner of the ad clients' ones.
class Location final : public base::Object, public Coding {
public:
    static Ref<Location> create(double x, double y) {
        auto location = base::make<Location>();
        location->x = x;
        location->y = y;
        return location;
    }
    static Ref<Location> initWithCoder(KeyedUnarchiver& coder) {
        auto location = base::make<Location>();
        location->x = coder.decodeDoubleForKey("x");
        location->y = coder.decodeDoubleForKey("y");
        return location;
    }
    void encodeWithCoder(KeyedArchiver& coder) override {
        coder.encodeDouble(x, "x");
        coder.encodeDouble(y, "y");
    }

    double x {0};
    double y {0};

private:
    friend base::Factory;

    Location() = default;
};

class TextStyle final : public base::Object, public Coding {
public:
    static Ref<TextStyle> initWithCoder(KeyedUnarchiver& coder) {
        auto style = base::make<TextStyle>();
        style->fontColor = coder.decodeObjectForKey("fontColor");
        style->fontSize = coder.decodeObjectForKey("fontSize");
        style->location = coder.decodeObjectForKey<Location>("location");
        return style;
    }
    void encodeWithCoder(KeyedArchiver& coder) override {
        coder.encodeObject(fontColor, "fontColor");
        coder.encodeObject(fontSize, "fontSize");
        coder.encodeObject(location, "location");
    }

    Value fontColor;
    Value fontSize;
    Ref<Location> location;

private:
    friend base::Factory;

    TextStyle() = default;
};

class Theme final : public base::Object, public Coding {
public:
    static Ref<Theme> initWithCoder(KeyedUnarchiver& coder) {
        auto theme = base::make<Theme>();
        theme->themeId = coder.decodeObjectForKey("themeId");
        theme->styles = coder.decodeObjectsForKey<TextStyle>("styles");
        theme->places = coder.decodeObjectMapForKey<Location>("places");
        theme->phase = coder.decodeIntForKey("adParsingPhase");
        theme->millis = coder.decodeInt64ForKey("timeIntervalSinceSessionStart");
        theme->accuracy = coder.decodeFloatForKey("accuracy");
        theme->crashed = coder.decodeBoolForKey("crashed");
        theme->expiry = coder.decodeObjectForKey("experation");
        theme->extra = coder.decodeObjectForKey("extra");
        return theme;
    }
    void encodeWithCoder(KeyedArchiver& coder) override {
        coder.encodeObject(themeId, "themeId");
        coder.encodeObject(styles, "styles");
        coder.encodeObject(places, "places");
        coder.encodeInt(phase, "adParsingPhase");
        coder.encodeInt64(millis, "timeIntervalSinceSessionStart");
        coder.encodeFloat(accuracy, "accuracy");
        coder.encodeBool(crashed, "crashed");
        coder.encodeObject(expiry, "experation");
        coder.encodeObject(extra, "extra");
    }

    Value themeId;
    std::vector<Ref<TextStyle>> styles;
    std::vector<std::pair<std::string, Ref<Location>>> places;
    int phase {0};
    std::int64_t millis {0};
    float accuracy {0};
    bool crashed {false};
    Value expiry;
    Value extra;

private:
    friend base::Factory;

    Theme() = default;
};

// Holds another node: a chain, or a loop when it holds itself.
class Node final : public base::Object, public Coding {
public:
    static Ref<Node> initWithCoder(KeyedUnarchiver& coder) {
        auto node = base::make<Node>();
        node->next = coder.decodeObjectForKey<Node>("next");
        return node;
    }
    void encodeWithCoder(KeyedArchiver& coder) override { coder.encodeObject(next, "next"); }

    Ref<Node> next;

private:
    friend base::Factory;

    Node() = default;
};

class Throwing final : public base::Object, public Coding {
public:
    static Ref<Throwing> initWithCoder(KeyedUnarchiver&) {
        throw base::Exception(base::InvalidArgumentException, "refuses to be decoded");
    }
    void encodeWithCoder(KeyedArchiver&) override { }

private:
    friend base::Factory;

    Throwing() = default;
};

class Unregistered final : public base::Object, public Coding {
public:
    void encodeWithCoder(KeyedArchiver&) override { }

private:
    friend base::Factory;

    Unregistered() = default;
};

class KeyedArchive : public testing::Test {
protected:
    KeyedArchive() {
        Coding::registerClass<Location>("KestrelAdLocation");
        Coding::registerClass<TextStyle>("KestrelAdTextStyle");
        Coding::registerClass<Theme>("KestrelAdTheme");
        Coding::registerClass<Node>("Node");
        Coding::registerClass<Throwing>("Throwing");
    }

    static Ref<Theme> sampleTheme() {
        auto theme = base::make<Theme>();
        theme->themeId = Value(17);
        for (int i = 0; i < 3; ++i) {
            auto style = base::make<TextStyle>();
            style->fontColor = Value("#ff00" + std::to_string(i) + "0");
            style->fontSize = Value(12.5 + i);
            style->location = i == 1 ? nullptr : Location::create(i, -i);
            theme->styles.push_back(style);
        }
        theme->places
            = {{"portrait", Location::create(1, 2)}, {"landscape", Location::create(3, 4)}};
        theme->phase = 1;
        theme->millis = std::int64_t(1) << 42;
        theme->accuracy = 0.125f;
        theme->crashed = true;
        theme->expiry = Value(base::Date {1234.0});
        theme->extra = Value(
            base::Dictionary::create({{"b", Value(base::Bytes {9, 8})}, {"a", Value(true)}}));
        return theme;
    }

    static void expectSameTheme(Theme const& back, Theme const& original) {
        EXPECT_EQ(back.themeId, original.themeId);
        ASSERT_EQ(back.styles.size(), original.styles.size());
        for (std::size_t i = 0; i < back.styles.size(); ++i) {
            EXPECT_EQ(back.styles[i]->fontColor, original.styles[i]->fontColor);
            EXPECT_EQ(back.styles[i]->fontSize, original.styles[i]->fontSize);
            ASSERT_EQ(bool(back.styles[i]->location), bool(original.styles[i]->location));
            if (back.styles[i]->location) {
                EXPECT_EQ(back.styles[i]->location->x, original.styles[i]->location->x);
                EXPECT_EQ(back.styles[i]->location->y, original.styles[i]->location->y);
            }
        }
        ASSERT_EQ(back.places.size(), 2u);
        EXPECT_EQ(back.places[0].first, "portrait");
        EXPECT_EQ(back.places[1].second->y, 4.0);
        EXPECT_EQ(back.phase, original.phase);
        EXPECT_EQ(back.millis, original.millis);
        EXPECT_EQ(back.accuracy, original.accuracy);
        EXPECT_EQ(back.crashed, original.crashed);
        EXPECT_EQ(back.expiry, original.expiry);
        EXPECT_EQ(back.extra, original.extra);
    }

    // The archive's property list with every "$class" named from renamed to to.
    static base::Bytes renameClass(
        base::Bytes const& archive, std::string const& from, std::string const& to) {
        auto plist = foundation::PropertyList::propertyListWithData(archive);
        std::function<void(Value const&)> walk = [&](Value const& value) {
            if (auto dictionary = value.dictionary()) {
                if (dictionary->objectForKey("$class") == Value(from))
                    dictionary->setObject("$class", to);
                for (auto const& entry : *dictionary)
                    walk(entry.second);
            } else if (auto array = value.array()) {
                for (auto const& element : *array)
                    walk(element);
            }
        };
        walk(plist);
        return *foundation::PropertyList::dataWithPropertyList(
            plist, foundation::PropertyList::Format::Binary);
    }
};

}

TEST_F(KeyedArchive, KeepsObjectsListsMapsAndValuesUnderTheirKeys) {
    auto theme = sampleTheme();
    auto data = KeyedArchiver::archivedDataWithRootObject(theme);
    ASSERT_TRUE(data);
    auto back = KeyedUnarchiver::unarchiveObjectWithData<Theme>(*data);
    ASSERT_TRUE(back);
    expectSameTheme(*back, *theme);
}

TEST_F(KeyedArchive, WritesAndReadsFiles) {
    test::TempDir dir;
    auto path = (dir / "kestrelCache_adParser.archive").string();
    auto theme = sampleTheme();
    ASSERT_TRUE(KeyedArchiver::archiveRootObject(theme, path));
    auto back = KeyedUnarchiver::unarchiveObjectWithFile<Theme>(path);
    ASSERT_TRUE(back);
    expectSameTheme(*back, *theme);

    // Plain values and lists of objects as roots.
    ASSERT_TRUE(KeyedArchiver::archiveRootObject(Value(base::Date {99.5}), path));
    EXPECT_EQ(KeyedUnarchiver::unarchiveObjectWithFile(path), Value(base::Date {99.5}));
    auto sessions = base::Array::create({Value(base::Bytes {1, 2}), Value(base::Bytes {3})});
    ASSERT_TRUE(KeyedArchiver::archiveRootObject(Value(sessions), path));
    EXPECT_EQ(KeyedUnarchiver::unarchiveObjectWithFile(path), Value(sessions));
    std::vector<Ref<Location>> locations = {Location::create(1, 1), Location::create(2, 2)};
    ASSERT_TRUE(KeyedArchiver::archiveRootObject(locations, path));
    auto reader = KeyedUnarchiver::createForReadingWithFile(path);
    ASSERT_TRUE(reader);
    EXPECT_EQ(reader->decodeObjectsForKey<Location>(KeyedArchiver::rootKey).size(), 2u);
}

TEST_F(KeyedArchive, MissingOrMismatchedKeysDecodeAsNothing) {
    KeyedArchiver archiver;
    archiver.encodeObject(Location::create(1, 2), "location");
    archiver.encodeObject(Value("text"), "text");
    archiver.encodeObject(Ref<Location>(), "nothing");
    auto reader = KeyedUnarchiver::createForReadingWithData(*archiver.encodedData());
    ASSERT_TRUE(reader);
    EXPECT_FALSE(reader->containsValueForKey("missing"));
    EXPECT_TRUE(reader->containsValueForKey("nothing"));
    EXPECT_FALSE(reader->decodeObjectForKey<Location>("nothing"));
    EXPECT_FALSE(reader->decodeObjectForKey<Location>("missing"));
    EXPECT_FALSE(reader->decodeObjectForKey<TextStyle>("location"));
    EXPECT_FALSE(reader->decodeObjectForKey<Location>("text"));
    EXPECT_TRUE(reader->decodeObjectForKey("location").isNull());
    EXPECT_EQ(reader->decodeObjectForKey("text"), Value("text"));
    EXPECT_EQ(reader->decodeIntForKey("text"), 0);
    EXPECT_EQ(reader->decodeDoubleForKey("missing"), 0.0);
    EXPECT_FALSE(reader->decodeBoolForKey("location"));
    EXPECT_TRUE(reader->decodeObjectsForKey<Location>("location").empty());
    EXPECT_TRUE(reader->decodeObjectMapForKey<Location>("text").empty());
}

TEST_F(KeyedArchive, DecodesNumbersAsTheTypeAsks) {
    KeyedArchiver archiver;
    archiver.encodeDouble(-2.75, "real");
    archiver.encodeInt64(std::numeric_limits<std::int64_t>::max(), "big");
    archiver.encodeInt32(-5, "small");
    archiver.encodeBool(true, "flag");
    auto reader = KeyedUnarchiver::createForReadingWithData(*archiver.encodedData());
    ASSERT_TRUE(reader);
    EXPECT_EQ(reader->decodeIntForKey("real"), -2);
    EXPECT_EQ(reader->decodeFloatForKey("real"), -2.75f);
    EXPECT_EQ(reader->decodeInt64ForKey("big"), std::numeric_limits<std::int64_t>::max());
    EXPECT_EQ(reader->decodeInt32ForKey("small"), -5);
    EXPECT_EQ(reader->decodeIntForKey("flag"), 1);
    EXPECT_TRUE(reader->decodeBoolForKey("small"));
}

TEST_F(KeyedArchive, UnknownClassDecodesAsNullWithALogLine) {
    auto data = KeyedArchiver::archivedDataWithRootObject(sampleTheme());
    ASSERT_TRUE(data);
    test::LogCapture log;
    EXPECT_FALSE(KeyedUnarchiver::unarchiveObjectWithData<Theme>(
        renameClass(*data, "KestrelAdTheme", "Vanished")));
    EXPECT_TRUE(log.contains("no class is registered as Vanished"));
    // An unknown class inside a list leaves just that element out.
    auto back = KeyedUnarchiver::unarchiveObjectWithData<Theme>(
        renameClass(*data, "KestrelAdTextStyle", "Vanished"));
    ASSERT_TRUE(back);
    EXPECT_TRUE(back->styles.empty());
    EXPECT_EQ(back->places.size(), 2u);
}

TEST_F(KeyedArchive, ThrowingDecoderGivesNullWithALogLine) {
    auto data = KeyedArchiver::archivedDataWithRootObject(base::make<Throwing>());
    ASSERT_TRUE(data);
    test::LogCapture log;
    EXPECT_FALSE(KeyedUnarchiver::unarchiveObjectWithData<Throwing>(*data));
    EXPECT_TRUE(log.contains("refuses to be decoded"));
}

TEST_F(KeyedArchive, DamagedArchivesGiveNullWithALogLine) {
    auto data = *KeyedArchiver::archivedDataWithRootObject(sampleTheme());
    auto plainList = *foundation::PropertyList::dataWithPropertyList(
        base::Dictionary::create({{"root", Value(1)}}), foundation::PropertyList::Format::Binary);
    auto otherVersion = foundation::PropertyList::propertyListWithData(data);
    otherVersion.dictionary()->setObject("$version", 2);
    std::vector<std::pair<char const*, base::Bytes>> const cases = {
        {"truncated", base::Bytes(data.begin(), data.begin() + std::ptrdiff_t(data.size() / 2))},
        {"empty", base::Bytes()},
        {"a property list but no archive", plainList},
        {"another version",
            *foundation::PropertyList::dataWithPropertyList(
                otherVersion, foundation::PropertyList::Format::Binary)},
    };
    test::TempDir dir;
    for (auto const& [name, bytes] : cases) {
        test::LogCapture log;
        EXPECT_FALSE(KeyedUnarchiver::unarchiveObjectWithData<Theme>(bytes)) << name;
        EXPECT_FALSE(log.lines().empty()) << name;
        auto path = (dir / "damaged.archive").string();
        ASSERT_TRUE(foundation::AtomicFile::write(path, bytes));
        log.clear();
        EXPECT_FALSE(KeyedUnarchiver::unarchiveObjectWithFile<Theme>(path)) << name;
        EXPECT_TRUE(log.contains("cannot read the archive " + path)) << name;
    }
    test::LogCapture log;
    EXPECT_FALSE(
        KeyedUnarchiver::unarchiveObjectWithFile<Theme>((dir / "missing.archive").string()));
    EXPECT_TRUE(
        KeyedUnarchiver::unarchiveObjectWithFile((dir / "missing.archive").string()).isNull());
    EXPECT_TRUE(log.lines().empty());
}

TEST_F(KeyedArchive, RefusesObjectsItCannotWrite) {
    test::TempDir dir;
    auto path = (dir / "out.archive").string();
    test::LogCapture log;
    EXPECT_FALSE(KeyedArchiver::archiveRootObject(base::make<Unregistered>(), path));
    EXPECT_TRUE(log.contains("unregistered class"));

    auto loop = base::make<Node>();
    loop->next = loop;
    log.clear();
    EXPECT_FALSE(KeyedArchiver::archiveRootObject(loop, path));
    EXPECT_TRUE(log.contains("nested deeper"));
    loop->next = nullptr;

    log.clear();
    EXPECT_FALSE(
        KeyedArchiver::archiveRootObject(Value(base::Array::create({Value("\xFF")})), path));
    EXPECT_TRUE(log.contains("not valid UTF-8"));
    EXPECT_FALSE(std::filesystem::exists(path));

    // A chain within the limit is fine.
    auto head = base::make<Node>();
    auto tail = head;
    for (int i = 1; i < KeyedArchiver::maxObjectDepth; ++i) {
        tail->next = base::make<Node>();
        tail = tail->next;
    }
    ASSERT_TRUE(KeyedArchiver::archiveRootObject(head, path));
    int length = 0;
    for (auto node = KeyedUnarchiver::unarchiveObjectWithFile<Node>(path); node; node = node->next)
        ++length;
    EXPECT_EQ(length, KeyedArchiver::maxObjectDepth);
}

#include <foundation/PropertyList.hpp>

#include <foundation/AtomicFile.hpp>
#include <support/LogCapture.hpp>
#include <support/TempDir.hpp>

#include <gtest/gtest.h>
#include <plist/plist.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

using base::Value;
using foundation::PropertyList;
using Format = foundation::PropertyList::Format;

namespace {

std::string dataPath(std::string const& name) {
    return std::string(QUILLABY_TEST_DATA) + "/storage/" + name;
}

base::Bytes bytesOf(std::string_view text) {
    return base::Bytes(text.begin(), text.end());
}

// One value of every kind, with the edges of each that a writer can get wrong.
base::Ref<base::Dictionary> everyKind(bool wholeSecondDates) {
    base::Bytes blob;
    for (int i = 0; i < 1000; ++i)
        blob.push_back(std::uint8_t(i * 7));
    auto nested = base::Dictionary::create();
    nested->setObject("zeta", 1);
    nested->setObject(
        "alpha", base::Array::create({Value(true), Value("x"), Value(base::Array::create())}));
    nested->setObject("empty", base::Dictionary::create());
    auto list = base::Array::create({Value(1), Value("two"), Value(3.5), Value(nested)});
    auto root = base::Dictionary::create();
    // Keys in an order that sorting would change.
    root->setObject("yes", true);
    root->setObject("no", false);
    root->setObject("zero", 0);
    root->setObject("byte", 255);
    root->setObject("short", 256);
    root->setObject("word", 65536);
    root->setObject("long", std::int64_t(1) << 40);
    root->setObject("minusOne", -1);
    root->setObject("int64Max", std::numeric_limits<std::int64_t>::max());
    root->setObject("int64Min", std::numeric_limits<std::int64_t>::min());
    root->setObject("uint64Max", std::numeric_limits<std::uint64_t>::max());
    root->setObject("justPastInt64", std::uint64_t(1) << 63);
    root->setObject("half", 0.5);
    root->setObject("tenth", 0.1);
    root->setObject("huge", -1e300);
    root->setObject("empty", "");
    root->setObject("ascii", "plain text");
    root->setObject("unicode", "caf\u00e9 \u2603 \U0001F419");
    root->setObject("markup", "a < b && c > d\r\n\tend");
    root->setObject("noData", base::Bytes());
    root->setObject("blob", blob);
    root->setObject("date", base::Date {wholeSecondDates ? 298297845.0 : 298297845.25});
    root->setObject("oldDate", base::Date {-978307200.0});
    root->setObject("list", list);
    root->setObject("emptyList", base::Array::create());
    root->setObject("k\u00e9y with spaces & <markup>", "value");
    return root;
}

class RoundTrip : public testing::TestWithParam<Format> { };

std::string formatName(testing::TestParamInfo<Format> const& info) {
    return info.param == Format::XML ? "XML" : "Binary";
}

// A node tree of libplist, freed at the end of the scope.
struct PlistNode {
    plist_t node {nullptr};
    ~PlistNode() {
        if (node)
            plist_free(node);
    }
};

std::string plistString(plist_t node) {
    char* text = nullptr;
    plist_get_string_val(node, &text);
    std::string result = text ? text : "";
    std::free(text);
    return result;
}

}

TEST_P(RoundTrip, KeepsEveryValueKindAndTheKeyOrder) {
    Format format = GetParam();
    auto original = everyKind(format == Format::XML);
    auto bytes = PropertyList::dataWithPropertyList(original, format);
    ASSERT_TRUE(bytes);
    Format found = Format::OpenStep;
    auto back = PropertyList::propertyListWithData(*bytes, &found);
    EXPECT_EQ(found, format);
    ASSERT_TRUE(back.isDictionary());
    EXPECT_EQ(back, Value(original));
    EXPECT_EQ(back.dictionary()->keys(), original->keys());

    auto const& d = *back.dictionary();
    EXPECT_EQ(d["yes"].kind(), Value::Kind::Boolean);
    EXPECT_EQ(d["no"].kind(), Value::Kind::Boolean);
    EXPECT_EQ(d["zero"].kind(), Value::Kind::Integer);
    EXPECT_EQ(d["int64Min"].longLongValue(), std::numeric_limits<std::int64_t>::min());
    EXPECT_EQ(d["minusOne"].kind(), Value::Kind::Integer);
    EXPECT_EQ(d["uint64Max"].kind(), Value::Kind::Unsigned);
    EXPECT_EQ(d["uint64Max"].unsignedLongLongValue(), std::numeric_limits<std::uint64_t>::max());
    EXPECT_EQ(d["justPastInt64"].unsignedLongLongValue(), std::uint64_t(1) << 63);
    EXPECT_EQ(d["half"].kind(), Value::Kind::Real);
    EXPECT_EQ(d["tenth"].doubleValue(), 0.1);
    EXPECT_EQ(*d["markup"].string(), "a < b && c > d\r\n\tend");
    EXPECT_EQ(d["date"].kind(), Value::Kind::Date);
    EXPECT_EQ(d["noData"].kind(), Value::Kind::Data);
}

TEST_P(RoundTrip, WritesAndReadsFiles) {
    test::TempDir dir;
    auto path = (dir / "file.plist").string();
    auto original = everyKind(true);
    ASSERT_TRUE(
        PropertyList::writeToFile(original, path, PropertyList::Atomically::Yes, GetParam()));
    EXPECT_EQ(Value(PropertyList::dictionaryWithContentsOfFile(path)), Value(original));
    ASSERT_TRUE(PropertyList::writeToFile(
        base::Array::create({Value(1)}), path, PropertyList::Atomically::No, GetParam()));
    EXPECT_EQ(PropertyList::arrayWithContentsOfFile(path)->size(), 1u);
}

TEST_P(RoundTrip, KeepsRealsThatNeedEveryDigitAndTheSpecialOnes) {
    std::vector<double> const reals
        = {0.0, -0.0, 1.0 / 3.0, 1e-310, 6.02214076e23, std::numeric_limits<double>::max(),
            std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity()};
    for (double real : reals) {
        auto bytes
            = PropertyList::dataWithPropertyList(base::Array::create({Value(real)}), GetParam());
        ASSERT_TRUE(bytes);
        auto back = PropertyList::propertyListWithData(*bytes);
        ASSERT_TRUE(back.isArray()) << real;
        EXPECT_EQ(back.array()->at(0).doubleValue(), real);
        EXPECT_EQ(std::signbit(back.array()->at(0).doubleValue()), std::signbit(real));
    }
    auto bytes = PropertyList::dataWithPropertyList(
        base::Array::create({Value(std::numeric_limits<double>::quiet_NaN())}), GetParam());
    ASSERT_TRUE(bytes);
    EXPECT_TRUE(
        std::isnan(PropertyList::propertyListWithData(*bytes).array()->at(0).doubleValue()));
}

TEST_P(RoundTrip, KeepsLongStringsAndManyEntries) {
    auto root = base::Dictionary::create();
    std::string longText(100000, 'q');
    longText += "\u00e9";
    for (int i = 0; i < 3000; ++i)
        root->setObject("key" + std::to_string(i),
            i % 2 ? Value(longText.substr(0, std::size_t(i))) : Value(i));
    root->setObject("long", longText);
    auto bytes = PropertyList::dataWithPropertyList(root, GetParam());
    ASSERT_TRUE(bytes);
    EXPECT_EQ(PropertyList::propertyListWithData(*bytes), Value(root));
}

INSTANTIATE_TEST_SUITE_P(
    PropertyList, RoundTrip, testing::Values(Format::XML, Format::Binary), formatName);

TEST(PropertyList, BinaryKeepsTheFractionOfADateAndXMLTheWholeSecond) {
    auto array = base::Array::create({Value(base::Date {298297845.75}), Value(base::Date {-0.5})});
    auto binary = PropertyList::propertyListWithData(
        *PropertyList::dataWithPropertyList(array, Format::Binary));
    EXPECT_EQ(binary, Value(array));
    auto xml = PropertyList::propertyListWithData(
        *PropertyList::dataWithPropertyList(array, Format::XML));
    EXPECT_EQ(xml.array()->at(0), Value(base::Date {298297845.0}));
    EXPECT_EQ(xml.array()->at(1), Value(base::Date {-1.0}));
}

TEST(PropertyList, WritesXMLInTheUsualLayout) {
    auto root = base::Dictionary::create();
    root->setObject("name", "Bo & <Co>");
    root->setObject("list", base::Array::create());
    root->setObject("when", base::Date {0});
    root->setObject("n", -3);
    auto bytes = PropertyList::dataWithPropertyList(root, Format::XML);
    ASSERT_TRUE(bytes);
    EXPECT_EQ(std::string(bytes->begin(), bytes->end()),
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
        "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
        "<plist version=\"1.0\">\n"
        "<dict>\n"
        "\t<key>name</key>\n"
        "\t<string>Bo &amp; &lt;Co&gt;</string>\n"
        "\t<key>list</key>\n"
        "\t<array/>\n"
        "\t<key>when</key>\n"
        "\t<date>2001-01-01T00:00:00Z</date>\n"
        "\t<key>n</key>\n"
        "\t<integer>-3</integer>\n"
        "</dict>\n"
        "</plist>\n");
}

// Files written by another implementation (Python's plistlib).
TEST(PropertyList, ReadsFilesWrittenElsewhere) {
    for (auto name : {"sample-binary.plist", "sample-xml.plist"}) {
        SCOPED_TRACE(name);
        auto dictionary = PropertyList::dictionaryWithContentsOfFile(dataPath(name));
        ASSERT_TRUE(dictionary);
        auto const& d = *dictionary;
        EXPECT_EQ(d.keys(),
            (std::vector<std::string> {"name", "count", "negative", "big", "ratio", "enabled",
                "disabled", "when", "blob", "accented", "list", "nested"}));
        EXPECT_EQ(d["name"], Value("Quillaby"));
        EXPECT_EQ(d["count"], Value(42));
        EXPECT_EQ(d["negative"], Value(-7));
        EXPECT_EQ(d["big"].kind(), Value::Kind::Unsigned);
        EXPECT_EQ(d["big"].unsignedLongLongValue(), std::numeric_limits<std::uint64_t>::max());
        EXPECT_EQ(d["ratio"], Value(0.25));
        EXPECT_EQ(d["enabled"], Value(true));
        EXPECT_EQ(d["disabled"], Value(false));
        // 2010-06-15 12:30:45 UTC.
        EXPECT_EQ(d["when"], Value(base::Date {298297845.0}));
        ASSERT_TRUE(d["blob"].data());
        EXPECT_EQ(d["blob"].data()->size(), 20u);
        EXPECT_EQ(d["blob"].data()->at(19), 19);
        EXPECT_EQ(d["accented"], Value("caf\u00e9 \u2603 \U0001F419"));
        EXPECT_EQ(d["list"].array()->at(2).array()->at(0), Value(3.5));
        EXPECT_EQ(d["nested"].dictionary()->keys(), (std::vector<std::string> {"z", "a"}));
    }
}

TEST(PropertyList, LibplistReadsWhatWeWrite) {
    auto root = base::Dictionary::create();
    root->setObject("text", "caf\u00e9 \u2603 \U0001F419");
    root->setObject("number", 1234567);
    root->setObject("flag", true);
    root->setObject("list", base::Array::create({Value(0.5), Value(base::Bytes {1, 2, 3})}));
    for (auto format : {Format::Binary, Format::XML}) {
        auto bytes = PropertyList::dataWithPropertyList(root, format);
        ASSERT_TRUE(bytes);
        PlistNode parsed;
        if (format == Format::Binary)
            plist_from_bin(reinterpret_cast<char const*>(bytes->data()),
                std::uint32_t(bytes->size()), &parsed.node);
        else
            plist_from_xml(reinterpret_cast<char const*>(bytes->data()),
                std::uint32_t(bytes->size()), &parsed.node);
        ASSERT_NE(parsed.node, nullptr);
        EXPECT_EQ(
            plistString(plist_dict_get_item(parsed.node, "text")), "caf\u00e9 \u2603 \U0001F419");
        std::uint64_t number = 0;
        plist_get_uint_val(plist_dict_get_item(parsed.node, "number"), &number);
        EXPECT_EQ(number, 1234567u);
        std::uint8_t flag = 0;
        plist_get_bool_val(plist_dict_get_item(parsed.node, "flag"), &flag);
        EXPECT_EQ(flag, 1);
        plist_t list = plist_dict_get_item(parsed.node, "list");
        ASSERT_EQ(plist_array_get_size(list), 2u);
        double real = 0;
        plist_get_real_val(plist_array_get_item(list, 0), &real);
        EXPECT_EQ(real, 0.5);
    }
}

TEST(PropertyList, ReadsWhatLibplistWrites) {
    PlistNode root;
    root.node = plist_new_dict();
    plist_dict_set_item(root.node, "text", plist_new_string("h\u00e9llo"));
    plist_dict_set_item(root.node, "negative", plist_new_uint(std::uint64_t(-5)));
    plist_t list = plist_new_array();
    plist_array_append_item(list, plist_new_real(2.5));
    plist_array_append_item(list, plist_new_bool(0));
    plist_dict_set_item(root.node, "list", list);
    char* bytes = nullptr;
    std::uint32_t length = 0;
    plist_to_bin(root.node, &bytes, &length);
    auto binary = PropertyList::propertyListWithData(base::Bytes(bytes, bytes + length));
    std::free(bytes);
    plist_to_xml(root.node, &bytes, &length);
    auto xml = PropertyList::propertyListWithData(base::Bytes(bytes, bytes + length));
    std::free(bytes);
    for (auto const& value : {binary, xml}) {
        ASSERT_TRUE(value.isDictionary());
        EXPECT_EQ(value.dictionary()->objectForKey("text"), Value("h\u00e9llo"));
        EXPECT_EQ(value.dictionary()->objectForKey("negative"), Value(-5));
        EXPECT_EQ(value.dictionary()->objectForKey("list"),
            Value(base::Array::create({Value(2.5), Value(false)})));
    }
}

TEST(PropertyList, TellsADictionaryFileFromAnArrayFile) {
    EXPECT_FALSE(PropertyList::dictionaryWithContentsOfFile(dataPath("array.plist")));
    auto array = PropertyList::arrayWithContentsOfFile(dataPath("array.plist"));
    ASSERT_TRUE(array);
    EXPECT_EQ(Value(array), Value(base::Array::create({Value("a"), Value("b")})));
    EXPECT_FALSE(PropertyList::arrayWithContentsOfFile(dataPath("sample-xml.plist")));
}

TEST(PropertyList, MissingFileGivesNothingWithoutALogLine) {
    test::LogCapture log;
    EXPECT_FALSE(PropertyList::dictionaryWithContentsOfFile(dataPath("no-such.plist")));
    EXPECT_TRUE(PropertyList::propertyListWithContentsOfFile(dataPath("no-such.plist")).isNull());
    EXPECT_TRUE(log.lines().empty());
}

TEST(PropertyList, RefusesMalformedAndTruncatedFilesWithALogLine) {
    for (auto name : {"malformed-xml.plist", "truncated-xml.plist", "truncated-binary.plist"}) {
        SCOPED_TRACE(name);
        test::LogCapture log;
        EXPECT_FALSE(PropertyList::dictionaryWithContentsOfFile(dataPath(name)));
        EXPECT_TRUE(log.contains("cannot read"));
        EXPECT_TRUE(log.contains(name));
    }
    test::TempDir dir;
    auto empty = (dir / "empty.plist").string();
    ASSERT_TRUE(foundation::AtomicFile::write(empty, base::Bytes()));
    test::LogCapture log;
    EXPECT_TRUE(PropertyList::propertyListWithContentsOfFile(empty).isNull());
    EXPECT_TRUE(log.contains("no data"));
}

TEST(PropertyList, RefusesEveryShortenedBinaryFile) {
    auto bytes = *PropertyList::dataWithPropertyList(everyKind(false), Format::Binary);
    test::LogCapture log;
    for (std::size_t length = 0; length < bytes.size(); ++length) {
        auto value = PropertyList::propertyListWithData(
            base::Bytes(bytes.begin(), bytes.begin() + std::ptrdiff_t(length)));
        // The first five bytes alone ("bplis") read as an old-style bare word.
        EXPECT_TRUE(length < 6 ? !value.isDictionary() : value.isNull()) << length;
    }
}

TEST(PropertyList, RefusesEveryXMLFileCutBeforeItsEnd) {
    auto bytes = *PropertyList::dataWithPropertyList(everyKind(true), Format::XML);
    std::string text(bytes.begin(), bytes.end());
    auto end = text.rfind("</plist>");
    test::LogCapture log;
    for (std::size_t length = 0; length < end; length += 7) {
        auto value = PropertyList::propertyListWithData(bytesOf(text.substr(0, length)));
        EXPECT_FALSE(value.isDictionary()) << length;
    }
}

TEST(PropertyList, SurvivesEveryByteOfABinaryFileChanged) {
    auto original = *PropertyList::dataWithPropertyList(everyKind(false), Format::Binary);
    test::LogCapture log;
    for (std::size_t i = 0; i < original.size(); ++i) {
        for (std::uint8_t flip : {0x01, 0x80, 0xFF}) {
            auto bytes = original;
            bytes[i] ^= flip;
            // Whatever comes back, reading must neither crash nor run away.
            PropertyList::propertyListWithData(bytes);
        }
    }
}

TEST(PropertyList, RefusesMalformedXML) {
    std::string const head = "<?xml version=\"1.0\"?><plist version=\"1.0\">";
    std::string const tail = "</plist>";
    std::string deepArrays;
    for (int i = 0; i < 600; ++i)
        deepArrays = "<array>" + deepArrays + "</array>";
    struct Case {
        char const* name;
        std::string body;
    };
    std::vector<Case> const cases = {
        {"unknown element", "<dict><key>a</key><thing/></dict>"},
        {"key without value", "<dict><key>a</key></dict>"},
        {"value without key", "<dict><string>a</string></dict>"},
        {"two keys", "<dict><key>a</key><key>b</key><true/></dict>"},
        {"key in array", "<array><key>a</key></array>"},
        {"two top values", "<string>a</string><string>b</string>"},
        {"no value", ""},
        {"bad integer", "<integer>12abc</integer>"},
        {"empty integer", "<integer></integer>"},
        {"integer too large", "<integer>18446744073709551616</integer>"},
        {"integer too small", "<integer>-9223372036854775809</integer>"},
        {"bad real", "<real>1.5.5</real>"},
        {"bad date", "<date>2010-13-01T00:00:00Z</date>"},
        {"bad day", "<date>2011-02-29T00:00:00Z</date>"},
        {"bad data", "<data>!!!!</data>"},
        {"text outside values", "<array>loose</array>"},
        {"element inside text", "<string>a<b/></string>"},
        {"text in true", "<true>yes</true>"},
        {"unclosed", "<array><string>a</string>"},
        {"nested too deeply", deepArrays},
    };
    test::LogCapture log;
    for (auto const& c : cases) {
        log.clear();
        EXPECT_TRUE(PropertyList::propertyListWithData(bytesOf(head + c.body + tail)).isNull())
            << c.name;
        EXPECT_TRUE(log.contains("cannot read XML property list")) << c.name;
    }
}

TEST(PropertyList, ReadsXMLNumbersDatesAndTextAsOtherWritersWriteThem) {
    auto value
        = PropertyList::propertyListWithData(bytesOf("<plist><array>"
                                                     "<integer> 0x1F </integer>"
                                                     "<integer>-9223372036854775808</integer>"
                                                     "<real>+infinity</real>"
                                                     "<real>-INF</real>"
                                                     "<real>1e999</real>"
                                                     "<real>2</real>"
                                                     "<date>2001-01-01T00:00:01.5Z</date>"
                                                     "<string><![CDATA[<raw> & text]]></string>"
                                                     "<string>&#x263A;&lt;</string>"
                                                     "<data>AQID\n BA==</data>"
                                                     "<!-- a comment -->"
                                                     "</array></plist>"));
    ASSERT_TRUE(value.isArray());
    auto const& a = *value.array();
    EXPECT_EQ(a[0], Value(31));
    EXPECT_EQ(a[1].longLongValue(), std::numeric_limits<std::int64_t>::min());
    EXPECT_EQ(a[2].doubleValue(), std::numeric_limits<double>::infinity());
    EXPECT_EQ(a[3].doubleValue(), -std::numeric_limits<double>::infinity());
    EXPECT_EQ(a[4].doubleValue(), std::numeric_limits<double>::infinity());
    EXPECT_EQ(a[5].kind(), Value::Kind::Real);
    EXPECT_EQ(a[6], Value(base::Date {1.5}));
    EXPECT_EQ(a[7], Value("<raw> & text"));
    EXPECT_EQ(a[8], Value("\u263A<"));
    EXPECT_EQ(a[9], Value(base::Bytes {1, 2, 3, 4}));
}

TEST(PropertyList, RefusesXMLListsThatDeclareEntities) {
    struct Case {
        char const* what;
        char const* subset;
        bool read;
    };
    Case const cases[] = {
        {"an internal entity", "<!ENTITY name \"Quillaby\">", false},
        {"an external entity", "<!ENTITY name SYSTEM \"file:///etc/passwd\">", false},
        {"a parameter entity", "<!ENTITY % name \"x\">", false},
        {"only an element declaration", "<!ELEMENT plist ANY>", true},
    };
    for (auto const& c : cases) {
        std::string list = std::string("<?xml version=\"1.0\"?><!DOCTYPE plist [") + c.subset
            + "]><plist><string>text</string></plist>";
        test::LogCapture log;
        auto value = PropertyList::propertyListWithData(bytesOf(list));
        EXPECT_EQ(value, c.read ? Value("text") : Value()) << c.what;
        EXPECT_EQ(log.contains("declared"), !c.read) << c.what;
    }
}

TEST(PropertyList, RefusesEntityExpansionInXML) {
    std::string bomb = "<?xml version=\"1.0\"?><!DOCTYPE plist [<!ENTITY a "
                       "\"aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa\">";
    char previous = 'a';
    for (char name = 'b'; name <= 'k'; ++name) {
        bomb += std::string("<!ENTITY ") + name + " \"";
        for (int i = 0; i < 10; ++i)
            bomb += std::string("&") + previous + ";";
        bomb += "\">";
        previous = name;
    }
    bomb += "]><plist><string>&k;</string></plist>";
    test::LogCapture log;
    EXPECT_TRUE(PropertyList::propertyListWithData(bytesOf(bomb)).isNull());
}

namespace {

// A binary list built by hand: objects given as their bytes, references one byte wide.
base::Bytes binaryList(std::vector<base::Bytes> const& objects, std::uint64_t top = 0,
    std::uint8_t offsetWidth = 1, std::uint8_t referenceWidth = 1) {
    base::Bytes out = bytesOf("bplist00");
    std::vector<std::uint64_t> offsets;
    for (auto const& object : objects) {
        offsets.push_back(out.size());
        out.insert(out.end(), object.begin(), object.end());
    }
    std::uint64_t table = out.size();
    for (auto offset : offsets) {
        for (int i = offsetWidth - 1; i >= 0; --i)
            out.push_back(i < 8 ? std::uint8_t(offset >> (8 * i)) : 0);
    }
    out.insert(out.end(), 6, 0);
    out.push_back(offsetWidth);
    out.push_back(referenceWidth);
    for (auto field : {std::uint64_t(objects.size()), top, table}) {
        for (int i = 7; i >= 0; --i)
            out.push_back(std::uint8_t(field >> (8 * i)));
    }
    return out;
}

}

TEST(PropertyList, ReadsAHandBuiltBinaryList) {
    // ["ab", 5, {"ab": true}] with the string shared.
    auto bytes = binaryList({{0xA3, 1, 2, 3}, {0x52, 'a', 'b'}, {0x10, 5}, {0xD1, 1, 4}, {0x09}});
    EXPECT_EQ(PropertyList::propertyListWithData(bytes),
        Value(base::Array::create(
            {Value("ab"), Value(5), Value(base::Dictionary::create({{"ab", Value(true)}}))})));
}

TEST(PropertyList, AsciiMarkedStringsHoldingUtf8ReadAsUtf8AndOtherBytesAsLatin1) {
    struct Case {
        char const* what;
        base::Bytes bytes;
        char const* expected;
    };
    Case const cases[] = {
        // "90’s Music", written by a tool that marks UTF-8 as ASCII.
        {"UTF-8 apostrophe", {0x5C, '9', '0', 0xE2, 0x80, 0x99, 's', ' ', 'M', 'u', 's', 'i', 'c'},
            "90\u2019s Music"},
        {"UTF-8 copyright", {0x57, 0xC2, 0xA9, ' ', '2', '0', '0', '7'}, "\u00A9 2007"},
        {"Latin-1 e acute", {0x54, 'c', 'a', 'f', 0xE9}, "caf\u00E9"},
        {"a lone continuation byte", {0x52, 'a', 0x99}, "a\u0099"},
        {"a cut sequence", {0x52, 'a', 0xE2}, "a\u00E2"},
        {"plain ASCII", {0x52, 'o', 'k'}, "ok"},
    };
    for (auto const& c : cases) {
        EXPECT_EQ(PropertyList::propertyListWithData(binaryList({c.bytes})), Value(c.expected))
            << c.what;
    }
}

TEST(PropertyList, RefusesHostileBinaryLists) {
    struct Case {
        char const* name;
        base::Bytes bytes;
    };
    std::vector<Case> cases = {
        {"array holding itself", binaryList({{0xA1, 0}})},
        {"cycle through two arrays", binaryList({{0xA1, 1}, {0xA1, 0}})},
        {"reference out of range", binaryList({{0xA1, 9}})},
        {"top out of range", binaryList({{0x09}}, 3)},
        {"length past the end",
            binaryList({{0x5F, 0x13, 0x7F, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}})},
        {"count past the end", binaryList({{0xAF, 0x12, 0xFF, 0xFF, 0xFF, 0xFF}})},
        {"zero reference width", binaryList({{0x09}}, 0, 1, 0)},
        {"nine-byte offsets", binaryList({{0x09}}, 0, 9, 1)},
        {"key that is not a string", binaryList({{0xD1, 1, 1}, {0x10, 1}})},
        {"unknown marker", binaryList({{0x70}})},
        {"integer wider than 128 bits",
            binaryList({{0x15, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                0, 0, 0, 0, 0, 0, 0, 0, 1}})},
        {"integer past 64 bits",
            binaryList({{0x14, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0}})},
        {"only a header", bytesOf("bplist00")},
        {"other version", bytesOf("bplist15 and more bytes than the trailer needs to have..")},
    };
    // Deep nesting: each array holds the next.
    std::vector<base::Bytes> deep;
    for (int i = 0; i < 20000; ++i)
        deep.push_back(i + 1 < 20000
                ? base::Bytes {0xA1, std::uint8_t((i + 1) >> 8), std::uint8_t(i + 1)}
                : base::Bytes {0xA0});
    cases.push_back({"nested too deeply", binaryList(deep, 0, 4, 2)});
    // Shared containers: sixty levels of arrays that hold the level below twice would
    // expand to 2^60 values.
    std::vector<base::Bytes> bomb;
    for (int i = 0; i < 60; ++i)
        bomb.push_back(i + 1 < 60 ? base::Bytes {0xA2, std::uint8_t(i + 1), std::uint8_t(i + 1)}
                                  : base::Bytes {0x09});
    cases.push_back({"expanding shared containers", binaryList(bomb)});

    test::LogCapture log;
    for (auto const& c : cases) {
        log.clear();
        auto start = std::chrono::steady_clock::now();
        EXPECT_TRUE(PropertyList::propertyListWithData(c.bytes).isNull()) << c.name;
        EXPECT_TRUE(log.contains("cannot read binary property list")) << c.name;
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5)) << c.name;
    }
}

TEST(PropertyList, RefusesToWriteWhatTheFormCannotHold) {
    auto withNull = base::Array::create({Value(1), Value()});
    auto cyclic = base::Array::create();
    cyclic->add(cyclic);
    auto badText = base::Array::create({Value(std::string("\xFF\xFE"))});
    auto control = base::Array::create({Value("bell\a")});
    auto farDate = base::Array::create({Value(base::Date {1e15})});
    struct Case {
        char const* name;
        Value value;
        bool binary;
        bool xml;
    };
    std::vector<Case> const cases = {
        {"null inside", withNull, false, false},
        {"null alone", Value(), false, false},
        {"collection holding itself", cyclic, false, false},
        {"text that is not UTF-8", badText, false, false},
        {"control character", control, true, false},
        {"date past the year 9999", farDate, true, false},
    };
    test::LogCapture log;
    for (auto const& c : cases) {
        EXPECT_EQ(PropertyList::dataWithPropertyList(c.value, Format::Binary).has_value(), c.binary)
            << c.name;
        EXPECT_EQ(PropertyList::dataWithPropertyList(c.value, Format::XML).has_value(), c.xml)
            << c.name;
        EXPECT_EQ(PropertyList::isValidPropertyList(c.value, Format::Binary), c.binary) << c.name;
        EXPECT_EQ(PropertyList::isValidPropertyList(c.value, Format::XML), c.xml) << c.name;
    }
    EXPECT_TRUE(log.contains("cannot write"));
    cyclic->removeAll();
}

TEST(PropertyList, FailedWriteLeavesTheOldFile) {
    test::TempDir dir;
    auto path = (dir / "keep.plist").string();
    ASSERT_TRUE(PropertyList::writeToFile(base::Array::create({Value("old")}), path));
    test::LogCapture log;
    EXPECT_FALSE(PropertyList::writeToFile(base::Array::create({Value("new\a")}), path));
    EXPECT_FALSE(PropertyList::writeToFile(
        base::Array::create({Value("x")}), (dir / "missing/x.plist").string()));
    EXPECT_EQ(Value(PropertyList::arrayWithContentsOfFile(path)),
        Value(base::Array::create({Value("old")})));
    EXPECT_TRUE(log.contains("nothing written"));
}

TEST(PropertyList, ReadsOldStyleLists) {
    struct Case {
        char const* name;
        std::string text;
        Value expected;
    };
    std::vector<Case> const cases = {
        {"dictionary", "{ a = b; \"c d\" = \"e f\"; }",
            base::Dictionary::create({{"a", Value("b")}, {"c d", Value("e f")}})},
        {"array with trailing comma", "( one, \"two\", )",
            base::Array::create({Value("one"), Value("two")})},
        {"data", "<0fbd 7a>", Value(base::Bytes {0x0f, 0xbd, 0x7a})},
        {"nested", "{ list = ( { x = 1; } ); empty = {}; none = (); }",
            base::Dictionary::create({{"list",
                                          Value(base::Array::create({Value(
                                              base::Dictionary::create({{"x", Value("1")}}))}))},
                {"empty", Value(base::Dictionary::create())},
                {"none", Value(base::Array::create())}})},
        {"single string", "  \"just text\"  ", Value("just text")},
        {"comments", "// first\n{ /* inside */ a = b; // after\n}",
            base::Dictionary::create({{"a", Value("b")}})},
        {"string table", "\"A\" = \"1\";\nB = 2;",
            base::Dictionary::create({{"A", Value("1")}, {"B", Value("2")}})},
        {"only comments", "/* nothing here */\n// at all\n", base::Dictionary::create()},
    };
    for (auto const& c : cases) {
        Format found = Format::XML;
        EXPECT_EQ(PropertyList::propertyListWithData(bytesOf(c.text), &found), c.expected)
            << c.name;
        EXPECT_EQ(found, Format::OpenStep) << c.name;
    }
}

TEST(PropertyList, RefusesMalformedOldStyleLists) {
    std::vector<std::string> const cases = {
        "{ a = b }",
        "{ a = b; ",
        "\"open",
        "( a b )",
        "( a, ",
        "<0fb>",
        "<0fxx>",
        "/* never closed",
        "\"A\" = \"1\"\n\"B\" = \"2\";",
        "{ a = b; } extra",
        "a = ;",
        std::string("\xC3\x28 = b;"),
    };
    test::LogCapture log;
    for (auto const& text : cases) {
        log.clear();
        EXPECT_TRUE(PropertyList::propertyListWithData(bytesOf(text)).isNull()) << text;
        EXPECT_TRUE(log.contains("cannot read old-style property list")) << text;
    }
    std::string deep(2000, '(');
    EXPECT_TRUE(PropertyList::propertyListWithData(bytesOf(deep)).isNull());
}

TEST(PropertyList, ReadsStringTablesWithEscapesAndComments) {
    auto table = PropertyList::stringsTableWithContentsOfFile(dataPath("strings-utf8.strings"));
    ASSERT_TRUE(table);
    EXPECT_EQ(table->objectForKey("BUTTON_OK"), Value("OK"));
    EXPECT_EQ(table->objectForKey("BUTTON_CANCEL"), Value("Annuler"));
    EXPECT_EQ(table->objectForKey("ESCAPES"), Value("say \"hi\" \\ next\nline\ttab \u00e9 A"));
    EXPECT_EQ(table->objectForKey("SMILE"), Value("\U0001F600"));
    EXPECT_EQ(table->objectForKey("BARE_KEY"), Value("bare.value-1"));
    EXPECT_EQ(table->objectForKey("SELF"), Value("SELF"));
    EXPECT_EQ(table->objectForKey("MULTI\nLINE"), Value("value with // no comment /* inside */"));
    EXPECT_EQ(table->size(), 7u);
}

// \U escapes give UTF-16 units: a pair joins into one character, and a unit left
// without its partner becomes U+FFFD rather than text that is not UTF-8.
TEST(PropertyList, JoinsEscapedSurrogatePairsAndReplacesLoneOnes) {
    struct Case {
        char const* text;
        char const* expected;
    };
    std::vector<Case> const cases = {
        {R"("\UD83D\UDE00")", "\U0001F600"},
        {R"("a\UD83Db")", "a\uFFFDb"},
        {R"("\UDE00\UD83D")", "\uFFFD\uFFFD"},
        {R"("\UD83D\UD83D\UDE00")", "\uFFFD\U0001F600"},
        {R"("\UD83D\101")", "\uFFFDA"},
        {R"("\UD83D\n")", "\uFFFD\n"},
        {"\"\\UD83D\U0001F600\"", "\uFFFD\U0001F600"},
        {R"("x\UD83D")", "x\uFFFD"},
    };
    for (auto const& c : cases)
        EXPECT_EQ(PropertyList::propertyListWithData(bytesOf(c.text)), Value(c.expected)) << c.text;
}

TEST(PropertyList, ReadsStringTablesInUtf16OfEitherByteOrder) {
    for (auto name : {"strings-utf16le.strings", "strings-utf16be.strings"}) {
        auto table = PropertyList::stringsTableWithContentsOfFile(dataPath(name));
        ASSERT_TRUE(table) << name;
        EXPECT_EQ(table->objectForKey("HELLO"), Value("Gr\u00fc\u00df dich")) << name;
        EXPECT_EQ(table->objectForKey("SNOWMAN"), Value("\u2603")) << name;
    }
}

TEST(PropertyList, StringTablesKeepOnlyStringsAndMayBeEmpty) {
    auto table = PropertyList::stringsTableWithData(bytesOf("{ a = b; list = (c); }"));
    ASSERT_TRUE(table);
    EXPECT_EQ(table->keys(), std::vector<std::string> {"a"});
    EXPECT_TRUE(PropertyList::stringsTableWithData(base::Bytes())->empty());
    test::LogCapture log;
    EXPECT_FALSE(PropertyList::stringsTableWithData(bytesOf("( a, b )")));
    EXPECT_FALSE(PropertyList::stringsTableWithData(bytesOf("\"A\" = ")));
}

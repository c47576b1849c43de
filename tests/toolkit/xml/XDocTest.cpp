#include <toolkit/xml/XDoc.hpp>

#include <gtest/gtest.h>

#include <string>
#include <vector>

using toolkit::xml::XDoc;
using toolkit::xml::XDocAttribute;
using toolkit::xml::XDocElement;

namespace {

std::string name(XDocElement const* element) {
    return XDoc::elementName(element);
}

std::string text(XDocElement const* element) {
    return XDoc::textForElement(element);
}

std::vector<std::string> childNames(XDocElement const* parent) {
    std::vector<std::string> names;
    for (auto child = parent->firstChild; child; child = child->nextSibling)
        names.push_back(name(child));
    return names;
}

}

TEST(XDoc, FindsChildrenAndSiblingsByName) {
    auto doc = XDoc::xdocWithXMLString("<a><b>1</b><c>x</c><b>2</b></a>");
    auto root = doc->rootXMLElement();
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(name(root), "a");
    EXPECT_EQ(root->text, nullptr);
    auto first = XDoc::childElementNamed("b", root);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(text(first), "1");
    EXPECT_EQ(first->parentElement, root);
    auto second = XDoc::nextSiblingNamed("b", first);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(text(second), "2");
    EXPECT_EQ(XDoc::nextSiblingNamed("b", second), nullptr);
    EXPECT_EQ(XDoc::childElementNamed("c", root)->previousSibling, first);
    EXPECT_EQ(root->currentChild, second);
    // Names compare as whole byte strings.
    EXPECT_EQ(XDoc::childElementNamed("bb", root), nullptr);
    EXPECT_EQ(XDoc::childElementNamed("", root), nullptr);
    EXPECT_EQ(XDoc::childElementNamed("b", nullptr), nullptr);
    EXPECT_EQ(XDoc::nextSiblingNamed("b", nullptr), nullptr);
}

TEST(XDoc, ReadsTextsAsWrittenWithWhiteSpaceTrimmed) {
    struct Case {
        char const* document;
        char const* text;
    };
    Case const cases[] = {
        {"<a>   x   </a>", "x"},
        {"<a>\t\r\n\v\f x y \n</a>", "x y"},
        {"<a>hi<b/></a>", "hi"},
        {"<a><![CDATA[1<2]]></a>", "1<2"},
        {"<a>x<![CDATA[<y>]]>z</a>", "x<y>z"},
        {"<a><![CDATA[1]]><![CDATA[2]]></a>", "12"},
        {"<a><![CDATA[]]></a>", ""},
        {"<a>Tom &amp; Jerry &#65;</a>", "Tom &amp; Jerry &#65;"},
        {"<a></a>", ""},
        {"<?xml version=\"1.0\"?><!DOCTYPE a><a>v</a>", "v"},
        {"<a>v</b>", "v"},
        {"<a>caf\xC3\xA9</a>", "caf\xC3\xA9"},
    };
    for (auto const& c : cases) {
        auto doc = XDoc::xdocWithXMLString(c.document);
        ASSERT_NE(doc->rootXMLElement(), nullptr) << c.document;
        EXPECT_EQ(text(doc->rootXMLElement()), c.text) << c.document;
    }
}

TEST(XDoc, CommentsAreSkippedAndTheirTagsIgnored) {
    auto doc = XDoc::xdocWithXMLString("<!-- <x> --><a><!-- <b>not</b> --><c>1</c></a>");
    auto root = doc->rootXMLElement();
    EXPECT_EQ(name(root), "a");
    EXPECT_EQ(childNames(root), std::vector<std::string>({"c"}));
}

TEST(XDoc, KeepsQuotedAttributesInDocumentOrder) {
    auto doc = XDoc::xdocWithXMLString(
        "<a one=\"1\" two='2' three = \"x<![CDATA[\"q\"]]>y\" empty=\"\" bare=3>t</a>");
    auto root = doc->rootXMLElement();
    EXPECT_EQ(name(root), "a");
    EXPECT_EQ(text(root), "t");
    std::vector<std::pair<std::string, std::string>> attributes;
    for (auto attribute = root->firstAttribute; attribute; attribute = attribute->next)
        attributes.emplace_back(XDoc::attributeName(attribute), XDoc::attributeValue(attribute));
    EXPECT_EQ(attributes,
        (std::vector<std::pair<std::string, std::string>> {
            {"one", "1"}, {"two", "2"}, {"three", "x\"q\"y"}, {"empty", ""}}));
    EXPECT_EQ(XDoc::valueOfAttributeNamed("two", root), "2");
    EXPECT_EQ(XDoc::valueOfAttributeNamed("bare", root), std::nullopt);
    EXPECT_EQ(XDoc::valueOfAttributeNamed("one", nullptr), std::nullopt);
    EXPECT_EQ(XDoc::attributeName(nullptr), "");
    EXPECT_EQ(XDoc::attributeValue(nullptr), "");
}

TEST(XDoc, SelfClosingElementsHaveNoTextAndNoChildren) {
    auto doc = XDoc::xdocWithXMLString("<a><b x=\"1\"/><c/><d></d></a>");
    auto root = doc->rootXMLElement();
    EXPECT_EQ(childNames(root), std::vector<std::string>({"b", "c", "d"}));
    auto b = XDoc::childElementNamed("b", root);
    EXPECT_EQ(b->text, nullptr);
    EXPECT_EQ(b->firstChild, nullptr);
    EXPECT_EQ(XDoc::valueOfAttributeNamed("x", b), "1");
    EXPECT_EQ(XDoc::negativeNumberForUnknownElement(XDoc::childElementNamed("c", root)), -1);
    EXPECT_EQ(XDoc::negativeNumberForUnknownElement(XDoc::childElementNamed("d", root)), 0);
}

TEST(XDoc, ReadsNumbersAndFlags) {
    struct Case {
        char const* text;
        int number;
        bool flag;
    };
    Case const cases[] = {
        {"42", 42, false},
        {" -7 apples", -7, false},
        {"abc", 0, false},
        {"99999999999", 2147483647, false},
        {"true", 0, true},
        {"TrUe", 0, true},
        {"YES", 0, true},
        {"yes", 0, true},
        {"1", 1, false},
        {"no", 0, false},
    };
    for (auto const& c : cases) {
        auto doc = XDoc::xdocWithXMLString("<n>" + std::string(c.text) + "</n>");
        auto root = doc->rootXMLElement();
        EXPECT_EQ(XDoc::numberForElement(root), c.number) << c.text;
        EXPECT_EQ(XDoc::negativeNumberForUnknownElement(root), c.number) << c.text;
        EXPECT_EQ(XDoc::boolForElement(root), c.flag) << c.text;
    }
    EXPECT_EQ(XDoc::numberForElement(nullptr), 0);
    EXPECT_EQ(XDoc::negativeNumberForUnknownElement(nullptr), -1);
    EXPECT_FALSE(XDoc::boolForElement(nullptr));
    EXPECT_EQ(XDoc::elementName(nullptr), "");
    EXPECT_EQ(XDoc::textForElement(nullptr), "");
}

TEST(XDoc, EndTagsCloseTheOpenElementWhateverTheirName) {
    auto doc = XDoc::xdocWithXMLString("<a><b>1</x><c>2</c></a>");
    auto root = doc->rootXMLElement();
    EXPECT_EQ(childNames(root), std::vector<std::string>({"b", "c"}));
}

TEST(XDoc, ASecondTopLevelElementIsNotReachableFromTheRoot) {
    auto doc = XDoc::xdocWithXMLString("<a>1</a><z>2</z>");
    auto root = doc->rootXMLElement();
    EXPECT_EQ(name(root), "a");
    EXPECT_EQ(root->nextSibling, nullptr);
    EXPECT_EQ(root->firstChild, nullptr);
    auto second = &doc->rootXMLElement()[1];
    EXPECT_EQ(name(second), "z");
    EXPECT_EQ(second->parentElement, nullptr);
    EXPECT_EQ(second->previousSibling, nullptr);
}

TEST(XDoc, TwoHundredFiftyElementsFillThreeBlocks) {
    std::string document = "<list>";
    for (int i = 1; i < 250; ++i)
        document += "<i>" + std::to_string(i) + "</i>";
    document += "</list>";
    auto doc = XDoc::xdocWithXMLString(document);
    EXPECT_EQ(doc->elementBufferCount(), 3u);
    int expected = 1;
    for (auto item = XDoc::childElementNamed("i", doc->rootXMLElement()); item;
         item = XDoc::nextSiblingNamed("i", item))
        EXPECT_EQ(XDoc::numberForElement(item), expected++);
    EXPECT_EQ(expected, 250);
}

TEST(XDoc, AttributesComeFromBlocksOfAHundred) {
    std::string document = "<a";
    for (int i = 0; i < 150; ++i)
        document += " k" + std::to_string(i) + "=\"" + std::to_string(i) + "\"";
    document += "/>";
    auto doc = XDoc::xdocWithXMLString(document);
    EXPECT_EQ(doc->attributeBufferCount(), 2u);
    EXPECT_EQ(XDoc::valueOfAttributeNamed("k149", doc->rootXMLElement()), "149");
}

TEST(XDoc, DocumentsWithoutElementsHaveNoRoot) {
    for (char const* document : {"", "plain text", "<?xml version=\"1.0\"?>", "<!-- c -->"}) {
        auto doc = XDoc::xdocWithXMLString(document);
        EXPECT_EQ(doc->rootXMLElement(), nullptr) << document;
        EXPECT_EQ(doc->elementBufferCount(), 0u);
    }
}

TEST(XDoc, ANulByteEndsTheDocument) {
    std::string document("<a>1</a>\0<b>2</b>", 17);
    auto doc = XDoc::xdocWithXMLData(document);
    EXPECT_EQ(doc->bytesLength(), 17u);
    EXPECT_EQ(text(doc->rootXMLElement()), "1");
    EXPECT_EQ(doc->elementBufferCount(), 1u);
    EXPECT_EQ(name(&doc->rootXMLElement()[1]), "");
}

// Unterminated constructs end the parse; what was read before them stays whole, and
// nothing is read or written outside the document (the sanitizer build checks that).
TEST(XDoc, UnterminatedConstructsStopTheParseKeepingEarlierRecords) {
    struct Case {
        char const* document;
        std::vector<std::string> children;
    };
    Case const cases[] = {
        {"<a><b>1</b><!-- never closed <c/>", {"b"}},
        {"<a><b>1</b><![CDATA[ never closed <c/>", {"b"}},
        {"<a><b>1</b><c x=\"", {"b"}},
        {"<a><b>1</b><c", {"b"}},
        {"<a><b>1</b><c x='<![CDATA[>'/>", {"b"}},
        {"<a><b>1</b><![CDATA[x]]>", {"b"}},
        {"<a><b>1</b><![CDATA[x]]><![CDATA[y", {"b"}},
    };
    for (auto const& c : cases) {
        auto doc = XDoc::xdocWithXMLString(c.document);
        auto root = doc->rootXMLElement();
        ASSERT_NE(root, nullptr) << c.document;
        EXPECT_EQ(childNames(root), c.children) << c.document;
        EXPECT_EQ(text(XDoc::childElementNamed("b", root)), "1") << c.document;
    }
}

TEST(XDoc, ReadsAnOfferWallReply) {
    auto doc = XDoc::xdocWithXMLString(R"(<?xml version="1.0" encoding="UTF-8"?>
<offers count="2">
  <offer id="7">
    <title><![CDATA[Install & play <Quest>]]></title>
    <points>150</points>
    <free>true</free>
  </offer>
  <offer id="8">
    <title>Rate us</title>
    <points>25</points>
  </offer>
</offers>)");
    auto root = doc->rootXMLElement();
    EXPECT_EQ(name(root), "offers");
    EXPECT_EQ(XDoc::valueOfAttributeNamed("count", root), "2");
    auto offer = XDoc::childElementNamed("offer", root);
    EXPECT_EQ(XDoc::valueOfAttributeNamed("id", offer), "7");
    EXPECT_EQ(text(XDoc::childElementNamed("title", offer)), "Install & play <Quest>");
    EXPECT_EQ(XDoc::numberForElement(XDoc::childElementNamed("points", offer)), 150);
    EXPECT_TRUE(XDoc::boolForElement(XDoc::childElementNamed("free", offer)));
    offer = XDoc::nextSiblingNamed("offer", offer);
    EXPECT_EQ(text(XDoc::childElementNamed("title", offer)), "Rate us");
    EXPECT_EQ(XDoc::negativeNumberForUnknownElement(XDoc::childElementNamed("free", offer)), -1);
    EXPECT_EQ(XDoc::nextSiblingNamed("offer", offer), nullptr);
}

#pragma once

#include <base/Object.hpp>
#include <base/Ref.hpp>
#include <base/Value.hpp>
#include <foundation/XMLParser.hpp>

#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace serverkit {

// One news item of an RSS feed.
struct RSSItem {
    std::string title;
    std::string link;
    std::string description;
    std::string pubDate;
    std::string lastBuildDate;

    bool operator==(RSSItem const&) const = default;
};

// Reads an RSS feed into its items, in document order. Every "item" element gives
// one item; inside it, the pieces of "title" text are joined, "link", "pubDate" and
// "lastBuildDate" keep their last piece, and the CDATA of "description" is the
// description (empty when it is not UTF-8). Text outside an open item is dropped, so a
// channel's own title after its items never reaches an item. A feed that cannot be
// fetched (no reply, a status outside 2xx) or is not well-formed XML gives no items.
// Made and read on any one thread at a time; the fetch blocks, so it belongs on a
// worker thread. The items are handed out by value, so other threads may keep them.
class RSSParser final : public base::Object, private foundation::XMLParserDelegate {
public:
    // Fetches url (ignoring every cache, without touching any process-wide cache
    // setting) and reads it at once; blocks until both are done. An empty url
    // fetches nothing and gives no items.
    static base::Ref<RSSParser> initParserWithURL(std::string const& url);
    // Reads a feed already in memory.
    static base::Ref<RSSParser> parserWithData(base::Bytes const& data);

    std::vector<RSSItem> getNewsItems() const { return items_; }

    // The element being read; empty between elements.
    std::string const& currentElementName() const { return currentElementName_; }

private:
    friend base::Factory;
    RSSParser() = default;

    void read(base::Bytes const& data);

    void parserDidStartElement(foundation::XMLParser&, std::string_view name, std::string_view,
        std::string_view, foundation::XMLAttributes const&) override;
    void parserDidEndElement(
        foundation::XMLParser&, std::string_view name, std::string_view, std::string_view) override;
    void parserFoundCharacters(foundation::XMLParser&, std::string_view text) override;
    void parserFoundCDATA(foundation::XMLParser&, base::Bytes const& data) override;

    std::vector<RSSItem> items_;
    std::string currentElementName_;
    // The item being filled; none outside an "item" element.
    std::optional<RSSItem> currentRSSItem_;
};

// A feed read on a thread of its own, for a caller that must never wait on the
// network. The caller polls items() until the read has ended; the reading thread
// holds the object too, so the caller may let go of it before the read ends.
class RSSFeedRead final {
public:
    // Starts reading url (as initParserWithURL does) on a detached thread.
    static std::shared_ptr<RSSFeedRead> start(std::string url);

    // The items once the read has ended (empty when the feed could not be read);
    // none before.
    std::optional<std::vector<RSSItem>> items() const;

private:
    mutable std::mutex mutex_;
    std::optional<std::vector<RSSItem>> items_;
};

}

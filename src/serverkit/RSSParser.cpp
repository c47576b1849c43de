#include <serverkit/RSSParser.hpp>

#include <foundation/Format.hpp>
#include <foundation/Strings.hpp>
#include <foundation/Thread.hpp>
#include <foundation/URLConnection.hpp>

namespace serverkit {

namespace {

constexpr double FetchTimeout = 60;

}

base::Ref<RSSParser> RSSParser::initParserWithURL(std::string const& url) {
    auto parser = base::make<RSSParser>();
    if (url.empty())
        return parser;
    auto request = foundation::URLRequest::requestWithURL(url,
        foundation::URLRequestCachePolicy::ReloadIgnoringLocalAndRemoteCacheData, FetchTimeout);
    // Proxies on the way must not answer from their caches either.
    request.setValue("no-cache", "Cache-Control");
    request.setValue("no-cache", "Pragma");
    auto result = foundation::URLConnection::sendSynchronousRequest(request);
    int status = result.response.statusCode();
    if (result.error || status < 200 || status > 299) {
        foundation::log("RSSParser: the feed %@ could not be fetched (status %d)", url, status);
        return parser;
    }
    parser->read(result.data);
    return parser;
}

base::Ref<RSSParser> RSSParser::parserWithData(base::Bytes const& data) {
    auto parser = base::make<RSSParser>();
    parser->read(data);
    return parser;
}

void RSSParser::read(base::Bytes const& data) {
    auto xml = foundation::XMLParser::createWithBytesNoCopy(foundation::ByteView(data));
    xml->setDelegate(this);
    bool read = xml->parse();
    xml->setDelegate(nullptr);
    currentElementName_.clear();
    currentRSSItem_.reset();
    if (!read) {
        auto const& error = xml->parserError();
        foundation::log("RSSParser: the feed is not readable (%@)",
            error ? error->message : std::string("unknown error"));
        items_.clear();
    }
}

void RSSParser::parserDidStartElement(foundation::XMLParser&, std::string_view name,
    std::string_view, std::string_view, foundation::XMLAttributes const&) {
    currentElementName_ = name;
    if (name == "item")
        currentRSSItem_.emplace();
}

void RSSParser::parserDidEndElement(
    foundation::XMLParser&, std::string_view name, std::string_view, std::string_view) {
    if (name == "item" && currentRSSItem_) {
        items_.push_back(std::move(*currentRSSItem_));
        currentRSSItem_.reset();
    }
    currentElementName_.clear();
}

void RSSParser::parserFoundCharacters(foundation::XMLParser&, std::string_view text) {
    if (!currentRSSItem_)
        return;
    auto& item = *currentRSSItem_;
    if (currentElementName_ == "title")
        item.title.append(text);
    else if (currentElementName_ == "link")
        item.link.assign(text);
    else if (currentElementName_ == "pubDate")
        item.pubDate.assign(text);
    else if (currentElementName_ == "lastBuildDate")
        item.lastBuildDate.assign(text);
}

void RSSParser::parserFoundCDATA(foundation::XMLParser&, base::Bytes const& data) {
    if (!currentRSSItem_ || currentElementName_ != "description")
        return;
    // Bytes that are not UTF-8 give no description rather than broken text.
    std::string text(data.begin(), data.end());
    currentRSSItem_->description = foundation::isValidUtf8(text) ? std::move(text) : std::string();
}

std::shared_ptr<RSSFeedRead> RSSFeedRead::start(std::string url) {
    auto read = std::make_shared<RSSFeedRead>();
    foundation::Thread::detach([read, url = std::move(url)] {
        auto items = RSSParser::initParserWithURL(url)->getNewsItems();
        std::lock_guard lock(read->mutex_);
        read->items_ = std::move(items);
    });
    return read;
}

std::optional<std::vector<RSSItem>> RSSFeedRead::items() const {
    std::lock_guard lock(mutex_);
    return items_;
}

}

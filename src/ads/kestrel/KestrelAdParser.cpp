#include <ads/kestrel/KestrelAdParser.hpp>

#include <ads/kestrel/KestrelAdAssignment.hpp>
#include <ads/kestrel/KestrelAdCoding.hpp>
#include <ads/kestrel/KestrelAdProperties.hpp>
#include <ads/kestrel/KestrelBlockReader.hpp>

#include <analytics/KestrelFileCache.hpp>
#include <analytics/KestrelImageCache.hpp>
#include <analytics/KestrelUtil.hpp>

#include <foundation/Format.hpp>
#include <foundation/KeyedArchiver.hpp>
#include <foundation/KeyedUnarchiver.hpp>

#include <foundation/Strings.hpp>

#include <charconv>
#include <limits>
#include <mutex>
#include <utility>
#include <vector>

namespace ads::kestrel {

using analytics::KestrelUtil;

namespace {

// The two process-wide parsers; read and replaced under the class lock.
base::Ref<KestrelAdParser> currentParser;
base::Ref<KestrelAdParser> oldParser;

// A number key of an archived map, or none when the text is not a whole number of
// the key's type.
template<typename T> std::optional<T> keyNumber(std::string const& text) {
    long long value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    if (value < std::numeric_limits<T>::min() || value > std::numeric_limits<T>::max())
        return std::nullopt;
    return T(value);
}

template<typename K, typename T>
std::vector<std::pair<std::string, base::Ref<T>>> textKeyed(std::map<K, base::Ref<T>> const& map) {
    std::vector<std::pair<std::string, base::Ref<T>>> entries;
    entries.reserve(map.size());
    for (auto const& [key, value] : map)
        entries.emplace_back(std::to_string(key), value);
    return entries;
}

}

foundation::RecursiveLock& KestrelAdParser::classLock() {
    static foundation::RecursiveLock lock;
    return lock;
}

base::Ref<KestrelAdParser> KestrelAdParser::create() {
    registerKestrelAdCoding();
    auto parser = base::make<KestrelAdParser>();
    parser->initMemberVariables(false);
    return parser;
}

base::Ref<KestrelAdParser> KestrelAdParser::instance() {
    std::lock_guard lock(classLock());
    if (!currentParser) {
        currentParser = create();
        KestrelAdAssignment::createInstance();
    }
    return currentParser;
}

base::Ref<KestrelAdParser> KestrelAdParser::oldInstance() {
    std::lock_guard lock(classLock());
    if (!oldParser) {
        registerKestrelAdCoding();
        if (auto cache = analytics::KestrelFileCache::instance())
            oldParser = cache->get<KestrelAdParser>(parserArchiveName);
        KestrelAdAssignment::createInstance();
    }
    return oldParser;
}

base::Ref<KestrelAdParser> KestrelAdParser::recreateOldInstance() {
    std::lock_guard lock(classLock());
    oldParser = nullptr;
    return oldInstance();
}

bool KestrelAdParser::isAdParserFinished() {
    std::lock_guard lock(classLock());
    return currentParser && currentParser->adParsingPhase_ > 0;
}

void KestrelAdParser::resetInstances() {
    base::Ref<KestrelAdParser> current;
    base::Ref<KestrelAdParser> old;
    std::lock_guard lock(classLock());
    current = std::exchange(currentParser, nullptr);
    old = std::exchange(oldParser, nullptr);
}

void KestrelAdParser::initMemberVariables(bool internetAvailable) {
    adBlockMap_.clear();
    imageMap_.clear();
    canvasMap_ = base::Dictionary::create();
    hookMap_.clear();
    themeMap_.clear();
    imageCodeMap_.clear();
    adStateCallbackMap_.clear();
    versionId_ = 1;
    internetAvailable_ = internetAvailable;
    adParsingPhase_ = 0;
}

void KestrelAdParser::releaseMemberVariables() {
    adBlockMap_.clear();
    imageMap_.clear();
    canvasMap_ = nullptr;
    hookMap_.clear();
    themeMap_.clear();
    imageCodeMap_.clear();
    adStateCallbackMap_.clear();
    versionId_.reset();
}

void KestrelAdParser::reinitInstances(bool internetAvailable) {
    std::lock_guard lock(classLock());
    initMemberVariables(internetAvailable);
    recreateOldInstance();
}

// ---- archive

base::Ref<KestrelAdParser> KestrelAdParser::initWithCoder(foundation::KeyedUnarchiver& coder) {
    // A decoded parser has had no reply: no connection yet, and no delegate.
    auto parser = base::make<KestrelAdParser>();
    parser->canvasMap_ = base::Dictionary::create();
    parser->versionId_ = decodeOptionalNumber<std::int32_t>(coder, "versionId");
    for (auto const& [key, block] : coder.decodeObjectMapForKey<KestrelAdBlock>("adBlockMap")) {
        if (auto id = keyNumber<std::uint8_t>(key))
            parser->adBlockMap_[*id] = block;
    }
    if (auto canvases = coder.decodeObjectForKey("canvasMap").dictionaryRef())
        parser->canvasMap_ = canvases;
    for (auto const& [name, hook] : coder.decodeObjectMapForKey<KestrelAdHook>("hookMap"))
        parser->hookMap_[name] = hook;
    for (auto const& [key, theme] : coder.decodeObjectMapForKey<KestrelAdTheme>("themeMap")) {
        if (auto id = keyNumber<std::uint8_t>(key))
            parser->themeMap_[*id] = theme;
    }
    if (auto const* codes = coder.decodeObjectForKey("imageCodeMap").dictionary()) {
        for (auto const& [key, imageId] : *codes) {
            auto code = keyNumber<std::int16_t>(key);
            if (code && imageId.isNumber())
                parser->imageCodeMap_[*code] = imageId.longLongValue();
        }
    }
    int phase = coder.decodeIntForKey("adParsingPhase");
    parser->adParsingPhase_ = phase > 0 ? 1 : 0;
    for (auto const& [key, callbacks] :
        coder.decodeObjectMapForKey<KestrelAdStateCallbackSet>("adStateCallbackMap"))
        parser->adStateCallbackMap_[key] = callbacks;
    return parser;
}

void KestrelAdParser::encodeWithCoder(foundation::KeyedArchiver& coder) {
    // The shared parsers change under the class lock; a private one is not shared.
    std::lock_guard lock(classLock());
    encodeOptional(coder, versionId_, "versionId");
    coder.encodeObject(textKeyed(adBlockMap_), "adBlockMap");
    coder.encodeObject(
        base::Value(canvasMap_ ? canvasMap_ : base::Dictionary::create()), "canvasMap");
    coder.encodeObject(hookMap_, "hookMap");
    coder.encodeObject(textKeyed(themeMap_), "themeMap");
    auto codes = base::Dictionary::create();
    for (auto const& [code, imageId] : imageCodeMap_)
        codes->setObject(std::to_string(code), imageId);
    coder.encodeObject(base::Value(codes), "imageCodeMap");
    coder.encodeInt(adParsingPhase_, "adParsingPhase");
    coder.encodeObject(adStateCallbackMap_, "adStateCallbackMap");
}

std::string KestrelAdParser::description() const {
    return foundation::format("<KestrelAdParser: %p>", static_cast<void const*>(this));
}

// ---- parsing

std::uint8_t const* KestrelAdParser::parseData(std::uint8_t const* data, std::size_t bufferLength) {
    KestrelUtil::debugLog("KestrelAdLoop: %d bytes passed to adParser", int(bufferLength));
    reinitInstances(true);

    // The reply goes into a parser of its own, which no other thread can see, and
    // reaches this one only when it is complete.
    auto parsed = create();
    parsed->internetAvailable_ = true;
    parsed->adDelegate_ = adDelegate_;
    std::uint8_t const* stop = nullptr;
    if (data && bufferLength >= 12)
        stop = parsed->processTaggedFile(data, bufferLength);

    bool complete = stop && parsed->adParsingPhase_ == 1;
    if (complete) {
        std::lock_guard lock(classLock());
        adoptMaps(*parsed);
        KestrelUtil::debugLog("KestrelClips: Finished parsing ad data");
    } else {
        KestrelUtil::debugLog("KestrelClips: ad data incomplete or not present");
    }
    sendDelegate(complete);
    return stop;
}

void KestrelAdParser::adoptMaps(KestrelAdParser& parsed) {
    adBlockMap_ = std::move(parsed.adBlockMap_);
    imageMap_ = std::move(parsed.imageMap_);
    canvasMap_ = std::move(parsed.canvasMap_);
    hookMap_ = std::move(parsed.hookMap_);
    themeMap_ = std::move(parsed.themeMap_);
    imageCodeMap_ = std::move(parsed.imageCodeMap_);
    adStateCallbackMap_ = std::move(parsed.adStateCallbackMap_);
    versionId_ = parsed.versionId_;
    internetAvailable_ = true;
    adParsingPhase_ = 1;
}

void KestrelAdParser::sendDelegate(bool available) const {
    if (!adDelegate_)
        return;
    if (available)
        adDelegate_->dataAvailable();
    else
        adDelegate_->dataUnavailable();
}

std::uint8_t const* KestrelAdParser::processTaggedFile(
    std::uint8_t const* data, std::size_t bufferLength) {
    if (!data)
        return nullptr;
    auto const* p = data;
    auto const* end = data + bufferLength;
    while (true) {
        std::size_t remaining = std::size_t(end - p);
        if (remaining < 1)
            return p;
        if (remaining < 2) {
            KestrelUtil::debugLog("KestrelAdLoop: Ad reply ends inside a block tag");
            return nullptr;
        }
        auto tag = std::uint16_t((unsigned(p[0]) << 8) | p[1]);
        p += 2;
        if (p == end)
            return p;
        if (end - p < 4) {
            KestrelUtil::debugLog("KestrelAdLoop: Ad reply ends inside the length of tag %x", tag);
            return nullptr;
        }
        std::uint32_t length = (std::uint32_t(p[0]) << 24) | (std::uint32_t(p[1]) << 16)
            | (std::uint32_t(p[2]) << 8) | std::uint32_t(p[3]);
        p += 4;
        if (length > std::size_t(end - p)) {
            KestrelUtil::debugLog(
                "KestrelAdLoop: Ad block %x of %u bytes runs past the reply", tag, length);
            return nullptr;
        }
        KestrelBlockReader block(p, p + length);
        bool finished = false;
        if (!dispatch(tag, block, finished)) {
            KestrelUtil::debugLog("KestrelAdLoop: Malformed ad block %x; reply dropped", tag);
            return nullptr;
        }
        p += length;
        if (finished)
            return p;
    }
}

bool KestrelAdParser::dispatch(std::uint16_t tag, KestrelBlockReader& block, bool& finished) {
    switch (tag) {
    case tagVersion:
        return processVersionChunk(block);
    case tagAd:
        return processAdChunk(block);
    case tagImage:
        return processImageChunk(block);
    case tagHook:
        return processHookChunk(block);
    case tagEndOfMessage:
        processEndOfMessageChunk(block);
        adParsingPhase_ = 1;
        finished = true;
        return true;
    case tagError:
        return processErrorChunk(block);
    case tagAdTheme:
        return processAdThemeChunk(block);
    case tagAuxImageInfo:
        return processAuxImageInfoChunk(block);
    case tagProperty:
        return processPropertyChunk(block);
    case tagAuxHookInfo:
        return processAuxHookInfoChunk(block);
    case tagAdThemeExtension:
        return processAdThemeExtensionChunk(block);
    case tagAppDescriptionAndPrice:
        return processAppDescriptionAndPriceChunk(block);
    case tagAdStateCallback:
        return processAdStateCallbackBlockTag(block);
    default:
        KestrelUtil::debugLog("KestrelAdLoop: Skipping unrecognized ad tag %x\n", tag);
        return true;
    }
}

ui::Color KestrelAdParser::parseColor(std::uint32_t value) {
    // Lowest byte first: blue, green, red; the top byte is not used.
    int components[4] = {int(value & 0xff), int((value >> 8) & 0xff), int((value >> 16) & 0xff),
        int((value >> 24) & 0xff)};
    return ui::Color::colorWithRed(float(components[2] / 255.0), float(components[1] / 255.0),
        float(components[0] / 255.0), 1);
}

void KestrelAdParser::parseFontSizeColor(KestrelAdTextStyle* style, KestrelBlockReader& block) {
    auto font = block.str16();
    auto size = block.i16();
    auto color = block.u32();
    if (!style || !block.ok())
        return;
    style->setFont(std::move(font));
    style->setFontSize(size);
    style->setFontColor(parseColor(color));
}

void KestrelAdParser::parseDimension(KestrelAdDimension* dimension, KestrelBlockReader& block) {
    auto width = block.i32();
    auto height = block.i32();
    if (!dimension || !block.ok())
        return;
    dimension->setWidth(width);
    dimension->setHeight(height);
}

void KestrelAdParser::parseLocation(KestrelAdLocation* location, KestrelBlockReader& block) {
    auto x = block.i32();
    auto y = block.i32();
    if (!location || !block.ok())
        return;
    location->setX(x);
    location->setY(y);
}

bool KestrelAdParser::processVersionChunk(KestrelBlockReader& block) {
    auto version = block.i32();
    if (!block.ok())
        return false;
    versionId_ = version;
    return true;
}

bool KestrelAdParser::processAdChunk(KestrelBlockReader& block) {
    // Two strings, four ids and the cookie length at the least.
    constexpr std::size_t smallestAd = 8 + 8 + 2 + 2 + 8 + 8 + 1;
    auto adBlockId = block.u8();
    auto adCount = block.u16();
    if (!block.ok() || !block.canHold(adCount, smallestAd))
        return false;
    auto list = KestrelAdBlock::create();
    list->ads().reserve(adCount);
    adBlockMap_[adBlockId] = list;
    for (int i = 0; i < adCount; ++i) {
        auto adId = block.i64();
        auto projectId = block.i64();
        auto adText = block.str16();
        auto advertiser = block.str16();
        auto canvasId = block.i64();
        auto imageId = block.i64();
        if (!block.ok())
            return false;
        cachedImageToMemory(imageId);
        auto cookieSize = block.u8();
        auto cookie = block.bytes(cookieSize);
        if (!block.ok())
            return false;
        auto ad = KestrelAd::create();
        ad->setAdId(adId);
        ad->setProjectId(projectId);
        ad->setAdText(std::move(adText));
        ad->setAdvertiser(std::move(advertiser));
        ad->setCanvasId(canvasId);
        ad->setImageId(imageId);
        ad->setAdCookieSize(cookieSize);
        ad->setAdCookie(base::Bytes(cookie.begin(), cookie.end()));
        list->ads().push_back(std::move(ad));
    }
    return true;
}

bool KestrelAdParser::processImageChunk(KestrelBlockReader& block) {
    constexpr std::size_t smallestImage = 8 + 4 + 4 + 2 + 4;
    auto imageCount = block.u16();
    if (!block.ok() || !block.canHold(imageCount, smallestImage))
        return false;
    for (int i = 0; i < imageCount; ++i) {
        auto imageId = block.i64();
        if (!block.ok())
            return false;
        if (imageId < 0) {
            KestrelUtil::debugLog(
                "KestrelAdLoop: Skip processing image block with bad imageId[%lld]", imageId);
            return true;
        }
        auto width = block.i32();
        auto height = block.i32();
        auto mimeFormat = block.str16();
        auto imageDataSize = block.u32();
        auto bytes = block.bytes(imageDataSize);
        if (!block.ok())
            return false;
        auto picture = ui::Image::imageWithData(bytes);
        if (!picture) {
            KestrelUtil::debugLog(
                "KestrelAdLoop: Image with imageId[%lld] does not decode; left out", imageId);
            continue;
        }
        auto image = KestrelAdImage::create();
        image->setImageId(imageId);
        image->setWidth(width);
        image->setHeight(height);
        image->setMimeFormat(std::move(mimeFormat));
        image->setImageDataSize(std::int32_t(imageDataSize));
        image->setImage(std::move(picture));
        if (imageId == 0) {
            KestrelUtil::debugLog(
                "KestrelAdLoop: Parsed image with imageId[%lld] not added to map", imageId);
            continue;
        }
        imageMap_[imageId] = image;
        if (auto cache = analytics::KestrelImageCache::instance()) {
            if (auto archived = image->archivedData())
                cache->save(base::Value(std::move(*archived)), std::to_string(imageId));
        }
    }
    return true;
}

bool KestrelAdParser::processHookChunk(KestrelBlockReader& block) {
    constexpr std::size_t smallestHook = 2 + 1 + 1;
    auto hookCount = block.u32();
    if (!block.ok() || !block.canHold(hookCount, smallestHook))
        return false;
    for (std::uint32_t i = 0; i < hookCount; ++i) {
        auto name = block.str16();
        auto adBlockId = block.u8();
        auto themeId = block.u8();
        if (!block.ok())
            return false;
        // A name that is not text cannot be asked for.
        if (!name)
            continue;
        auto hook = KestrelAdHook::create();
        hook->setName(name);
        hook->setAdBlockId(adBlockId);
        hook->setThemeId(themeId);
        hookMap_[*name] = std::move(hook);
    }
    return true;
}

bool KestrelAdParser::processEndOfMessageChunk(KestrelBlockReader&) {
    auto fileCache = analytics::KestrelFileCache::instance();
    if (!fileCache) {
        KestrelUtil::debugLog("KestrelAdLoop: No file cache; ad data not archived");
        return true;
    }
    fileCache->save(base::Ref<KestrelAdParser>(this), parserArchiveName);
    if (auto imageCache = analytics::KestrelImageCache::instance())
        fileCache->save(imageCache, imageCacheArchiveName);
    return true;
}

bool KestrelAdParser::processErrorChunk(KestrelBlockReader& block) {
    auto errorCode = block.u16();
    auto message = block.str16();
    if (!block.ok())
        return false;
    KestrelUtil::debugLog("KestrelAdLoop: Parse errorCode[%d]", int(errorCode));
    KestrelUtil::debugLog("KestrelAdLoop: Parse error[%@]", message);
    if (adDelegate_)
        adDelegate_->dataUnavailable();
    return true;
}

bool KestrelAdParser::processAdThemeChunk(KestrelBlockReader& block) {
    constexpr std::size_t smallestTheme = 1 + 2 + 8 + 8 + 3 * (2 + 2 + 4);
    auto themeCount = block.u8();
    if (!block.ok() || !block.canHold(themeCount, smallestTheme))
        return false;
    for (int i = 0; i < themeCount; ++i) {
        auto theme = KestrelAdTheme::create();
        auto themeId = block.u8();
        auto sellMessage = block.str16();
        auto portraitImageId = block.i64();
        if (!block.ok())
            return false;
        cachedImageToMemory(portraitImageId);
        auto landscapeImageId = block.i64();
        if (!block.ok())
            return false;
        cachedImageToMemory(landscapeImageId);
        parseFontSizeColor(theme->portraitSellMessageTextStyle().get(), block);
        parseFontSizeColor(theme->portraitAppNameTextStyle().get(), block);
        parseFontSizeColor(theme->portraitAdvertiserTextStyle().get(), block);
        if (!block.ok())
            return false;
        theme->setThemeId(themeId);
        theme->setSellMessage(std::move(sellMessage));
        theme->setPortraitAdImageId(portraitImageId);
        theme->setLandscapeAdImageId(landscapeImageId);
        themeMap_[themeId] = std::move(theme);
    }
    return true;
}

bool KestrelAdParser::processAuxImageInfoChunk(KestrelBlockReader& block) {
    constexpr std::size_t entrySize = 8 + 2;
    auto entryCount = block.u32();
    if (!block.ok() || !block.canHold(entryCount, entrySize))
        return false;
    for (std::uint32_t i = 0; i < entryCount; ++i) {
        auto imageId = block.i64();
        auto imageCode = block.i16();
        if (!block.ok())
            return false;
        cachedImageToMemory(imageId);
        imageCodeMap_[imageCode] = imageId;
    }
    return true;
}

bool KestrelAdParser::processPropertyChunk(KestrelBlockReader& block) {
    block.u16();
    auto bannerRotationProperty = block.u16();
    auto bannerRotationDelaySeconds = block.u32();
    auto cacheUpdateTimestamp = block.i64();
    auto portraitAdsMaxShown = block.i8();
    auto landscapeAdsMaxShown = block.i8();
    auto portraitAdsShownAtStart = block.str16();
    auto landscapeAdsShownAtStart = block.str16();
    if (!block.ok())
        return false;
    KestrelUtil::debugLog(
        "KestrelAdLoop: Banner rotation property[%d]", int(bannerRotationProperty));
    KestrelAdProperties::setBannerRefreshInSeconds(bannerRotationDelaySeconds);
    KestrelAdProperties::setCacheUpdateTimestamp(cacheUpdateTimestamp);
    if (auto cache = analytics::KestrelImageCache::instance())
        cache->setCacheUpdateTimestamp(KestrelAdProperties::getCacheUpdateTimestamp());
    KestrelAdProperties::setPortraitAdsMaxShown(portraitAdsMaxShown);
    KestrelAdProperties::setLandscapeAdsMaxShown(landscapeAdsMaxShown);
    auto number = [](std::optional<std::string> const& text) -> std::optional<double> {
        return text ? KestrelUtil::convertStrToNum(*text) : std::nullopt;
    };
    KestrelAdProperties::setPortraitAdsShownAtStart(number(portraitAdsShownAtStart));
    KestrelAdProperties::setLandscapeAdsShownAtStart(number(landscapeAdsShownAtStart));
    return true;
}

bool KestrelAdParser::processAuxHookInfoChunk(KestrelBlockReader& block) {
    constexpr std::size_t smallestEntry = 2 + 2;
    constexpr std::size_t propertySize = 2 + 8;
    auto hookCount = block.u16();
    if (!block.ok() || !block.canHold(hookCount, smallestEntry))
        return false;
    for (int i = 0; i < hookCount; ++i) {
        auto name = block.str16();
        auto propertyCount = block.u16();
        if (!block.ok() || !block.canHold(propertyCount, propertySize))
            return false;
        KestrelAdHook* hook = nullptr;
        if (name) {
            auto found = hookMap_.find(*name);
            if (found != hookMap_.end())
                hook = found->second.get();
        }
        for (int j = 0; j < propertyCount; ++j) {
            auto key = block.u16();
            auto value = block.i64();
            if (!block.ok())
                return false;
            if (hook && key == clickActionProperty)
                hook->setClickAction(value);
        }
    }
    return true;
}

bool KestrelAdParser::processAdThemeExtensionChunk(KestrelBlockReader& block) {
    constexpr std::size_t geometrySize = 18 * 8;
    constexpr std::size_t smallestEntry = 1 + 3 * (2 + 2 + 4) + geometrySize;
    auto themeCount = block.u8();
    if (!block.ok() || !block.canHold(themeCount, smallestEntry))
        return false;
    for (int i = 0; i < themeCount; ++i) {
        // The id byte is read as signed: an id above 127 finds no theme, and the entry
        // is read without effect.
        auto themeId = block.i8();
        KestrelAdTheme* theme = nullptr;
        if (themeId >= 0) {
            auto found = themeMap_.find(std::uint8_t(themeId));
            if (found != themeMap_.end())
                theme = found->second.get();
        }
        auto style = [&](auto member) -> KestrelAdTextStyle* {
            return theme ? (theme->*member)().get() : nullptr;
        };
        auto location = [](KestrelAdTextStyle* s) { return s ? s->location().get() : nullptr; };
        auto dimension = [](KestrelAdTextStyle* s) { return s ? s->dimension().get() : nullptr; };
        auto* sell = style(&KestrelAdTheme::landscapeSellMessageTextStyle);
        auto* appName = style(&KestrelAdTheme::landscapeAppNameTextStyle);
        auto* advertiser = style(&KestrelAdTheme::landscapeAdvertiserTextStyle);
        auto* portraitSell = style(&KestrelAdTheme::portraitSellMessageTextStyle);
        auto* portraitAppName = style(&KestrelAdTheme::portraitAppNameTextStyle);
        auto* portraitAdvertiser = style(&KestrelAdTheme::portraitAdvertiserTextStyle);
        parseFontSizeColor(sell, block);
        parseFontSizeColor(appName, block);
        parseFontSizeColor(advertiser, block);
        parseDimension(theme ? theme->portraitAdDimension().get() : nullptr, block);
        parseDimension(theme ? theme->portraitAppImageDimension().get() : nullptr, block);
        parseLocation(theme ? theme->portraitAppImageLocation().get() : nullptr, block);
        parseDimension(theme ? theme->landscapeAdDimension().get() : nullptr, block);
        parseDimension(theme ? theme->landscapeAppImageDimension().get() : nullptr, block);
        parseLocation(theme ? theme->landscapeAppImageLocation().get() : nullptr, block);
        for (auto* s : {portraitSell, portraitAppName, portraitAdvertiser})
            parseLocation(location(s), block);
        for (auto* s : {portraitSell, portraitAppName, portraitAdvertiser})
            parseDimension(dimension(s), block);
        for (auto* s : {sell, appName, advertiser})
            parseLocation(location(s), block);
        for (auto* s : {sell, appName, advertiser})
            parseDimension(dimension(s), block);
        if (!block.ok())
            return false;
    }
    return true;
}

bool KestrelAdParser::processAppDescriptionAndPriceChunk(KestrelBlockReader& block) {
    auto adId = block.i64();
    auto description = block.str16();
    auto price = block.i32();
    if (!block.ok())
        return false;
    for (auto const& [blockId, list] : adBlockMap_) {
        for (auto const& ad : list->ads()) {
            if (ad->adId() == adId) {
                ad->setAppDescription(description);
                ad->setAppPrice(price);
            }
        }
    }
    return true;
}

bool KestrelAdParser::processAdStateCallbackBlockTag(KestrelBlockReader& block) {
    constexpr std::size_t smallestCallback = 8 + 1 + 2 + 1;
    auto callbackCount = block.u16();
    if (!block.ok() || !block.canHold(callbackCount, smallestCallback))
        return false;
    for (int i = 0; i < callbackCount; ++i) {
        auto adId = block.i64();
        auto adStateId = block.u8();
        auto callbackUrlBase = block.str16();
        auto adType = block.u8();
        if (!block.ok())
            return false;
        auto callback = KestrelAdStateCallback::create(adId, adStateId, adType, callbackUrlBase);
        auto& set = adStateCallbackMap_[callback->mapKey()];
        if (!set)
            set = KestrelAdStateCallbackSet::create();
        set->add(callback);
    }
    return true;
}

std::optional<std::string> KestrelBlockReader::str16() {
    auto length = u16();
    auto text = bytes(length);
    if (!ok_)
        return std::nullopt;
    std::string_view view(reinterpret_cast<char const*>(text.data()), text.size());
    // The text ends at its first zero byte.
    if (auto zero = view.find('\0'); zero != std::string_view::npos)
        view = view.substr(0, zero);
    if (!foundation::isValidUtf8(view))
        return std::nullopt;
    return std::string(view);
}

}

#pragma once

#include <ads/kestrel/KestrelAd.hpp>
#include <ads/kestrel/KestrelAdBlock.hpp>
#include <ads/kestrel/KestrelAdHook.hpp>
#include <ads/kestrel/KestrelAdImage.hpp>
#include <ads/kestrel/KestrelAdStateCallback.hpp>
#include <ads/kestrel/KestrelAdTheme.hpp>
#include <ads/kestrel/KestrelOffer.hpp>
#include <ads/kestrel/KestrelParser.hpp>

#include <analytics/KestrelSession.hpp>

#include <foundation/Coding.hpp>
#include <foundation/Lock.hpp>
#include <ui/Color.hpp>
#include <ui/Image.hpp>

#include <base/Ref.hpp>
#include <base/Value.hpp>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>

namespace ads::kestrel {

class KestrelBlockReader;

// Reads the ad section of the analytics reply (tagged big-endian blocks) into maps of
// ad blocks, hooks, images, themes, image codes and ad state callbacks, and answers
// the ad surfaces' look-ups from them.
//
// Two process-wide parsers exist: the current one (instance), which takes every
// reply, and the old one (oldInstance), the last complete reply as archived under
// "adParser" in the agent's file cache. A reply is parsed into a private parser on
// the analytics exchange thread; only when its end-of-message block arrives are the
// new maps moved into the current parser, under the class's recursive lock, which
// every look-up front-end takes too. So a look-up sees the old maps or the new ones,
// never a mix, and a reply that breaks off (or holds a block, count or string running
// past its block or the reply) leaves the current parser unfinished and the old one
// answering. Every read is bounded by the block and the reply.
class KestrelAdParser final : public KestrelParser,
                              public foundation::Coding,
                              public analytics::KestrelReplyParser {
public:
    // Block tags.
    static constexpr std::uint16_t tagVersion = 0x0102;
    static constexpr std::uint16_t tagAd = 0x0103;
    static constexpr std::uint16_t tagImage = 0x0106;
    static constexpr std::uint16_t tagHook = 0x0107;
    static constexpr std::uint16_t tagEndOfMessage = 0x0108;
    static constexpr std::uint16_t tagError = 0x0109;
    static constexpr std::uint16_t tagAdTheme = 0x010A;
    static constexpr std::uint16_t tagAuxImageInfo = 0x010C;
    static constexpr std::uint16_t tagProperty = 0x010D;
    static constexpr std::uint16_t tagAuxHookInfo = 0x010E;
    static constexpr std::uint16_t tagAdThemeExtension = 0x010F;
    static constexpr std::uint16_t tagAppDescriptionAndPrice = 0x0110;
    static constexpr std::uint16_t tagAdStateCallback = 0x0122;
    // The hook property that sets a hook's click action.
    static constexpr std::uint16_t clickActionProperty = 0x0701;
    // Look-ups try this many ads of a block before giving up.
    static constexpr int adPickAttempts = 5;

    static constexpr char const* parserArchiveName = "adParser";
    static constexpr char const* imageCacheArchiveName = "imageCache";

    // ---- instances (every operation here takes the class lock)

    static base::Ref<KestrelAdParser> instance();
    // The last archived parser, loaded on first use; none when nothing was archived.
    static base::Ref<KestrelAdParser> oldInstance();
    static base::Ref<KestrelAdParser> recreateOldInstance();
    static bool isAdParserFinished();
    // Forgets both instances (tests and a simulated relaunch).
    static void resetInstances();
    static foundation::RecursiveLock& classLock();

    // A new, empty parser (not the shared one).
    static base::Ref<KestrelAdParser> create();

    static base::Ref<KestrelAdParser> initWithCoder(foundation::KeyedUnarchiver& coder);
    void encodeWithCoder(foundation::KeyedArchiver& coder) override;

    // ---- parsing

    // Parses one reply; answers the position after the end-of-message block, the
    // position where the blocks ran out, or none when nothing was scanned (fewer
    // than 12 bytes) or the reply was malformed.
    std::uint8_t const* parseData(std::uint8_t const* data, std::size_t bufferLength) override;
    // Empties the maps (version 1, phase 0) under the class lock and reloads the old
    // instance.
    void reinitInstances(bool internetAvailable);
    void initMemberVariables(bool internetAvailable);
    void releaseMemberVariables();

    // The block loop over a private parser: the stop position, or none when a block
    // ran past the buffer or a handler found its block malformed.
    std::uint8_t const* processTaggedFile(std::uint8_t const* data, std::size_t bufferLength);

    // 0x00RRGGBB (the top byte ignored), alpha 1.
    static ui::Color parseColor(std::uint32_t value);

    // ---- look-ups (callers hold the class lock; the fast front-ends take it)

    base::Ref<KestrelAdHook> hookWithName(std::optional<std::string> const& name);
    base::Ref<KestrelAd> adWithHook(
        std::optional<std::string> const& hook, std::optional<std::string> const& parentName);
    base::Ref<KestrelAd> getAdFromAdBlock(
        KestrelAdBlock& ads, std::optional<std::string> const& parentName);
    bool offerWithHook(std::optional<std::string> const& hook, KestrelAdImpression* impression,
        KestrelOffer* offer);
    bool getOfferFromAdBlock(KestrelAdBlock* ads, KestrelAdImpression* impression,
        std::optional<std::string> const& hook, KestrelOffer* offer);
    int getAppAdCount(std::optional<std::string> const& hook);
    int getOfferCount(std::optional<std::string> const& hook);
    base::Ref<ui::Image> getImage(std::optional<std::int64_t> imageId);
    base::Ref<ui::Image> getImageWithCode(std::optional<std::int16_t> imageCode);
    void cachedImageToMemory(std::optional<std::int64_t> imageId);
    base::Ref<KestrelAdStateCallbackSet> getAdStateCallback(KestrelAdImpression const& impression);

    static base::Ref<KestrelAdHook> fastHookWithName(std::optional<std::string> const& name);
    static base::Ref<KestrelAd> fastAdWithHook(
        std::optional<std::string> const& hook, std::optional<std::string> const& parentName);
    static bool fastOfferWithHook(std::optional<std::string> const& hook,
        KestrelAdImpression* impression, KestrelOffer* offer);
    static base::Ref<ui::Image> fastImageWithCode(std::optional<std::int16_t> imageCode);
    static base::Ref<KestrelAdStateCallbackSet> fastAdStateCallback(
        KestrelAdImpression const& impression);

    base::Ref<KestrelAdStateCallbackSet> adStateCallbacksFor(
        KestrelAdImpression const& impression) const override;

    // ---- the maps (read by tests and diagnostics; callers hold the class lock)

    std::map<std::uint8_t, base::Ref<KestrelAdBlock>> const& adBlockMap() const {
        return adBlockMap_;
    }
    std::map<std::int64_t, base::Ref<KestrelAdImage>> const& imageMap() const { return imageMap_; }
    std::map<std::string, base::Ref<KestrelAdHook>> const& hookMap() const { return hookMap_; }
    std::map<std::uint8_t, base::Ref<KestrelAdTheme>> const& themeMap() const { return themeMap_; }
    std::map<std::int16_t, std::int64_t> const& imageCodeMap() const { return imageCodeMap_; }
    std::map<std::string, base::Ref<KestrelAdStateCallbackSet>> const& adStateCallbackMap() const {
        return adStateCallbackMap_;
    }

    std::string description() const;

private:
    friend base::Factory;
    KestrelAdParser() = default;

    // Block handlers: false when the block is malformed, which ends the reply's parse.
    bool processVersionChunk(KestrelBlockReader& block);
    bool processAdChunk(KestrelBlockReader& block);
    bool processImageChunk(KestrelBlockReader& block);
    bool processHookChunk(KestrelBlockReader& block);
    bool processEndOfMessageChunk(KestrelBlockReader& block);
    bool processErrorChunk(KestrelBlockReader& block);
    bool processAdThemeChunk(KestrelBlockReader& block);
    bool processAuxImageInfoChunk(KestrelBlockReader& block);
    bool processPropertyChunk(KestrelBlockReader& block);
    bool processAuxHookInfoChunk(KestrelBlockReader& block);
    bool processAdThemeExtensionChunk(KestrelBlockReader& block);
    bool processAppDescriptionAndPriceChunk(KestrelBlockReader& block);
    bool processAdStateCallbackBlockTag(KestrelBlockReader& block);
    bool dispatch(std::uint16_t tag, KestrelBlockReader& block, bool& finished);

    static void parseFontSizeColor(KestrelAdTextStyle* style, KestrelBlockReader& block);
    static void parseDimension(KestrelAdDimension* dimension, KestrelBlockReader& block);
    static void parseLocation(KestrelAdLocation* location, KestrelBlockReader& block);

    // Moves the maps and version of a finished private parser into this one.
    void adoptMaps(KestrelAdParser& parsed);
    void sendDelegate(bool available) const;

    std::map<std::uint8_t, base::Ref<KestrelAdBlock>> adBlockMap_;
    std::map<std::int64_t, base::Ref<KestrelAdImage>> imageMap_;
    base::Ref<base::Dictionary> canvasMap_;
    std::map<std::string, base::Ref<KestrelAdHook>> hookMap_;
    std::map<std::uint8_t, base::Ref<KestrelAdTheme>> themeMap_;
    std::map<std::int16_t, std::int64_t> imageCodeMap_;
    std::map<std::string, base::Ref<KestrelAdStateCallbackSet>> adStateCallbackMap_;
};

}

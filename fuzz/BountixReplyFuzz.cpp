// The offer service's XML replies as the offer-wall client reads them: the reply
// check that accepts or refuses a root element, then the points account's reading of
// its "UserAccountObject", the featured app's reading of its "BountixApp" and the
// video offers' reading of its "BountixVideo" elements, and the display ad's click URL
// and image. Any bytes parse
// without harm; an accepted root is one of the known names without an error message, and what is
// read comes from the document.
#include "FuzzSupport.hpp"

#include <ads/bountix/BTXAdView.hpp>
#include <ads/bountix/BTXCoreFetcherHandler.hpp>
#include <ads/bountix/BTXFeaturedApp.hpp>
#include <ads/bountix/BTXUserAccountManager.hpp>
#include <ads/bountix/BTXUtil.hpp>
#include <ads/bountix/BTXVideo.hpp>
#include <toolkit/xml/XDoc.hpp>

#include <cstddef>
#include <cstdint>
#include <string_view>

using namespace ads::bountix;
using toolkit::xml::XDoc;

extern "C" int LLVMFuzzerTestOneInput(std::uint8_t const* data, std::size_t size) {
    fuzz::silenceLog();
    std::string_view text(reinterpret_cast<char const*>(data), size);
    auto document = XDoc::xdocWithXMLData(text);
    auto const* root = document ? document->rootXMLElement() : nullptr;
    auto refusal = BTXCoreFetcherHandler::refusalOfReply(root);
    if (!root) {
        FUZZ_CHECK(refusal == BTXFetchResponseDelegate::NoReply);
        return 0;
    }
    if (refusal)
        return 0;
    auto name = XDoc::elementName(root);
    FUZZ_CHECK(BTXUtil::caseInsenstiveCompare(name, "BountixAd")
        || BTXUtil::caseInsenstiveCompare(name, "BountixVideos")
        || BTXUtil::caseInsenstiveCompare(name, "BountixConnectReturnObject"));
    FUZZ_CHECK(!XDoc::childElementNamed("ErrorMessage", root));
    auto values
        = BTXUserAccountModel::readAccount(XDoc::childElementNamed("UserAccountObject", root));
    FUZZ_CHECK(values.currencyName.size() <= size);
    FUZZ_CHECK(values.pointsID.size() <= size);
    if (auto const* app = BTXFeaturedAppRequestHandler::featuredAppOfReply(root)) {
        FUZZ_CHECK(XDoc::elementName(app) == "BountixApp");
        auto model = BTXFeaturedAppModel::initWithXDoc(app);
        for (auto const* field :
            {&model->cost, &model->storeID, &model->name, &model->description, &model->iconURL,
                &model->largeIconURL, &model->redirectURL, &model->fullScreenAdURL})
            FUZZ_CHECK(field->size() <= size);
        FUZZ_CHECK(model->dictionary()->objectForKey("storeID").stringValue() == model->storeID);
    }
    if (auto ad = BTXAdRequestHandler::adOfReply(root)) {
        FUZZ_CHECK(ad->size() == 2);
        FUZZ_CHECK((*ad)[0].size() <= size && (*ad)[1].size() <= size);
        // The image text decodes to at most three bytes for every four characters.
        FUZZ_CHECK(BTXUtil::dataWithBase64EncodedString((*ad)[1]).size() <= (*ad)[1].size());
    }
    for (auto const* video = XDoc::childElementNamed("BountixVideo", root); video;
         video = XDoc::nextSiblingNamed("BountixVideo", video)) {
        auto offer = BTXVideoObject::initWithXDoc(video);
        // The file name is one path component at most.
        FUZZ_CHECK(offer->videoFilename.find('/') == std::string::npos);
        FUZZ_CHECK(!offer->iconURL.empty());
        auto dictionary = offer->getDictionary();
        FUZZ_CHECK(dictionary->objectForKey(BTXVideoObjOfferID).stringValue() == offer->offerID);
        FUZZ_CHECK(!dictionary->contains(BTXVideoObjDataLocation));
    }
    return 0;
}

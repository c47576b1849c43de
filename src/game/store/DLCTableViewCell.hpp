#pragma once

#include <base/Ref.hpp>
#include <base/Value.hpp>
#include <base/WeakRef.hpp>
#include <foundation/URLConnection.hpp>
#include <game/store/DLCRowRules.hpp>
#include <ui/TableViewCell.hpp>

#include <array>
#include <cstdint>
#include <string>

namespace foundation {
class Notification;
}
namespace serverkit {
class APICall;
}
namespace ui {
class Button;
class Image;
class TableViewController;
}

namespace game {

class DLCViewController;

// One row of the downloadable-content shop's table: one entry on the phone, two side
// by side on the tablet, each half a slot (1 = left or only, 2 = right). A slot shows
// the entry's plate, thumbnail, title, description and the one action button that the
// list chose for it; every drawing first cleans the slot, so a reused row never keeps
// another entry's views. Thumbnails are read from the data folder's cache or fetched,
// one connection per slot at most. Download and Update queue a fetch of the entry's
// archive and refresh the list on each of its notifications; Buy opens the shop's
// details pop-up; Activate and Deactivate switch the entry's record.
//
// The list controller and the shop screen are weak references (they own the table
// that owns the row). A row that goes cancels its thumbnail downloads and stops
// observing its fetches. Main thread only.
class DLCTableViewCell final : public ui::TableViewCell, public foundation::URLConnectionDelegate {
public:
    using Cell = DLCRowRules::Cell;

    // Thumbnail replies larger than this are dropped: a picture of 57 points needs far
    // less, and a server must not be able to fill the memory or the data folder.
    static constexpr std::uint64_t MaxThumbnailBytes = std::uint64_t(2) << 20;
    static constexpr float thumbnailSize = 57;

    // initWithStyle:reuseIdentifier:.
    static base::Ref<DLCTableViewCell> create(
        ui::TableViewCellStyle style, std::string reuseIdentifier);
    ~DLCTableViewCell() override;

    // The size of the row's plate image "Bonus_List.png" in pixels.
    static graphics::Size cellsize();

    void setParentTableViewController(ui::TableViewController* controller);
    void setparentVC(DLCViewController* controller);
    void setSelected(bool selected, bool animated = false) override;

    base::Dictionary* celldata() const { return celldata_.get(); }
    void setCelldata(base::Ref<base::Dictionary> entry) { celldata_ = std::move(entry); }
    base::Dictionary* celldata2() const { return celldata2_.get(); }
    void setCelldata2(base::Ref<base::Dictionary> entry) { celldata2_ = std::move(entry); }

    // --- drawing a slot (1 or 2) ---
    // Draws the slot with the button of kind.
    void drawCell(Cell kind, int slot);
    void drawDownloadCell(int slot) { drawCell(Cell::Download, slot); }
    void drawBuyCell(int slot) { drawCell(Cell::Buy, slot); }
    void drawUpdateCell(int slot) { drawCell(Cell::Update, slot); }
    void drawActivateCell(int slot) { drawCell(Cell::Activate, slot); }
    void drawDeactivateCell(int slot) { drawCell(Cell::Deactivate, slot); }
    void drawDisabledDeavtivateCell(int slot) { drawCell(Cell::DisabledDeactivate, slot); }
    // Cleans the slot and shows the text of an empty list in it.
    void drawEmptyCell(int slot);
    void drawEmptyInformation(int slot);
    void drawInformation(int slot);

    void cleanupAssets(int slot);
    // Replaces the slot's thumbnail view by one for its entry's picture: from the cache
    // when it is there, else empty until the download in flight brings it.
    ui::ImageView* getRetainedIcon(int slot);

    // --- the buttons (their tag is the slot) ---
    void OnClickDownload(ui::Control& sender);
    void OnClickBuy(ui::Control& sender);
    void OnClickActivate(ui::Control& sender);
    void OnClickDeactivate(ui::Control& sender);
    void OnClickDisabledDeactivate(ui::Control& sender);

    // --- an archive fetch started here ---
    void fetchArchiveDidSucceed(foundation::Notification const& notification);
    void archivesDownloadDidFinish(bool complete);

    // --- the thumbnail downloads ---
    void didReceiveResponse(
        foundation::URLConnection& connection, foundation::URLResponse const& response) override;
    void didReceiveData(foundation::URLConnection& connection, base::Bytes const& data) override;
    void didFailWithError(
        foundation::URLConnection& connection, foundation::URLError const& error) override;
    void connectionDidFinishLoading(foundation::URLConnection& connection) override;

    // --- what a slot shows (null when it shows nothing) ---
    ui::ImageView* bgImgView(int slot) const;
    ui::ImageView* iconImgView(int slot) const;
    ui::Label* titleLabel(int slot) const;
    ui::Label* descLabel(int slot) const;
    ui::Button* actionBtn(int slot) const;
    foundation::URLConnection* connection(int slot) const;
    // The kind of the slot's button; Download when it has none.
    Cell actionKind(int slot) const;
    // The fetches this row observes.
    std::size_t observedFetchCount() const { return fetches_.size(); }

private:
    friend base::Factory;
    DLCTableViewCell(ui::TableViewCellStyle style, std::string reuseIdentifier);

    // The views and the thumbnail download of one slot.
    struct Slot {
        base::Ref<ui::ImageView> mBgImgView;
        base::Ref<ui::ImageView> mIconImgView;
        base::Ref<ui::Label> mTitleLabel;
        base::Ref<ui::Label> mDescLabel;
        base::Ref<ui::Button> mActionBtn;
        base::Ref<foundation::URLConnection> mConnection;
        base::Bytes mReceivedData;
        // The status of the reply being received; 0 before it comes.
        int status {0};
        Cell kind {Cell::Download};
    };

    Slot* slotAt(int slot);
    Slot const* slotAt(int slot) const;
    int slotOf(foundation::URLConnection const& connection) const;
    base::Dictionary* entryOf(int slot) const;
    static int slotOfSender(ui::Control& sender);
    void stopConnection(Slot& slot);
    void reloadTable();
    void stopObservingFetches();

    std::array<Slot, 2> slots_;
    base::WeakRef<ui::TableViewController> mTableViewController;
    base::WeakRef<DLCViewController> mParentVC;
    base::Ref<base::Dictionary> celldata_;
    base::Ref<base::Dictionary> celldata2_;
    std::vector<base::Ref<serverkit::APICall>> fetches_;
};

}

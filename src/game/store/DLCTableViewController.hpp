#pragma once

#include <base/Ref.hpp>
#include <base/Value.hpp>
#include <base/WeakRef.hpp>
#include <ui/TableViewController.hpp>

namespace foundation {
class Notification;
}
namespace serverkit {
class APICall;
}

namespace game {

class DLCTableViewCell;
class DLCViewController;

// The list of the downloadable-content shop: the server's list (without themes, which
// belong to the theme store) joined with what the data folder's "unpacked.plist" says
// is installed. Each entry gets one row on the phone, two entries share a row on the
// tablet; an empty list shows one row that says there is nothing to download, and
// rows appear only once a list is known. Every drawing of a row decides its button
// afresh from the lists and the entry's records (DLCRowRules), so rows follow
// purchases, downloads and switches without bookkeeping; drawing also switches on
// free content the first time it is listed and credits a token pack once.
//
// When the view loads it asks the server for the list; online it waits for that
// answer, offline it shows at once the list kept from the last successful call. It
// listens to its own list call until it goes. Rows cannot be selected. Main thread.
class DLCTableViewController final : public ui::TableViewController {
public:
    static constexpr char const* cellIdentifier = "Cell";

    // initWithStyle:.
    static base::Ref<DLCTableViewController> create(
        ui::TableViewStyle style = ui::TableViewStyle::Plain);
    ~DLCTableViewController() override;

    void viewDidLoad() override;
    void viewDidUnload() override;
    void setParentVC(DLCViewController* controller);
    DLCViewController* parentVC() const { return ParentVC.get(); }

    int numberOfSectionsInTableView(ui::TableView&) override { return 1; }
    int numberOfRowsInSection(ui::TableView& tableView, int section) override;
    base::Ref<ui::TableViewCell> cellForRowAtIndexPath(
        ui::TableView& tableView, ui::IndexPath indexPath) override;

    // Whether the entry is installed; re-reads "unpacked.plist".
    bool Check_downloaded(base::Dictionary const& entry);
    // Whether the installed entry's "ver" differs from the listed one (any difference,
    // an older listed version too); re-reads "unpacked.plist".
    bool Check_updateAvailable(base::Dictionary const& entry);

    // Takes the list the server kit keeps and redraws the table.
    void listDLCDidFinish(foundation::Notification const& notification);
    void archivesDownloadReady();

    base::Array* unpacklist() const { return unpacklist_.get(); }
    void setUnpacklist(base::Ref<base::Array> list) { unpacklist_ = std::move(list); }
    base::Array* dlclist() const { return dlclist_.get(); }
    void setDlclist(base::Ref<base::Array> list) { dlclist_ = std::move(list); }
    base::Array* combinedlist() const { return combinedlist_.get(); }
    void setCombinedlist(base::Ref<base::Array> list) { combinedlist_ = std::move(list); }
    // The list call made when the view loaded.
    serverkit::APICall* listCall() const { return listCall_.get(); }

private:
    friend base::Factory;
    explicit DLCTableViewController(ui::TableViewStyle style);

    // Reads "unpacked.plist" afresh (an empty list when it is missing).
    void readUnpackedList();
    // dlclist and combinedlist from the server kit's stored list.
    void takeStoredList();
    // Applies the row rules to the slot's entry.
    void drawSlot(DLCTableViewCell& cell, base::Dictionary const& entry, int slot);

    base::WeakRef<DLCViewController> ParentVC;
    base::Ref<base::Array> unpacklist_;
    base::Ref<base::Array> dlclist_;
    base::Ref<base::Array> combinedlist_;
    base::Ref<serverkit::APICall> listCall_;
};

}

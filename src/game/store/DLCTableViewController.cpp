#include <game/store/DLCTableViewController.hpp>

#include <game/shell/Utilities.hpp>
#include <game/store/DLCRowRules.hpp>
#include <game/store/DLCTableViewCell.hpp>
#include <game/store/DLCViewController.hpp>

#include <engine/StaticFileCache.hpp>
#include <foundation/NotificationCenter.hpp>
#include <serverkit/FetchArchive.hpp>
#include <serverkit/ListDLC.hpp>
#include <serverkit/QBYConnect.hpp>
#include <ui/Color.hpp>
#include <ui/TableView.hpp>

namespace game {

base::Ref<DLCTableViewController> DLCTableViewController::create(ui::TableViewStyle style) {
    return base::make<DLCTableViewController>(style);
}

DLCTableViewController::DLCTableViewController(ui::TableViewStyle style)
    : TableViewController(style) {
}

DLCTableViewController::~DLCTableViewController() {
    foundation::NotificationCenter::defaultCenter().removeObserver(this);
}

void DLCTableViewController::setParentVC(DLCViewController* controller) {
    ParentVC = controller;
}

void DLCTableViewController::viewDidLoad() {
    TableViewController::viewDidLoad();
    readUnpackedList();
    auto call = serverkit::ListDLC::apicall();
    listCall_ = call;
    serverkit::QBYConnect::sharedManager().callAPIMethod(call);
    if (Utilities::haveInternetConnection()) {
        foundation::NotificationCenter::defaultCenter().addObserver(
            this, serverkit::QBYNotifications::ListDLC,
            [this](
                foundation::Notification const& notification) { listDLCDidFinish(notification); },
            call.get());
    } else {
        takeStoredList();
    }
    if (auto* table = tableView()) {
        table->setRowHeight(DLCTableViewCell::cellsize().height + 10);
        table->setBackgroundColor(ui::Color::clearColor());
        table->setSeparatorStyle(ui::TableViewCellSeparatorStyle::None);
    }
}

void DLCTableViewController::viewDidUnload() {
    foundation::NotificationCenter::defaultCenter().removeObserver(this);
    unpacklist_ = nullptr;
    TableViewController::viewDidUnload();
}

void DLCTableViewController::readUnpackedList() {
    auto list = base::Array::create();
    if (auto path = Utilities::getPathForSavedData(serverkit::FetchArchive::UnpackedFileName)) {
        if (auto unpacked = engine::StaticFileCache::sharedCache().arrayWithContentsOfFile(*path)) {
            for (auto const& entry : *unpacked)
                list->add(entry);
        }
    }
    unpacklist_ = list;
}

void DLCTableViewController::takeStoredList() {
    auto stored
        = serverkit::QBYConnect::sharedManager().objectForKey(serverkit::QBYKeys::ListDLCDataStore);
    dlclist_ = stored.arrayRef();
    if (!dlclist_)
        dlclist_ = base::Array::create();
    combinedlist_ = DLCRowRules::listedEntries(stored);
}

void DLCTableViewController::listDLCDidFinish(foundation::Notification const&) {
    takeStoredList();
    if (auto* table = tableView())
        table->reloadData();
}

void DLCTableViewController::archivesDownloadReady() {
    takeStoredList();
    if (auto* table = tableView())
        table->reloadData();
}

int DLCTableViewController::numberOfRowsInSection(ui::TableView&, int) {
    return int(DLCRowRules::rowCount(
        combinedlist_ != nullptr, combinedlist_ ? combinedlist_->size() : 0, Utilities::isiPad()));
}

bool DLCTableViewController::Check_downloaded(base::Dictionary const& entry) {
    readUnpackedList();
    return DLCRowRules::isDownloaded(entry, *unpacklist_);
}

bool DLCTableViewController::Check_updateAvailable(base::Dictionary const& entry) {
    readUnpackedList();
    return DLCRowRules::isUpdateAvailable(entry, *unpacklist_);
}

base::Ref<ui::TableViewCell> DLCTableViewController::cellForRowAtIndexPath(
    ui::TableView& tableView, ui::IndexPath indexPath) {
    base::Ref<DLCTableViewCell> cell;
    if (auto reused = tableView.dequeueReusableCellWithIdentifier(cellIdentifier))
        cell = base::Ref<DLCTableViewCell>(dynamic_cast<DLCTableViewCell*>(reused.get()));
    if (!cell) {
        cell = DLCTableViewCell::create(ui::TableViewCellStyle::Default, cellIdentifier);
        cell->setParentTableViewController(this);
        cell->setparentVC(ParentVC.get());
    }
    auto entryAt = [this](std::size_t index) -> base::Ref<base::Dictionary> {
        if (!combinedlist_ || index >= combinedlist_->size())
            return nullptr;
        return combinedlist_->at(index).dictionaryRef();
    };
    if (!combinedlist_ || combinedlist_->empty()) {
        cell->setCelldata(nullptr);
        cell->setCelldata2(nullptr);
        cell->drawEmptyCell(1);
        cell->cleanupAssets(2);
        return cell;
    }
    auto row = std::size_t(std::max(indexPath.row, 0));
    bool pad = Utilities::isiPad();
    auto first = entryAt(pad ? 2 * row : row);
    auto second = pad ? entryAt(2 * row + 1) : nullptr;
    cell->setCelldata(first);
    cell->setCelldata2(second);
    readUnpackedList();
    if (first)
        drawSlot(*cell, *first, 1);
    else
        cell->cleanupAssets(1);
    // A reused row's second half would otherwise keep the entry it showed before.
    if (second)
        drawSlot(*cell, *second, 2);
    else
        cell->cleanupAssets(2);
    return cell;
}

void DLCTableViewController::drawSlot(
    DLCTableViewCell& cell, base::Dictionary const& entry, int slot) {
    cell.drawCell(DLCRowRules::cellFor(entry, *unpacklist_), slot);
}

}

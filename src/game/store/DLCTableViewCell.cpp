#include <game/store/DLCTableViewCell.hpp>

#include <game/shell/AlertPresenter.hpp>
#include <game/shell/ShellServices.hpp>
#include <game/shell/SoundEngine.hpp>
#include <game/shell/Utilities.hpp>
#include <game/store/DLCThumbnailCache.hpp>
#include <game/store/DLCViewController.hpp>

#include <foundation/AtomicFile.hpp>
#include <foundation/Bundle.hpp>
#include <foundation/Format.hpp>
#include <foundation/NotificationCenter.hpp>
#include <foundation/UserDefaults.hpp>
#include <graphics/Font.hpp>
#include <serverkit/FetchArchive.hpp>
#include <serverkit/QBYConnect.hpp>
#include <ui/Button.hpp>
#include <ui/Color.hpp>
#include <ui/Image.hpp>
#include <ui/ImageView.hpp>
#include <ui/Label.hpp>
#include <ui/TableView.hpp>
#include <ui/TableViewController.hpp>
#include <ui/TextLayout.hpp>

#include <algorithm>
#include <cmath>

namespace game {

namespace {

constexpr char const* plateImage = "Bonus_List.png";

// Where a slot's views go in the row's content view; slot 2 is slot 1 moved 512
// points to the right.
constexpr float slotShift = 512;
constexpr graphics::Point plateOrigin {20, 5};
constexpr graphics::Point titleOrigin {35, 10};
constexpr graphics::Point descriptionOrigin {119, 46};
constexpr graphics::Rect thumbnailFrame {{35, 46}, {57, 57}};
constexpr graphics::Rect buttonFrame {{280, 45}, {175, 54}};
constexpr graphics::Point emptyTextOrigin {30, 46};

struct ButtonLook {
    char const* background;
    char const* title;
    void (DLCTableViewCell::*action)(ui::Control&);
};

ButtonLook lookOf(DLCRowRules::Cell kind) {
    using Cell = DLCRowRules::Cell;
    switch (kind) {
    case Cell::Download:
        return {"btn_BG_Green_Shorter.png", "Download", &DLCTableViewCell::OnClickDownload};
    case Cell::Buy:
        return {"btn_BG_golden_Shorter.png", "Buy", &DLCTableViewCell::OnClickBuy};
    case Cell::Update:
        return {"btn_BG_golden_Shorter.png", "Update", &DLCTableViewCell::OnClickDownload};
    case Cell::Activate:
        return {"btn_BG_blue_Shorter.png", "Activate", &DLCTableViewCell::OnClickActivate};
    case Cell::Deactivate:
        return {"btn_BG_blue_Shorter.png", "Deactivate", &DLCTableViewCell::OnClickDeactivate};
    case Cell::DisabledDeactivate:
        break;
    }
    return {"btn_BG_Gray_Shorter.png", "Deactivate", &DLCTableViewCell::OnClickDisabledDeactivate};
}

float shiftOf(int slot) {
    return slot == 2 ? slotShift : 0;
}

graphics::Point moved(graphics::Point point, int slot) {
    return {point.x + shiftOf(slot), point.y};
}

graphics::Rect moved(graphics::Rect rect, int slot) {
    return {moved(rect.origin, slot), rect.size};
}

void playSound(char const* name) {
    if (auto* sound = SoundEngine::sharedManager())
        sound->playSoundName(name);
}

// The size text takes in font within width x height, rounded up to whole points as
// the platform's measuring does.
graphics::Size measure(std::string const& text, graphics::Font const* font, float width,
    float height, ui::LineBreakMode mode) {
    auto size = ui::TextLayout::layout(text, font, width, mode, ui::TextAlignment::Left, 0, height)
                    .size();
    return {std::min(std::ceil(size.width), width), std::min(std::ceil(size.height), height)};
}

base::Ref<ui::Label> makeLabel(std::string const& text, base::Ref<graphics::Font> font,
    graphics::Point origin, float width, float height, ui::LineBreakMode mode, ui::Color color) {
    auto size = measure(text, font.get(), width, height, mode);
    auto label = ui::Label::create({origin, size});
    label->setFont(std::move(font));
    label->setLineBreakMode(mode);
    label->setText(text);
    label->setTextColor(color);
    label->setBackgroundColor(ui::Color::clearColor());
    return label;
}

// The first of the keys that the entry holds as text; empty when none does.
std::string textOf(base::Dictionary const& entry, char const* key, char const* fallback) {
    auto const& value = entry.objectForKey(key);
    if (!value.isNull())
        return value.stringValue();
    return entry.objectForKey(fallback).stringValue();
}

void removeView(base::Ref<ui::ImageView>& view) {
    if (view)
        view->removeFromSuperview();
    view = nullptr;
}

void removeView(base::Ref<ui::Label>& view) {
    if (view)
        view->removeFromSuperview();
    view = nullptr;
}

}

base::Ref<DLCTableViewCell> DLCTableViewCell::create(
    ui::TableViewCellStyle style, std::string reuseIdentifier) {
    return base::make<DLCTableViewCell>(style, std::move(reuseIdentifier));
}

DLCTableViewCell::DLCTableViewCell(ui::TableViewCellStyle style, std::string reuseIdentifier)
    : TableViewCell(style, std::move(reuseIdentifier)) {
    setSelectionStyle(ui::TableViewCellSelectionStyle::None);
}

DLCTableViewCell::~DLCTableViewCell() {
    cleanupAssets(1);
    cleanupAssets(2);
    stopObservingFetches();
}

graphics::Size DLCTableViewCell::cellsize() {
    auto image = ui::Image::imageNamed(plateImage);
    if (!image)
        return {};
    return {image->size().width * image->scale(), image->size().height * image->scale()};
}

void DLCTableViewCell::setParentTableViewController(ui::TableViewController* controller) {
    mTableViewController = controller;
}

void DLCTableViewCell::setparentVC(DLCViewController* controller) {
    mParentVC = controller;
}

void DLCTableViewCell::setSelected(bool selected, bool animated) {
    TableViewCell::setSelected(selected, animated);
}

DLCTableViewCell::Slot* DLCTableViewCell::slotAt(int slot) {
    return slot == 1 || slot == 2 ? &slots_[std::size_t(slot - 1)] : nullptr;
}

DLCTableViewCell::Slot const* DLCTableViewCell::slotAt(int slot) const {
    return slot == 1 || slot == 2 ? &slots_[std::size_t(slot - 1)] : nullptr;
}

base::Dictionary* DLCTableViewCell::entryOf(int slot) const {
    return slot == 1 ? celldata_.get() : celldata2_.get();
}

int DLCTableViewCell::slotOfSender(ui::Control& sender) {
    return sender.tag() == 1 ? 1 : 2;
}

ui::ImageView* DLCTableViewCell::bgImgView(int slot) const {
    auto const* s = slotAt(slot);
    return s ? s->mBgImgView.get() : nullptr;
}

ui::ImageView* DLCTableViewCell::iconImgView(int slot) const {
    auto const* s = slotAt(slot);
    return s ? s->mIconImgView.get() : nullptr;
}

ui::Label* DLCTableViewCell::titleLabel(int slot) const {
    auto const* s = slotAt(slot);
    return s ? s->mTitleLabel.get() : nullptr;
}

ui::Label* DLCTableViewCell::descLabel(int slot) const {
    auto const* s = slotAt(slot);
    return s ? s->mDescLabel.get() : nullptr;
}

ui::Button* DLCTableViewCell::actionBtn(int slot) const {
    auto const* s = slotAt(slot);
    return s ? s->mActionBtn.get() : nullptr;
}

foundation::URLConnection* DLCTableViewCell::connection(int slot) const {
    auto const* s = slotAt(slot);
    return s ? s->mConnection.get() : nullptr;
}

DLCTableViewCell::Cell DLCTableViewCell::actionKind(int slot) const {
    auto const* s = slotAt(slot);
    return s && s->mActionBtn ? s->kind : Cell::Download;
}

// --- drawing ---

void DLCTableViewCell::drawCell(Cell kind, int slot) {
    auto* s = slotAt(slot);
    if (!s)
        return;
    cleanupAssets(slot);
    drawInformation(slot);
    auto look = lookOf(kind);
    auto button = ui::Button::buttonWithType(ui::ButtonType::Custom);
    button->setFrame(moved(buttonFrame, slot));
    button->setTag(slot);
    button->setBackgroundImage(ui::Image::imageNamed(look.background), ui::ControlState::Normal);
    button->setTitle(look.title, ui::ControlState::Normal);
    auto action = look.action;
    button->addTarget(
        this, [this, action](ui::Control& sender, ui::Event*) { (this->*action)(sender); },
        ui::ControlEvents::TouchUpInside);
    if (kind == Cell::DisabledDeactivate)
        button->setEnabled(false);
    contentView()->addSubview(button);
    s->mActionBtn = button;
    s->kind = kind;
}

void DLCTableViewCell::drawInformation(int slot) {
    auto* s = slotAt(slot);
    auto* entry = entryOf(slot);
    if (!s)
        return;
    setBackgroundColor(ui::Color::clearColor());
    auto plate = ui::Image::imageNamed(plateImage);
    auto plateSize = plate ? plate->size() : graphics::Size {};
    s->mBgImgView = ui::ImageView::create({moved(plateOrigin, slot), plateSize});
    s->mBgImgView->setImage(plate);
    contentView()->addSubview(s->mBgImgView);

    auto title = entry ? textOf(*entry, "name", "dlc_name") : std::string();
    auto description = entry ? textOf(*entry, "desc", "dlc_desc") : std::string();
    s->mTitleLabel = makeLabel(title, graphics::Font::fontWithName("Helvetica-Bold", 18),
        moved(titleOrigin, slot), 400, 30, ui::LineBreakMode::Clip, ui::Color::whiteColor());
    s->mDescLabel = makeLabel(description, graphics::Font::fontWithName("Helvetica", 14),
        moved(descriptionOrigin, slot), 150, 300, ui::LineBreakMode::WordWrap,
        ui::Color::blackColor());
    s->mDescLabel->setNumberOfLines(0);

    auto* icon = getRetainedIcon(slot);
    icon->setFrame(moved(thumbnailFrame, slot));
    icon->setContentMode(ui::ContentMode::ScaleToFill);

    contentView()->addSubview(base::Ref<ui::View>(icon));
    contentView()->addSubview(s->mTitleLabel);
    contentView()->addSubview(s->mDescLabel);
}

void DLCTableViewCell::drawEmptyInformation(int slot) {
    auto* s = slotAt(slot);
    if (!s)
        return;
    setBackgroundColor(ui::Color::clearColor());
    auto text = foundation::Bundle::mainBundle().localizedString("DOWNLOAD_TEXT_NONE");
    s->mDescLabel = makeLabel(text, graphics::Font::fontWithName("Helvetica", 16), emptyTextOrigin,
        400, 300, ui::LineBreakMode::WordWrap, ui::Color::blackColor());
    s->mDescLabel->setNumberOfLines(2);
    contentView()->addSubview(s->mDescLabel);
}

void DLCTableViewCell::drawEmptyCell(int slot) {
    cleanupAssets(slot);
    drawEmptyInformation(slot);
}

void DLCTableViewCell::cleanupAssets(int slot) {
    auto* s = slotAt(slot);
    if (!s)
        return;
    removeView(s->mBgImgView);
    removeView(s->mIconImgView);
    removeView(s->mTitleLabel);
    removeView(s->mDescLabel);
    if (s->mActionBtn)
        s->mActionBtn->removeFromSuperview();
    s->mActionBtn = nullptr;
    s->kind = Cell::Download;
    stopConnection(*s);
}

void DLCTableViewCell::stopConnection(Slot& s) {
    if (s.mConnection)
        s.mConnection->cancel();
    s.mConnection = nullptr;
    s.mReceivedData.clear();
    s.status = 0;
}

ui::ImageView* DLCTableViewCell::getRetainedIcon(int slot) {
    auto* s = slotAt(slot);
    if (!s)
        return nullptr;
    removeView(s->mIconImgView);
    s->mIconImgView = ui::ImageView::create({{0, 0}, {thumbnailSize, thumbnailSize}});
    auto* entry = entryOf(slot);
    auto url = entry ? textOf(*entry, "dlc_thumb", "thumb") : std::string();
    auto path = DLCThumbnailCache::pathForURL(url);
    if (path && Utilities::isFileExist(*path)) {
        s->mIconImgView->setImage(ui::Image::imageWithContentsOfFile(*path));
        return s->mIconImgView.get();
    }
    // A download already in flight for the slot gives way to this one.
    stopConnection(*s);
    if (!path)
        return s->mIconImgView.get();
    auto request = foundation::URLRequest::requestWithURL(url);
    request.setMaximumBodySize(MaxThumbnailBytes);
    s->mConnection = foundation::URLConnection::connectionWithRequest(std::move(request), this);
    return s->mIconImgView.get();
}

// --- the thumbnail downloads ---

int DLCTableViewCell::slotOf(foundation::URLConnection const& connection) const {
    for (int slot = 1; slot <= 2; ++slot) {
        if (slotAt(slot)->mConnection.get() == &connection)
            return slot;
    }
    return 0;
}

void DLCTableViewCell::didReceiveResponse(
    foundation::URLConnection& connection, foundation::URLResponse const& response) {
    int slot = slotOf(connection);
    if (!slot)
        return;
    auto& s = *slotAt(slot);
    if (response.statusCode() == 404) {
        foundation::log(slot == 1 ? "Image Not Found:%@" : "Image2 Not Found:%@",
            connection.originalRequest().URL());
        stopConnection(s);
        return;
    }
    s.mReceivedData.clear();
    s.status = response.statusCode();
}

void DLCTableViewCell::didReceiveData(
    foundation::URLConnection& connection, base::Bytes const& data) {
    int slot = slotOf(connection);
    if (!slot)
        return;
    auto& s = *slotAt(slot);
    if (s.mReceivedData.size() + data.size() > MaxThumbnailBytes) {
        foundation::log("Thumbnail too large:%@", connection.originalRequest().URL());
        stopConnection(s);
        return;
    }
    s.mReceivedData.insert(s.mReceivedData.end(), data.begin(), data.end());
}

void DLCTableViewCell::didFailWithError(
    foundation::URLConnection& connection, foundation::URLError const&) {
    if (int slot = slotOf(connection))
        stopConnection(*slotAt(slot));
}

void DLCTableViewCell::connectionDidFinishLoading(foundation::URLConnection& connection) {
    int slot = slotOf(connection);
    if (!slot)
        return;
    auto& s = *slotAt(slot);
    base::Ref<foundation::URLConnection> finished = s.mConnection;
    auto data = std::move(s.mReceivedData);
    int status = s.status;
    stopConnection(s);
    // Only a picture is kept; an error page would otherwise stand in for the
    // thumbnail for good.
    if (!DLCThumbnailCache::shouldCache(status, data))
        return;
    auto path = DLCThumbnailCache::pathForURL(finished->originalRequest().URL());
    if (path)
        foundation::AtomicFile::write(*path, foundation::ByteView(data.data(), data.size()));
    if (s.mIconImgView)
        s.mIconImgView->setImage(
            ui::Image::imageWithData(std::span<std::uint8_t const>(data.data(), data.size())));
}

// --- the buttons ---

void DLCTableViewCell::OnClickDownload(ui::Control& sender) {
    playSound("Click");
    if (!Utilities::haveInternetConnection()) {
        foundation::log("No Internet Connection!");
        AlertPresenter::shared().showAlert("Network Problem", "No Internet Connection!.", "OK");
        return;
    }
    auto* entry = entryOf(slotOfSender(sender));
    if (!entry)
        return;
    auto uid = entry->objectForKey("uid").stringValue();
    auto fetch = serverkit::FetchArchive::apicallWithID(foundation::format("dlc_%@", uid));
    auto parameters = base::Dictionary::create();
    parameters->setObject("dlc",
        foundation::format("dlc_%@ -%@", uid, entry->objectForKey("dlc_name").stringValue()));
    ShellServices::shared().logEvent("Download DLC", parameters);
    fetches_.push_back(fetch);
    foundation::NotificationCenter::defaultCenter().addObserver(
        this, serverkit::QBYNotifications::Fetch,
        [this](
            foundation::Notification const& notification) { fetchArchiveDidSucceed(notification); },
        fetch.get());
    serverkit::QBYConnect::sharedManager().callAPIMethod(fetch);
}

void DLCTableViewCell::fetchArchiveDidSucceed(foundation::Notification const& notification) {
    bool complete = false;
    if (auto const* info = notification.userInfo().dictionary())
        complete = info->objectForKey("complete").boolValue();
    if (complete) {
        auto& center = foundation::NotificationCenter::defaultCenter();
        center.removeObserver(this, serverkit::QBYNotifications::Fetch, notification.object());
        std::erase_if(
            fetches_, [&](auto const& fetch) { return fetch.get() == notification.object(); });
    }
    archivesDownloadDidFinish(complete);
}

void DLCTableViewCell::archivesDownloadDidFinish(bool) {
    reloadTable();
}

void DLCTableViewCell::stopObservingFetches() {
    auto& center = foundation::NotificationCenter::defaultCenter();
    for (auto const& fetch : fetches_)
        center.removeObserver(this, serverkit::QBYNotifications::Fetch, fetch.get());
    fetches_.clear();
}

void DLCTableViewCell::OnClickBuy(ui::Control& sender) {
    playSound("Click");
    int slot = slotOfSender(sender);
    auto* entry = entryOf(slot);
    auto parent = mParentVC.get();
    if (!entry || !parent)
        return;
    auto* icon = iconImgView(slot);
    parent->showPopUp(*entry, base::Ref<ui::Image>(icon ? icon->image() : nullptr));
}

void DLCTableViewCell::OnClickActivate(ui::Control& sender) {
    playSound("Confirm");
    if (auto* entry = entryOf(slotOfSender(sender)))
        foundation::UserDefaults::standardUserDefaults().setInteger(
            1, DLCRowRules::recordKey(*entry, "active"));
    reloadTable();
}

void DLCTableViewCell::OnClickDeactivate(ui::Control& sender) {
    playSound("Cancel");
    if (auto* entry = entryOf(slotOfSender(sender)))
        foundation::UserDefaults::standardUserDefaults().setInteger(
            0, DLCRowRules::recordKey(*entry, "active"));
    reloadTable();
}

void DLCTableViewCell::OnClickDisabledDeactivate(ui::Control&) {
    playSound("Cancel");
}

void DLCTableViewCell::reloadTable() {
    auto controller = mTableViewController.get();
    if (!controller)
        return;
    if (auto* table = controller->tableView())
        table->reloadData();
}

}

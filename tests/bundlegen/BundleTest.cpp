// Checks the bundle that the build generated: every file its manifests list exists and
// decodes, pictures stay within the 1024 x 1024 texture limit, sheets hold the frames
// the game asks for, sounds have the lengths their uses need, fonts are TrueType with
// the tables the text code reads, and the names the game loads are all present.

#include <gtest/gtest.h>
#include <jpeglib.h>
#include <plist/plist.h>
#include <png.h>
#include <sndfile.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

fs::path const phoneDir = fs::path(QUILLABY_BUILD_DIR) / "bundle";
fs::path const tabletDir = fs::path(QUILLABY_BUILD_DIR) / "bundle-ipad";

struct Entry {
    std::string kind;
    std::string name;
    int width;
    int height;
    std::string detail;
};

std::vector<Entry> readManifest(fs::path const& dir) {
    std::vector<Entry> entries;
    std::ifstream in(dir / "manifest.txt");
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#')
            continue;
        std::istringstream fields(line);
        Entry e;
        std::string w;
        std::string h;
        std::getline(fields, e.kind, '\t');
        std::getline(fields, e.name, '\t');
        std::getline(fields, w, '\t');
        std::getline(fields, h, '\t');
        std::getline(fields, e.detail, '\t');
        e.width = std::stoi(w);
        e.height = std::stoi(h);
        entries.push_back(e);
    }
    return entries;
}

std::vector<Entry> const& phone() {
    static std::vector<Entry> const entries = readManifest(phoneDir);
    return entries;
}

std::vector<Entry> const& tablet() {
    static std::vector<Entry> const entries = readManifest(tabletDir);
    return entries;
}

bool decodePng(fs::path const& path, int& w, int& h) {
    png_image image {};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str()))
        return false;
    image.format = PNG_FORMAT_RGBA;
    std::vector<unsigned char> pixels(PNG_IMAGE_SIZE(image));
    bool ok = png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr) != 0;
    w = static_cast<int>(image.width);
    h = static_cast<int>(image.height);
    png_image_free(&image);
    return ok;
}

struct JpegFailure { };

void jpegError(j_common_ptr) {
    throw JpegFailure {};
}

bool decodeJpeg(fs::path const& path, int& w, int& h) {
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file)
        return false;
    jpeg_decompress_struct info {};
    jpeg_error_mgr errors {};
    info.err = jpeg_std_error(&errors);
    errors.error_exit = jpegError;
    bool ok = true;
    try {
        jpeg_create_decompress(&info);
        jpeg_stdio_src(&info, file);
        jpeg_read_header(&info, TRUE);
        jpeg_start_decompress(&info);
        std::vector<unsigned char> row(info.output_width * info.output_components);
        while (info.output_scanline < info.output_height) {
            JSAMPROW rows[1] = {row.data()};
            jpeg_read_scanlines(&info, rows, 1);
        }
        w = static_cast<int>(info.output_width);
        h = static_cast<int>(info.output_height);
        jpeg_finish_decompress(&info);
    } catch (JpegFailure const&) {
        ok = false;
    }
    jpeg_destroy_decompress(&info);
    std::fclose(file);
    return ok;
}

// The frames of one sheet: name -> rectangle.
struct Rect {
    double x, y, w, h;
};

std::map<std::string, Rect> readFrames(fs::path const& plistPath) {
    std::map<std::string, Rect> frames;
    std::ifstream in(plistPath, std::ios::binary);
    std::string xml((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    plist_t root = nullptr;
    plist_from_xml(xml.c_str(), static_cast<uint32_t>(xml.size()), &root);
    if (!root)
        return frames;
    plist_t dict = plist_dict_get_item(root, "frames");
    plist_dict_iter it = nullptr;
    if (dict)
        plist_dict_new_iter(dict, &it);
    auto number = [](plist_t d, char const* key) {
        plist_t node = plist_dict_get_item(d, key);
        uint64_t v = 0;
        if (node && plist_get_node_type(node) == PLIST_UINT)
            plist_get_uint_val(node, &v);
        return double(v);
    };
    while (it) {
        char* key = nullptr;
        plist_t value = nullptr;
        plist_dict_next_item(dict, it, &key, &value);
        if (!key)
            break;
        frames[key] = {number(value, "x"), number(value, "y"), number(value, "width"),
            number(value, "height")};
        free(key);
    }
    free(it);
    plist_free(root);
    return frames;
}

bool isPicture(Entry const& e) {
    return e.kind == "image" || e.kind == "jpeg" || e.kind == "sheet";
}

std::set<std::string> namesOf(std::vector<Entry> const& entries) {
    std::set<std::string> names;
    for (auto const& e : entries)
        names.insert(e.name);
    return names;
}

}

TEST(Bundle, ManifestsListTheGeneratedFiles) {
    ASSERT_FALSE(phone().empty()) << "no manifest in " << phoneDir;
    ASSERT_FALSE(tablet().empty()) << "no manifest in " << tabletDir;
    for (auto const& e : phone())
        EXPECT_TRUE(fs::is_regular_file(phoneDir / e.name)) << e.name;
    for (auto const& e : tablet())
        EXPECT_TRUE(fs::is_regular_file(tabletDir / e.name)) << e.name;
}

TEST(Bundle, EveryPictureDecodesAtItsListedSizeWithinTheTextureLimit) {
    for (auto const* set : {&phone(), &tablet()}) {
        fs::path dir = set == &phone() ? phoneDir : tabletDir;
        for (auto const& e : *set) {
            if (!isPicture(e))
                continue;
            int w = 0;
            int h = 0;
            bool decoded
                = e.kind == "jpeg" ? decodeJpeg(dir / e.name, w, h) : decodePng(dir / e.name, w, h);
            ASSERT_TRUE(decoded) << dir / e.name;
            EXPECT_EQ(w, e.width) << e.name;
            EXPECT_EQ(h, e.height) << e.name;
            EXPECT_LE(w, 1024) << e.name;
            EXPECT_LE(h, 1024) << e.name;
            EXPECT_GE(w, 1);
            EXPECT_GE(h, 1);
        }
    }
}

TEST(Bundle, JpegNamesHoldJpegAndOtherPicturesHoldPng) {
    for (auto const& e : phone()) {
        if (!isPicture(e))
            continue;
        std::ifstream in(phoneDir / e.name, std::ios::binary);
        unsigned char magic[4] = {};
        in.read(reinterpret_cast<char*>(magic), 4);
        bool jpegName = e.name.size() > 4 && e.name.substr(e.name.size() - 4) == ".jpg";
        if (jpegName) {
            EXPECT_TRUE(magic[0] == 0xff && magic[1] == 0xd8) << e.name;
        } else {
            EXPECT_TRUE(magic[0] == 0x89 && magic[1] == 'P' && magic[2] == 'N' && magic[3] == 'G')
                << e.name;
        }
    }
}

TEST(Bundle, TabletSetHasEveryPictureOfThePhoneSet) {
    std::set<std::string> tabletNames = namesOf(tablet());
    for (auto const& e : phone())
        if (isPicture(e) || e.kind == "plist") {
            EXPECT_TRUE(tabletNames.count(e.name)) << e.name;
        }
}

TEST(Bundle, SheetFramesLieInsideTheirPictures) {
    for (auto const* set : {&phone(), &tablet()}) {
        fs::path dir = set == &phone() ? phoneDir : tabletDir;
        for (auto const& e : *set) {
            if (e.kind != "sheet")
                continue;
            std::string base = e.name.substr(0, e.name.size() - 4);
            auto frames = readFrames(dir / (base + ".plist"));
            // An animation needs at least two frames to play.
            EXPECT_GE(frames.size(), 2u) << base;
            for (auto const& [name, r] : frames) {
                EXPECT_GE(r.x, 0) << name;
                EXPECT_GE(r.y, 0) << name;
                EXPECT_GT(r.w, 0) << name;
                EXPECT_LE(r.x + r.w, e.width) << name;
                EXPECT_LE(r.y + r.h, e.height) << name;
            }
        }
    }
}

TEST(Bundle, CharacterSheetsHoldEveryFrameTheAnimationsLoad) {
    // key + pose + facing + frame: walking 0..8 on the phone and 0..3 on the tablet in
    // facings a, c, e; "002e000" for all; "004e000" for customers and visitors; staff
    // at work "003" a, c, e 0..3.
    struct Role {
        std::vector<std::string> keys;
        bool sits;
        bool works;
    };
    std::vector<Role> const roles = {
        {{"CUS001", "CUS002", "CUS003", "CUS004", "CUS005", "CUS006", "PREZ", "RICHLADY", "SKYW"},
            true, false},
        {{"DOG001", "DOG002", "DOG003", "DOG004", "CAT001", "CAT002", "CAT003", "BUN001", "pony001",
             "pony002"},
            false, false},
        {{"NPC001", "NPC002", "NPC003", "NPC004", "NPC005", "NPC006", "NPC007", "NPC008", "NPC009",
             "NPC010"},
            false, true},
    };
    for (bool isTablet : {false, true}) {
        fs::path dir = isTablet ? tabletDir : phoneDir;
        int walkFrames = isTablet ? 4 : 9;
        for (Role const& role : roles)
            for (std::string const& key : role.keys) {
                auto frames = readFrames(dir / (key + ".plist"));
                ASSERT_FALSE(frames.empty()) << key;
                auto has = [&](std::string pose, char facing, int frame) {
                    char name[64];
                    std::snprintf(name, sizeof name, "%s%s%c%03d.png", key.c_str(), pose.c_str(),
                        facing, frame);
                    EXPECT_TRUE(frames.count(name)) << dir / name;
                };
                for (char facing : {'a', 'c', 'e'})
                    for (int f = 0; f < walkFrames; ++f)
                        has("001", facing, f);
                has("002", 'e', 0);
                if (role.sits)
                    has("004", 'e', 0);
                if (role.works)
                    for (char facing : {'a', 'c', 'e'})
                        for (int f = 0; f < 4; ++f)
                            has("003", facing, f);
            }
    }
}

TEST(Bundle, EffectSheetsHaveTheFramesTheirPlayersNeed) {
    // The tap effect shows frames 0..7 and hides on reaching 8: nine frames exactly.
    EXPECT_EQ(readFrames(phoneDir / "vfx006.plist").size(), 9u);
    for (char const* sheet : {"Emotion_Happy", "Emotion_Angry", "fs", "wh", "btn_power_bg",
             "btn_instant_bg", "btn_wildcard_bg", "btn_power_anim"})
        EXPECT_GE(readFrames(phoneDir / (std::string(sheet) + ".plist")).size(), 2u) << sheet;
}

TEST(Bundle, SoundsDecodeAsMonoWithTheLengthsTheirUsesNeed) {
    std::map<std::string, double> const exact = {
        {"sfx_consumable_money.wav", 29},
        {"sfx_consumable_wildcard.wav", 19},
        {"sfx_consumable_lightning.wav", 19},
        {"sfx_furn_musicplayer.wav", 15},
    };
    int sounds = 0;
    for (auto const& e : phone()) {
        if (e.kind != "sound" && e.kind != "music")
            continue;
        ++sounds;
        SF_INFO info {};
        SNDFILE* file = sf_open((phoneDir / e.name).c_str(), SFM_READ, &info);
        ASSERT_NE(file, nullptr) << e.name << ": " << sf_strerror(nullptr);
        EXPECT_EQ(info.channels, 1) << e.name;
        EXPECT_EQ(info.samplerate, 22050) << e.name;
        std::vector<short> samples(static_cast<size_t>(info.frames));
        EXPECT_EQ(sf_readf_short(file, samples.data(), info.frames), info.frames) << e.name;
        sf_close(file);
        double seconds = double(info.frames) / info.samplerate;
        int peak = 0;
        for (short s : samples)
            peak = std::max(peak, std::abs(int(s)));
        EXPECT_GT(peak, 3000) << e.name << " is silent";
        if (e.kind == "music") {
            EXPECT_GT(seconds, 60) << e.name;
        } else {
            EXPECT_GT(seconds, 0.03) << e.name;
        }
        if (auto it = exact.find(e.name); it != exact.end()) {
            EXPECT_NEAR(seconds, it->second, 0.05) << e.name;
        }
    }
    EXPECT_GE(sounds, 40);
}

TEST(Bundle, FontsAreTrueTypeWithTheTablesTheTextCodeReads) {
    for (char const* font :
        {"Helvetica.ttf", "Helvetica-Bold.ttf", "Arial.ttf", "Arial-BoldMT.ttf", "Verdana.ttf"}) {
        std::ifstream in(phoneDir / font, std::ios::binary);
        ASSERT_TRUE(in) << font;
        std::vector<unsigned char> data(
            (std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        ASSERT_GT(data.size(), 12u);
        auto u16 = [&](size_t at) { return unsigned(data.at(at) << 8 | data.at(at + 1)); };
        auto u32 = [&](size_t at) { return (u16(at) << 16) | u16(at + 2); };
        EXPECT_EQ(u32(0), 0x00010000u) << font;
        std::map<std::string, size_t> tables;
        for (unsigned i = 0; i < u16(4); ++i) {
            size_t record = 12 + 16 * i;
            tables[std::string(data.begin() + record, data.begin() + record + 4)] = u32(record + 8);
        }
        ASSERT_TRUE(tables.count("cmap")) << font;
        ASSERT_TRUE(tables.count("name")) << font;
        EXPECT_EQ(u16(tables["name"]), 0u) << font;
        size_t cmap = tables["cmap"];
        bool usable = false;
        for (unsigned i = 0; i < u16(cmap + 2); ++i) {
            size_t record = cmap + 4 + 8 * i;
            unsigned platform = u16(record);
            unsigned encoding = u16(record + 2);
            unsigned format = u16(cmap + u32(record + 4));
            if ((platform == 0 || (platform == 3 && encoding == 1))
                && (format == 4 || format == 12))
                usable = true;
        }
        EXPECT_TRUE(usable) << font;
    }
}

TEST(Bundle, HoldsEveryFileTheGameLoadsByName) {
    std::set<std::string> have = namesOf(phone());
    std::vector<std::string> wanted = {
        "qrn_ip_door.png",
        "qrn_ip_bg_filter.png",
        "qrn_ip_gcar.png",
        "qrn_ip_ocar.png",
        "qrn_ip_icon_purchase.png",
        "qrn_ip_icon_upgrade.png",
        "Gameplay_Star.png",
        "income_positive.png",
        "income_negative.png",
        "sat_positive.png",
        "sat_negative.png",
        "plus_money.png",
        "ChallengaAchieved_PopUp.png",
        "Title_Bg_iPad.jpg",
        "Loading_BarBg_iPad.png",
        "Loading_Bar_iPad.png",
        "Loading_BarBg.png",
        "Loading_Bar.png",
        "banner_bg.png",
        "btn_BG.png",
        "Title_BFLogo_iPad.png",
        "Title_Button_iPad.png",
        "Option_Bgm_Bg.png",
        "Option_Bgm_Icon_On.png",
        "Option_Bgm_Icon_Off.png",
        "Option_Sfx_Icon_On.png",
        "Option_Sfx_Icon_Off.png",
        "Option_Bgm_Select.png",
        "Option_Popup_Bg.png",
        "Option_Warning_Bg.png",
        "PetPointValue.png",
        "PetPointValue_iPad.png",
        "Gameplay_PauseButton.png",
        "Challenga_Btn.png",
        "tab_staffs.png",
        "tab_device.png",
        "tab_wall.png",
        "tab_pet_pt.png",
        "sp_instant2.png",
        "sp_wildcard.png",
        "sp_power_up.png",
        "Gameplay_NewDay.png",
        "Gameplay_NewDay_iPad.png",
        "ponyday.png",
        "Gameplay_PauseMenu.png",
        "Gameplay_PauseMenu_iPad.png",
        "Gameplay_PauseTitle_iPad.png",
        "Gameplay_Report.png",
        "Gameplay_Report_iPad.png",
        "Gameplay_LevelUp.png",
        "Gameplay_LevelUp_iPad.png",
        "Gameplay_ArrowUp.png",
        "Gameplay_ArrowDown.png",
        "Gameplay_ArrowUp_iPad.png",
        "Gameplay_ArrowDown_iPad.png",
        "Gameplay_ComingSoon.png",
        "Gameplay_BG_Generic.png",
        "Gameplay_UpgradeMenu.png",
        "Gameplay_UpgradeMenu_iPad.png",
        "btn_BG_smaller.png",
        "btn_BG_iPad.png",
        "shopBG.png",
        "btn_icon_web.png",
        "btn_icon_web_iPad.png",
        "btn_icon_refresh.png",
        "btn_icon_refresh_iPad.png",
        "btn_icon_system.png",
        "btn_BigIcon_system.png",
        "btn_icon_help.png",
        "btn_BigIcon_help.png",
        "btn_icon_Draw.png",
        "btn_icon_Draw_iPad.png",
        "Howdy.bundle/sdk-icon-checkin.png",
        "btn_BG_SmallGolden.png",
        "btn_icon_Challenga.png",
        "PetPoint_IconSmall.png",
        "PetPoint_IconSmall_iPad.png",
        "btn_circleClose.png",
        "btn_Left.png",
        "btn_Right.png",
        "Gameplay_EventCloseUp_Prez.png",
        "Gameplay_EventCloseUp_RichLady.png",
        "Gameplay_EventCloseUp_skyward.png",
        "Gameplay_UpgradeIcon.png",
        "Gameplay_UpgradeIcon_iPad.png",
        "btn_NO.png",
        "btn_YES.png",
        "btn_BG_blue_Shorter.png",
        "CashValue.png",
        "Money_icon.png",
        "btn_BG_blue.png",
        "btn_BG_blue_iPad.png",
        "btn_icon_PPBuy.png",
        "btn_icon_PPBuy_iPad.png",
        "btn_icon_PPFree.png",
        "btn_icon_PPFree_iPad.png",
        "btn_GetMoreMoney.png",
        "btn_GetMoreMoney_iPad.png",
        "btn_icon_Achievements.png",
        "btn_BG_green_iPad.png",
        "btn_icon_Achievement_iPad.png",
        "btn_icon_MoreApps.png",
        "btn_BG_golden_iPad.png",
        "btn_icon_MoreApps_iPad.png",
        "Gameplay_music01.png",
        "Gameplay_music02.png",
        "statusbar_gamebar.png",
        "statusbar_level.png",
        "statusbar_happiness.png",
        "statusbar_income.png",
        "statusbar_day.png",
        "statusbar_time.png",
        "tab1.png",
        "tab2.png",
        "finger.png",
        "qby2_title_bg1.png",
        "qby2_title_1.png",
        "Title_Name.png",
        "Title_Name_iPad.png",
        "Title_Button.png",
        "Title_BFLogo.png",
        "icon_tips_x_5.png",
        "icon_wildcard_x_5.png",
        "icon_power_x_5.png",
        "sp_bar.png",
        "sp_buy.png",
        "sp_effect.png",
        "btn_instant_ani4.png",
        "btn_wildcard_ani4.png",
        "btn_wildcard_ani5.png",
        "Wheel_Line.png",
        "prize_List.png",
        "prize_Bingo.png",
        "Credits_Icon.png",
        "Wheel_Light01.png",
        "Wheel_Light02.png",
        "Challeng_BG.png",
        "MissionIcon.png",
        "MissionComplete.png",
        "MissionFail.png",
        "money.png",
        "ppoint.png",
        "Reward_Block.png",
        "RewardFail.png",
        "Achievements_List.png",
        "Achievements_Bg_Locked.png",
        "Achievements_Locked.png",
        "shopLock.png",
        "shopEquip.png",
        "Theme_download.jpg",
        "Bonus_List.png",
        "btn_BG_Green_Shorter.png",
        "btn_BG_golden_Shorter.png",
        "btn_BG_Gray_Shorter.png",
        "ponypopup.png",
        "ponyicon.png",
        "SocialNews.jpg",
        "btn_icon_facebook.png",
        "transfer_bg.png",
        "transfer_wheel.png",
        "transfer_arrow.png",
        "transfer_point.png",
        "transfer_money.png",
        "transfer_light_off.png",
        "transfer_light_on.png",
        "transfer_arrow2.png",
        "transfer_info_bar_01.png",
        "transfer_btn_ok.png",
        "transfer_btn_change.png",
        "btn_circleClose_iPad.png",
        "MoneyValue_iPad.png",
        "btn_blue_Smallest.png",
        "PP_Add_Icon.png",
        "close_button.png",
        "MXCloseButtonX.png",
        "bountix_icon.png",
        "Howdy.bundle/btn-closex-white.png",
        "Howdy.bundle/btn-checkin.png",
        "Howdy.bundle/btn-checkin-down.png",
        "Howdy.bundle/howdy-logo.png",
        "Howdy.bundle/bkg-swirl-planet-horz.png",
        "Howdy.bundle/bkg-swirl-planet-btm.png",
        "Howdy.bundle/btn-accept.png",
        "fire.png",
        "Marrowby_BGM1.mp3",
        "Marrowby_BGM2.mp3",
        "qrn_hellomyfriend_v2.mp3",
        "0015.wav",
        "EFFA002.wav",
        "npc_shop_sell_v2.wav",
        "token_jangle03.wav",
        "Helvetica.ttf",
        "Helvetica-Bold.ttf",
    };
    char name[64];
    for (int level = 1; level <= 8; ++level) {
        std::snprintf(name, sizeof name, "qrn_ip_bg%02d.jpg", level);
        wanted.push_back(name);
        std::snprintf(name, sizeof name, "qrn_ip_wall%02d.png", level);
        wanted.push_back(name);
    }
    for (char const* service : {"sofa", "counter", "bath", "drying", "hair", "facial", "massage",
             "flea", "wildcard", "service"})
        for (char const* state : {"normal", "hurry"})
            wanted.push_back(std::string("qrn_ip_icon_") + service + "_" + state + ".png");
    for (int i = 1; i <= 10; ++i) {
        std::snprintf(name, sizeof name, "NPC%03d_HireIcon.png", i);
        wanted.push_back(name);
    }
    for (int i = 1; i <= 11; ++i) {
        std::snprintf(name, sizeof name, "Help_Step%d.jpg", i);
        wanted.push_back(name);
    }
    for (int i = 1; i <= 4; ++i) {
        std::snprintf(name, sizeof name, "qby2_title_bubble%d.png", i);
        wanted.push_back(name);
    }
    for (char const* sheet :
        {"Emotion_Happy", "Emotion_Angry", "vfx006", "fs", "wh", "btn_power_bg", "btn_instant_bg",
            "btn_wildcard_bg", "btn_power_anim", "PREZ", "RICHLADY", "SKYW"}) {
        wanted.push_back(std::string(sheet) + ".png");
        wanted.push_back(std::string(sheet) + ".plist");
    }
    for (char const* id : {"ach_firstpp", "ach_shopmaxlv", "ach_mvp", "ach_challenge100",
             "ach_angryprez", "ach_silence"})
        wanted.push_back(std::string(id) + ".png");
    for (auto const& file : wanted)
        EXPECT_TRUE(have.count(file)) << file;
}

TEST(Bundle, PiecesThatWearOutHaveAPictureForEveryUseLeft) {
    std::set<std::string> have = namesOf(phone());
    char name[64];
    for (char const* piece : {"musicplayer", "doorblock"})
        for (int level = 1; level <= 3; ++level)
            for (int left = 0; left <= 10; ++left) {
                std::snprintf(name, sizeof name, "furn_%s_%d_%d.png", piece, level, left);
                EXPECT_TRUE(have.count(name)) << name;
            }
}

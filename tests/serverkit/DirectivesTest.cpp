#include "ServerKitFixture.hpp"

#include <serverkit/CheckDirectives.hpp>
#include <serverkit/HowdyDirectiveHandler.hpp>
#include <serverkit/NotifyDirectiveHandler.hpp>
#include <serverkit/PonyDayDirectiveHandler.hpp>
#include <serverkit/TransferCoinsDirectiveHandler.hpp>

#include <foundation/Sandbox.hpp>
#include <foundation/UserDefaults.hpp>
#include <support/LogCapture.hpp>
#include <toolkit/json/JSONDecoder.hpp>
#include <ui/AlertView.hpp>
#include <ui/Window.hpp>

#include <optional>

namespace QBYKeys = serverkit::QBYKeys;
using serverkit::PonyDayDirectiveHandler;
using test::GameServerStandIn;
using test::HttpResponse;

namespace {

struct Alert {
    std::string title;
    std::string message;
    bool operator==(Alert const&) const = default;
};

std::ostream& operator<<(std::ostream& out, Alert const& alert) {
    return out << "[" << alert.title << " / " << alert.message << "]";
}

using Alerts = std::vector<Alert>;

// The directives call with the four handlers the game gives it, against the stand-in,
// with user defaults of its own and a key window for the alerts.
class DirectivesTest : public test::ServerKitTest {
protected:
    DirectivesTest() {
        foundation::Sandbox::setRoot(folder.path().string());
        foundation::UserDefaults::resetStandardUserDefaults();
        window = ui::Window::create(graphics::makeRect(0, 0, 480, 320));
        window->makeKeyAndVisible();
    }
    ~DirectivesTest() override {
        window = nullptr;
        foundation::UserDefaults::resetStandardUserDefaults();
        foundation::Sandbox::setRoot({});
    }

    static serverkit::CheckDirectives::Handlers gameHandlers() {
        return {serverkit::NotifyDirectiveHandler::init(), PonyDayDirectiveHandler::init(),
            serverkit::HowdyDirectiveHandler::init(),
            serverkit::TransferCoinsDirectiveHandler::init()};
    }

    // Sends the directives call once with reply as the server's answer; the alerts it
    // showed, which are then taken away.
    Alerts check(std::optional<std::string> const& reply) {
        if (reply)
            server.setDirectives(*reply);
        connect().callAPIMethod(
            serverkit::CheckDirectives::apicallWithDirectiveHandlers(gameHandlers()));
        EXPECT_TRUE(runUntilIdle());
        Alerts shown;
        auto subviews = window->subviews();
        for (auto const& view : subviews) {
            if (auto* alert = dynamic_cast<ui::AlertView*>(view.get())) {
                EXPECT_EQ(alert->numberOfButtons(), 1);
                EXPECT_EQ(alert->buttonTitleAtIndex(0), "OK");
                EXPECT_EQ(alert->delegate(), nullptr);
                shown.push_back({alert->title(), alert->message()});
                alert->dismissWithClickedButtonIndex(0, false);
            }
        }
        return shown;
    }

    static base::Value entry() { return connect().objectForKey(QBYKeys::CheckDirectivesDataStore); }
    static foundation::UserDefaults& defaults() {
        return foundation::UserDefaults::standardUserDefaults();
    }
    static base::Value stored(std::string const& key) { return defaults().objectForKey(key); }

    base::Ref<ui::Window> window;
};

std::string notify(std::string const& fields) {
    return "{\"type\":\"notify\"" + fields + "}";
}

std::string reply(std::vector<std::string> const& records) {
    return GameServerStandIn::directives(records);
}

std::string record(int uid, std::string const& settings) {
    return GameServerStandIn::directive(uid, settings);
}

}

// One installation answering a run of replies, each row one activation of the
// application: the alerts it shows and the run counts it leaves.
TEST_F(DirectivesTest, NotifyRunsAsOftenAsItsFreqAllowsPerUid) {
    struct Case {
        char const* name;
        std::string reply;
        Alerts alerts;
        std::vector<std::pair<std::string, std::optional<int>>> counts;
    };
    auto const welcome = notify(R"(,"title":"Hi","msg":"Welcome")");
    Case const cases[] = {
        {"no freq: once", reply({record(17, welcome)}), {{"Hi", "Welcome"}},
            {{"notify_runcount_key17", 1}}},
        {"the same uid again", reply({record(17, welcome)}), {}, {{"notify_runcount_key17", 1}}},
        {"a new uid with the same text", reply({record(18, welcome)}), {{"Hi", "Welcome"}},
            {{"notify_runcount_key18", 1}}},
        {"freq 0 never runs", reply({record(20, notify(R"(,"freq":0,"msg":"zero")"))}), {},
            {{"notify_runcount_key20", std::nullopt}}},
        {"freq -1 runs uncounted", reply({record(21, notify(R"(,"freq":-1,"msg":"always")"))}),
            {{"", "always"}}, {{"notify_runcount_key21", std::nullopt}}},
        {"freq -1 runs again", reply({record(21, notify(R"(,"freq":-1,"msg":"always")"))}),
            {{"", "always"}}, {{"notify_runcount_key21", std::nullopt}}},
        {"freq 3, first", reply({record(22, notify(R"(,"freq":3,"msg":"three")"))}),
            {{"", "three"}}, {{"notify_runcount_key22", 1}}},
        {"freq 3, second", reply({record(22, notify(R"(,"freq":3,"msg":"three")"))}),
            {{"", "three"}}, {{"notify_runcount_key22", 2}}},
        {"freq 3, third", reply({record(22, notify(R"(,"freq":3,"msg":"three")"))}),
            {{"", "three"}}, {{"notify_runcount_key22", 3}}},
        {"freq 3, spent", reply({record(22, notify(R"(,"freq":3,"msg":"three")"))}), {},
            {{"notify_runcount_key22", 3}}},
        {"no title: an empty one", reply({record(23, notify(R"(,"msg":"untitled")"))}),
            {{"", "untitled"}}, {{"notify_runcount_key23", 1}}},
        {"no msg: nothing shown, the run used",
            reply({record(24, notify(R"(,"title":"T")")), record(24, notify(R"(,"msg":"late")"))}),
            {}, {{"notify_runcount_key24", 1}}},
        {"non-ASCII text is whole",
            reply({record(25, notify(R"(,"title":"Grüße","msg":"Poney 🐴 — ça va")"))}),
            {{"Grüße", "Poney 🐴 — ça va"}}, {{"notify_runcount_key25", 1}}},
        {"uid as numeric text", R"([{"uid":"26","data":"{\"type\":\"notify\",\"msg\":\"t\"}"}])",
            {{"", "t"}}, {{"notify_runcount_key26", 1}}},
        {"two records run in order",
            reply({record(27, notify(R"(,"msg":"first")")),
                record(28, notify(R"(,"msg":"second")"))}),
            {{"", "first"}, {"", "second"}}, {}},
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(check(c.reply), c.alerts);
        for (auto const& [key, count] : c.counts) {
            if (count)
                EXPECT_EQ(stored(key), base::Value(*count)) << key;
            else
                EXPECT_TRUE(stored(key).isNil()) << key;
        }
    }
}

// The merged entry, shouldShowHowdy and the coin-transfer settings after each reply.
TEST_F(DirectivesTest, RepliesSetReplaceAndClearTheDirectivesEntry) {
    auto howdy = [](std::string const& on) { return R"({"type":"howdy","howdy_on":)" + on + "}"; };
    struct Case {
        char const* name;
        std::string reply;
        // The entry's JSON, or none when it must be absent.
        std::optional<std::string> entry;
        bool showHowdy;
    };
    Case const cases[] = {
        {"an empty list leaves an empty entry", "[]", "{}", false},
        {"howdy on", reply({record(1, howdy("1"))}), R"({"howdy_on":true})", true},
        {"the later of two howdy records decides (off)",
            reply({record(1, howdy("1")), record(2, howdy("0"))}), R"({"howdy_on":false})", false},
        {"the later of two howdy records decides (on)",
            reply({record(1, howdy("0")), record(2, howdy("1"))}), R"({"howdy_on":true})", true},
        {"the text \"1\" counts as 1", reply({record(1, howdy("\"1\""))}), R"({"howdy_on":true})",
            true},
        {"2 is not on", reply({record(1, howdy("2"))}), R"({"howdy_on":false})", false},
        {"a good reply replaces the whole entry", reply({record(3, notify(R"(,"freq":0)"))}), "{}",
            false},
        {"not JSON clears it", "[{\"uid\":1,", std::nullopt, false},
        {"an object clears it", R"({"uid":1,"data":"{\"type\":\"howdy\",\"howdy_on\":1}"})",
            std::nullopt, false},
        {"an empty reply clears it", "", std::nullopt, false},
        {"records that are not objects, data that is not text, unknown kinds and bad JSON "
         "are passed over",
            R"([7,"x",null,{"uid":6,"data":"{\"type\":\"howdy\",\"howdy_on\":0}"},)"
            R"({"uid":1,"data":{"type":"howdy","howdy_on":1}},{"uid":2,"data":"{\"type\":\"weather\"}"},)"
            R"({"uid":3,"data":"{\"type\":"},{"uid":4},{"uid":5,"data":"[1]"}])",
            R"({"howdy_on":false})", false},
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_TRUE(check(c.reply).empty());
        if (c.entry)
            EXPECT_EQ(entry(), toolkit::json::objectFromJSONString(*c.entry));
        else
            EXPECT_TRUE(entry().isNil());
        EXPECT_EQ(serverkit::HowdyDirectiveHandler::shouldShowHowdy(), c.showHowdy);
    }

    // A failed call clears the entry as well.
    check(reply({record(1, howdy("1"))}));
    ASSERT_TRUE(serverkit::HowdyDirectiveHandler::shouldShowHowdy());
    server.reply("checkdirectives", HttpResponse::text(reply({record(1, howdy("1"))}), 500));
    check(std::nullopt);
    EXPECT_TRUE(entry().isNil());
    EXPECT_FALSE(serverkit::HowdyDirectiveHandler::shouldShowHowdy());
}

TEST_F(DirectivesTest, TransferCoinsKeepsOnlyNumbersAndItsDefaults) {
    struct Case {
        char const* name;
        std::string settings;
        std::string stored;
    };
    Case const cases[] = {
        {"numbers are taken",
            R"({"type":"xfercoins","active":1,"freq":4,"step":20,"base":5000,"scale":1.5})",
            R"({"active":true,"freq":4,"step":20,"base":5000,"scale":1.5,"uid":40})"},
        {"text takes the defaults, no active switches the offer off",
            R"({"type":"xfercoins","freq":"4","step":"10","base":"10","scale":"2"})",
            R"({"active":false,"freq":0,"step":0,"base":2147483647,"scale":1,"uid":40})"},
        {"nothing but the type", R"({"type":"xfercoins"})",
            R"({"active":false,"freq":0,"step":0,"base":2147483647,"scale":1,"uid":40})"},
        {"active as text \"1\", booleans and nulls are not numbers",
            R"({"type":"xfercoins","active":"1","freq":true,"step":null,"base":[1],"scale":{}})",
            R"({"active":true,"freq":0,"step":0,"base":2147483647,"scale":1,"uid":40})"},
        {"active 2 is off", R"({"type":"xfercoins","active":2,"base":0,"scale":0})",
            R"({"active":false,"freq":0,"step":0,"base":0,"scale":0,"uid":40})"},
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_TRUE(check(reply({record(40, c.settings)})).empty());
        EXPECT_EQ(stored(serverkit::TransferCoinsDirectiveHandler::DataStoreKey),
            toolkit::json::objectFromJSONString(c.stored));
        EXPECT_EQ(entry(), toolkit::json::objectFromJSONString("{}")) << "nothing merged";
    }

    // The settings stay when later replies carry none, or carry broken ones.
    auto before = stored(serverkit::TransferCoinsDirectiveHandler::DataStoreKey);
    test::LogCapture lines;
    check(reply({record(41, "{\"type\":\"xfercoins\",")}));
    check("[]");
    check(reply({record(42, R"({"type":"notxfer","active":1})")}));
    EXPECT_EQ(stored(serverkit::TransferCoinsDirectiveHandler::DataStoreKey), before);
    EXPECT_TRUE(lines.contains("TransferCoinsDirectiveHandler::processDirective:withData: :: "));
}

TEST_F(DirectivesTest, SuccessIsAnnouncedWithTheCallAsSender) {
    auto call = serverkit::CheckDirectives::apicallWithDirectiveHandlers(gameHandlers());
    connect().callAPIMethod(call);
    ASSERT_TRUE(runUntilIdle());
    ASSERT_EQ(seenNames(), std::vector<std::string>({"QBYKIT_CHECKDIRECTIVES_NOTIFICTAION"}));
    EXPECT_EQ(seen[0].sender, call.get());
    EXPECT_TRUE(seen[0].userInfo.isNil());
    EXPECT_EQ(server.calls()[0].body,
        R"(method=checkdirectives&data={"appid":"net.quillaby.salon","ver":"1.0","udid":"udid-1"})");
    EXPECT_FALSE(server.calls()[0].sig);

    // A call made without handlers still merges an entry, an empty one.
    server.setDirectives(reply({record(1, R"({"type":"howdy","howdy_on":1})")}));
    connect().callAPIMethod(serverkit::CheckDirectives::apicall());
    ASSERT_TRUE(runUntilIdle());
    EXPECT_EQ(entry(), toolkit::json::objectFromJSONString("{}"));
}

// The pony-day handler on its own: the pending flag, the settings it keeps and what it
// merges, against the run counts that days leave.
TEST_F(DirectivesTest, PonyDayDirectivesSetThePendingFlagWhileTheUidMayStartADay) {
    auto handler = PonyDayDirectiveHandler::init();
    auto process = [&](int uid, std::string const& settings) {
        auto result = handler->processDirective(uid, settings);
        return result ? base::Value(result) : base::Value();
    };
    auto json = [](std::string const& text) { return toolkit::json::objectFromJSONString(text); };

    // No freq: one day per uid.
    auto const first = R"({"type":"ponyday","msg":"Ponies!","feemult":2.5})";
    EXPECT_EQ(process(7, first),
        json(
            R"({"ponymode_uid":7,"ponymode":1,"ponymode_fee_mult":2.5,"ponymode_msg":"Ponies!"})"));
    EXPECT_EQ(process(7, first).dictionary()->keys(),
        (std::vector<std::string> {
            "ponymode_uid", "ponymode", "ponymode_fee_mult", "ponymode_msg"}));
    EXPECT_TRUE(PonyDayDirectiveHandler::isPonyModeEnabled());
    EXPECT_FALSE(PonyDayDirectiveHandler::isPonyModeActive());
    EXPECT_FLOAT_EQ(PonyDayDirectiveHandler::getFeeMult(), 2.5f);
    EXPECT_EQ(PonyDayDirectiveHandler::getMessage(), "Ponies!");
    EXPECT_EQ(stored("ponymode_uid"), base::Value(7));
    EXPECT_TRUE(stored("ponymode_runcount_key7").isNil()) << "the handler only compares";

    PonyDayDirectiveHandler::setPonyModeActive(true);
    EXPECT_FALSE(PonyDayDirectiveHandler::isPonyModeEnabled());
    EXPECT_TRUE(PonyDayDirectiveHandler::isPonyModeActive());
    EXPECT_EQ(stored("ponymode_runcount_key7"), base::Value(1));
    PonyDayDirectiveHandler::setPonyModeActive(false);
    EXPECT_FALSE(PonyDayDirectiveHandler::isPonyModeEnabled());
    EXPECT_FALSE(PonyDayDirectiveHandler::isPonyModeActive());
    EXPECT_EQ(stored("ponymode_runcount_key7"), base::Value(1));

    EXPECT_EQ(process(7, first).dictionary()->objectForKey("ponymode"), base::Value(0));
    EXPECT_FALSE(PonyDayDirectiveHandler::isPonyModeEnabled());

    // freq 3: three days of uid 8, one per reply once the previous day has started.
    auto const three = R"({"type":"ponyday","freq":3,"feemult":2})";
    for (int day = 1; day <= 3; ++day) {
        SCOPED_TRACE(day);
        EXPECT_EQ(process(8, three).dictionary()->objectForKey("ponymode"), base::Value(1));
        EXPECT_TRUE(PonyDayDirectiveHandler::isPonyModeEnabled());
        PonyDayDirectiveHandler::setPonyModeActive(true);
        PonyDayDirectiveHandler::setPonyModeActive(false);
    }
    EXPECT_EQ(stored("ponymode_runcount_key8"), base::Value(3));
    EXPECT_EQ(process(8, three).dictionary()->objectForKey("ponymode"), base::Value(0));
    EXPECT_FALSE(PonyDayDirectiveHandler::isPonyModeEnabled());
    EXPECT_EQ(PonyDayDirectiveHandler::getMessage(), "Ponies!") << "kept without a msg";

    // A negative freq always allows a day, and the pending flag follows.
    auto const unlimited = R"({"type":"ponyday","freq":-1,"feemult":3})";
    for (int day = 1; day <= 2; ++day) {
        EXPECT_EQ(process(9, unlimited).dictionary()->objectForKey("ponymode"), base::Value(1));
        EXPECT_TRUE(PonyDayDirectiveHandler::isPonyModeEnabled());
        PonyDayDirectiveHandler::setPonyModeActive(true);
        PonyDayDirectiveHandler::setPonyModeActive(false);
    }

    // freq 0 never starts one; without feemult the multiplier is 0 and the merged list
    // stops before the multiplier, message or not.
    EXPECT_EQ(process(10, R"({"type":"ponyday","freq":0,"msg":"Zero"})"),
        json(R"({"ponymode_uid":10,"ponymode":0})"));
    EXPECT_FALSE(PonyDayDirectiveHandler::isPonyModeEnabled());
    EXPECT_FLOAT_EQ(PonyDayDirectiveHandler::getFeeMult(), 0);
    EXPECT_EQ(PonyDayDirectiveHandler::getMessage(), "Zero");
    EXPECT_EQ(process(11, R"({"type":"ponyday","feemult":2})"),
        json(R"({"ponymode_uid":11,"ponymode":1,"ponymode_fee_mult":2})"));
    EXPECT_EQ(PonyDayDirectiveHandler::getMessage(), "Zero");

    // Other kinds and bad JSON change nothing.
    for (auto const* other :
        {R"({"type":"notify","msg":"x"})", "{\"type\":", "[]", "{}", R"({"type":1})", ""}) {
        EXPECT_TRUE(process(12, other).isNil()) << other;
    }
    EXPECT_EQ(stored("ponymode_uid"), base::Value(11));
}

// The start of a pony day counts against the uid that the last directive left in the
// user defaults, so it holds across restarts that empty the data store.
TEST_F(DirectivesTest, APonyDayStartCountsAgainstTheStoredUid) {
    server.setDirectives(reply({record(31, R"({"type":"ponyday","msg":"Hi","feemult":2})")}));
    check(std::nullopt);
    EXPECT_EQ(entry().dictionary()->objectForKey("ponymode"), base::Value(1));
    serverkit::QBYConnect::resetSharedManager();
    defaults().synchronize();
    foundation::UserDefaults::resetStandardUserDefaults();

    PonyDayDirectiveHandler::setPonyModeActive(true);
    EXPECT_EQ(stored("ponymode_runcount_key31"), base::Value(1));
    EXPECT_EQ(stored("ponymode_runcount_key0"), base::Value());
}

// Every handler acts on its own kind only, in the order of the records.
TEST_F(DirectivesTest, EachHandlerTakesItsOwnKind) {
    auto alerts = check(reply({record(1, R"({"type":"ponyday","msg":"P","feemult":2})"),
        record(2, notify(R"(,"msg":"N")")), record(3, R"({"type":"howdy","howdy_on":1})"),
        record(4, R"({"type":"xfercoins","active":1})")}));
    EXPECT_EQ(alerts, (Alerts {{"", "N"}}));
    EXPECT_EQ(entry(),
        toolkit::json::objectFromJSONString(
            R"({"ponymode_uid":1,"ponymode":1,"ponymode_fee_mult":2,"ponymode_msg":"P","howdy_on":true})"));
    EXPECT_EQ(stored("xfercoins_datastore").dictionary()->objectForKey("uid"), base::Value(4));
    EXPECT_EQ(stored("notify_runcount_key2"), base::Value(1));
    EXPECT_TRUE(stored("notify_runcount_key1").isNil());
}

#include <foundation/NotificationCenter.hpp>

#include "MainLoopFixture.hpp"
#include <support/LogCapture.hpp>

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

using foundation::Notification;
using foundation::NotificationCenter;

namespace {

class NotificationCenterTest : public test::MainLoopTest {
protected:
    NotificationCenter& center() { return NotificationCenter::defaultCenter(); }

    // An observer callback that records its label.
    NotificationCenter::Callback record(std::string label) {
        return [this, label](Notification const&) { calls.push_back(label); };
    }

    std::vector<std::string> calls;
    int observerA = 0;
    int observerB = 0;
    int senderX = 0;
    int senderY = 0;
};

}

TEST_F(NotificationCenterTest, DeliversSynchronouslyInRegistrationOrder) {
    center().addObserver(&observerB, "Changed", record("b"));
    center().addObserver(&observerA, "Changed", record("a"));
    center().addObserver(&observerA, "Other", record("other"));

    center().postNotification("Changed");

    EXPECT_EQ(calls, (std::vector<std::string> {"b", "a"}));
}

TEST_F(NotificationCenterTest, MatchesNameAndSenderWhereTheRegistrationNamesThem) {
    struct Case {
        char const* name;
        void const* sender;
        std::vector<std::string> expected;
    };
    center().addObserver(&observerA, "Changed", record("Changed from anyone"));
    center().addObserver(&observerA, "Changed", record("Changed from X"), &senderX);
    center().addObserver(&observerA, "", record("anything from Y"), &senderY);
    center().addObserver(&observerA, "", record("anything"));
    std::vector<Case> const cases {
        {"Changed", nullptr, {"Changed from anyone", "anything"}},
        {"Changed", &senderX, {"Changed from anyone", "Changed from X", "anything"}},
        {"Changed", &senderY, {"Changed from anyone", "anything from Y", "anything"}},
        {"Other", &senderX, {"anything"}},
        {"Other", &senderY, {"anything from Y", "anything"}},
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(std::string(c.name) + (c.sender == &senderX ? " X" : c.sender ? " Y" : ""));
        calls.clear();
        center().postNotification(c.name, c.sender);
        EXPECT_EQ(calls, c.expected);
    }
}

TEST_F(NotificationCenterTest, ObserverSeesTheNameSenderAndUserInfo) {
    std::string name;
    void const* object = nullptr;
    std::string info;
    center().addObserver(&observerA, "Changed", [&](Notification const& notification) {
        name = notification.name();
        object = notification.object();
        info = notification.userInfo().stringValue();
    });
    center().postNotification("Changed", &senderX, base::Value("payload"));
    EXPECT_EQ(name, "Changed");
    EXPECT_EQ(object, &senderX);
    EXPECT_EQ(info, "payload");
}

TEST_F(NotificationCenterTest, ObserverRegisteredTwiceIsCalledTwiceUntilRemoved) {
    center().addObserver(&observerA, "Changed", record("a"));
    center().addObserver(&observerA, "Changed", record("a"));
    center().addObserver(&observerB, "Changed", record("b"));
    center().postNotification("Changed");
    EXPECT_EQ(calls, (std::vector<std::string> {"a", "a", "b"}));

    calls.clear();
    center().removeObserver(&observerA);
    center().postNotification("Changed");
    EXPECT_EQ(calls, (std::vector<std::string> {"b"}));
}

TEST_F(NotificationCenterTest, RemoveObserverByNameAndSenderRemovesOnlyWhatMatches) {
    struct Case {
        char const* description;
        char const* name;
        void const* sender;
        std::vector<std::string> remaining;
    };
    std::vector<Case> const cases {
        {"name and sender", "Changed", &senderX, {"Changed from Y", "Other from X"}},
        {"name, any sender", "Changed", nullptr, {"Other from X"}},
        {"any name, one sender", "", &senderX, {"Changed from Y"}},
        {"any name and sender", "", nullptr, {}},
        {"no such name", "Missing", nullptr, {"Changed from X", "Changed from Y", "Other from X"}},
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(c.description);
        center().removeAllObservers();
        center().addObserver(&observerA, "Changed", record("Changed from X"), &senderX);
        center().addObserver(&observerA, "Changed", record("Changed from Y"), &senderY);
        center().addObserver(&observerA, "Other", record("Other from X"), &senderX);
        center().addObserver(&observerB, "Changed", record("B"));

        center().removeObserver(&observerA, c.name, c.sender);

        calls.clear();
        for (auto const* name : {"Changed", "Other"}) {
            for (void const* sender :
                {static_cast<void const*>(&senderX), static_cast<void const*>(&senderY)})
                center().postNotification(name, sender);
        }
        std::erase(calls, "B");
        EXPECT_EQ(calls, c.remaining);
    }
}

TEST_F(NotificationCenterTest, ObserverRemovedDuringDeliveryIsNotCalledAfterwards) {
    center().addObserver(&observerA, "Changed", [&](Notification const&) {
        calls.push_back("a");
        center().removeObserver(&observerB);
        center().removeObserver(&observerA);
    });
    center().addObserver(&observerB, "Changed", record("b"));

    center().postNotification("Changed");
    center().postNotification("Changed");

    EXPECT_EQ(calls, (std::vector<std::string> {"a"}));
}

TEST_F(NotificationCenterTest, ObserverAddedDuringDeliveryFirstHearsTheNextPost) {
    bool added = false;
    center().addObserver(&observerA, "Changed", [&](Notification const&) {
        calls.push_back("a");
        if (!added) {
            added = true;
            center().addObserver(&observerB, "Changed", record("b"));
        }
    });

    center().postNotification("Changed");
    EXPECT_EQ(calls, (std::vector<std::string> {"a"}));
    center().postNotification("Changed");
    EXPECT_EQ(calls, (std::vector<std::string> {"a", "a", "b"}));
}

TEST_F(NotificationCenterTest, PostingFromAnObserverDeliversTheInnerNotificationFirst) {
    center().addObserver(&observerA, "Outer", [&](Notification const&) {
        calls.push_back("outer");
        center().postNotification("Inner");
        calls.push_back("outer ends");
    });
    center().addObserver(&observerB, "Inner", record("inner"));
    center().postNotification("Outer");
    EXPECT_EQ(calls, (std::vector<std::string> {"outer", "inner", "outer ends"}));
}

TEST_F(NotificationCenterTest, IndependentCentresKeepTheirOwnObservers) {
    auto first = NotificationCenter::create();
    auto second = NotificationCenter::create();
    first->addObserver(&observerA, "Changed", record("first"));
    second->addObserver(&observerA, "Changed", record("second"));
    center().addObserver(&observerA, "Changed", record("default"));

    first->postNotification("Changed");
    EXPECT_EQ(calls, (std::vector<std::string> {"first"}));

    second->removeObserver(&observerA);
    second->postNotification("Changed");
    center().postNotification("Changed");
    EXPECT_EQ(calls, (std::vector<std::string> {"first", "default"}));
}

TEST_F(NotificationCenterTest, TokenUnregistersWhenDestroyedCancelledOrOverwritten) {
    {
        auto token = center().observe("Changed", record("scoped"));
        center().postNotification("Changed");
    }
    auto cancelled = center().observe("Changed", record("cancelled"));
    cancelled.cancel();
    EXPECT_FALSE(cancelled);
    auto kept = center().observe("Changed", record("overwritten"));
    kept = center().observe("Changed", record("kept"));
    auto moved = std::move(kept);

    center().postNotification("Changed");

    EXPECT_EQ(calls, (std::vector<std::string> {"scoped", "kept"}));
}

TEST_F(NotificationCenterTest, TokenOutlivingItsCentreKeepsTheCentreUntilItGoes) {
    auto token = NotificationCenter::create()->observe("Changed", record("a"));
    EXPECT_TRUE(token);
    token.cancel();
    EXPECT_FALSE(token);
}

TEST_F(NotificationCenterTest, PostWithoutANameIsLoggedAndDeliveredToNobody) {
    test::LogCapture log;
    center().addObserver(&observerA, "", record("everything"));
    center().postNotification("");
    EXPECT_TRUE(calls.empty());
    EXPECT_TRUE(log.contains("without a name"));
}

TEST_F(NotificationCenterTest, DeliversOnThePostingThreadWhileOthersRegister) {
    std::atomic<int> delivered = 0;
    std::thread::id postingThread;
    std::atomic<bool> onPostingThread = true;
    center().addObserver(&observerA, "Tick", [&](Notification const&) {
        ++delivered;
        if (std::this_thread::get_id() != postingThread)
            onPostingThread = false;
    });

    std::vector<std::thread> registrars;
    for (int i = 0; i < 4; ++i) {
        registrars.emplace_back([this] {
            for (int n = 0; n < 200; ++n) {
                int observer = 0;
                center().addObserver(&observer, "Tick", [](Notification const&) {});
                center().removeObserver(&observer);
            }
        });
    }
    std::thread poster([&] {
        postingThread = std::this_thread::get_id();
        for (int n = 0; n < 200; ++n)
            center().postNotification("Tick");
    });
    poster.join();
    for (auto& registrar : registrars)
        registrar.join();

    EXPECT_EQ(delivered, 200);
    EXPECT_TRUE(onPostingThread);
}

#include <graphics/InputTranslator.hpp>

#include <SDL2/SDL.h>
#include <gtest/gtest.h>

#include <cstring>

using graphics::CloseEvent;
using graphics::Event;
using graphics::InputTranslator;
using graphics::KeyEvent;
using graphics::PointerEvent;
using graphics::TextEvent;
using Phase = PointerEvent::Phase;

namespace {

SDL_Event button(Uint32 type, int x, int y, Uint8 which = SDL_BUTTON_LEFT) {
    SDL_Event event {};
    event.type = type;
    event.button.button = which;
    event.button.x = x;
    event.button.y = y;
    return event;
}

SDL_Event motion(int x, int y) {
    SDL_Event event {};
    event.type = SDL_MOUSEMOTION;
    event.motion.x = x;
    event.motion.y = y;
    return event;
}

SDL_Event windowEvent(Uint8 which) {
    SDL_Event event {};
    event.type = SDL_WINDOWEVENT;
    event.window.event = which;
    return event;
}

SDL_Event key(Uint32 type, SDL_Keycode code, bool repeat = false) {
    SDL_Event event {};
    event.type = type;
    event.key.keysym.sym = code;
    event.key.repeat = repeat;
    return event;
}

}

TEST(InputTranslator, MouseBecomesPointerEventsInPoints) {
    InputTranslator translator(2);
    auto began = translator.translate(button(SDL_MOUSEBUTTONDOWN, 100, 60), 1.0);
    auto moved = translator.translate(motion(110, 70), 1.1);
    auto ended = translator.translate(button(SDL_MOUSEBUTTONUP, 120, 80), 1.2);
    ASSERT_TRUE(began && moved && ended);
    EXPECT_EQ(std::get<PointerEvent>(*began), (PointerEvent {Phase::Began, 50, 30, 1.0, 1}));
    EXPECT_EQ(std::get<PointerEvent>(*moved), (PointerEvent {Phase::Moved, 55, 35, 1.1, 1}));
    EXPECT_EQ(std::get<PointerEvent>(*ended), (PointerEvent {Phase::Ended, 60, 40, 1.2, 1}));
}

TEST(InputTranslator, DoubleClickCarriesTapCountTwoThroughItsPress) {
    InputTranslator translator;
    translator.translate(button(SDL_MOUSEBUTTONDOWN, 10, 10), 1.0);
    translator.translate(button(SDL_MOUSEBUTTONUP, 10, 10), 1.05);
    auto second = translator.translate(button(SDL_MOUSEBUTTONDOWN, 11, 10), 1.2);
    auto secondUp = translator.translate(button(SDL_MOUSEBUTTONUP, 11, 10), 1.25);
    ASSERT_TRUE(second && secondUp);
    EXPECT_EQ(std::get<PointerEvent>(*second).tapCount, 2);
    EXPECT_EQ(std::get<PointerEvent>(*secondUp).tapCount, 2);
}

TEST(InputTranslator, DropsWhatDoesNotFitThePressState) {
    InputTranslator translator;
    EXPECT_FALSE(translator.translate(motion(5, 5), 0.1)) << "motion without a press";
    EXPECT_FALSE(translator.translate(button(SDL_MOUSEBUTTONUP, 5, 5), 0.2))
        << "release without a press";
    EXPECT_FALSE(translator.translate(button(SDL_MOUSEBUTTONDOWN, 5, 5, SDL_BUTTON_RIGHT), 0.3))
        << "right button";
    EXPECT_TRUE(translator.translate(button(SDL_MOUSEBUTTONDOWN, 5, 5), 0.4));
    EXPECT_FALSE(translator.translate(button(SDL_MOUSEBUTTONDOWN, 6, 6), 0.5)) << "second press";
    EXPECT_FALSE(translator.translate(button(SDL_MOUSEBUTTONUP, 6, 6, SDL_BUTTON_RIGHT), 0.6))
        << "right release";
    EXPECT_TRUE(translator.isPressed());
}

TEST(InputTranslator, LosingFocusCancelsThePressWhereItLastWas) {
    InputTranslator translator;
    EXPECT_FALSE(translator.translate(windowEvent(SDL_WINDOWEVENT_FOCUS_LOST), 0.1));
    translator.translate(button(SDL_MOUSEBUTTONDOWN, 5, 5), 0.2);
    translator.translate(motion(30, 40), 0.3);
    auto cancelled = translator.translate(windowEvent(SDL_WINDOWEVENT_FOCUS_LOST), 0.4);
    ASSERT_TRUE(cancelled);
    EXPECT_EQ(
        std::get<PointerEvent>(*cancelled), (PointerEvent {Phase::Cancelled, 30, 40, 0.4, 1}));
    EXPECT_FALSE(translator.isPressed());
    EXPECT_FALSE(translator.translate(button(SDL_MOUSEBUTTONUP, 30, 40), 0.5));
}

TEST(InputTranslator, KeysTextAndQuit) {
    InputTranslator translator;
    struct Case {
        SDL_Event event;
        Event expected;
    } cases[] = {
        {key(SDL_KEYDOWN, SDLK_a), KeyEvent {true, 'a', false, 2.0}},
        {key(SDL_KEYUP, SDLK_a), KeyEvent {false, 'a', false, 2.0}},
        {key(SDL_KEYDOWN, SDLK_ESCAPE, true), KeyEvent {true, KeyEvent::Escape, true, 2.0}},
        {key(SDL_KEYDOWN, SDLK_RETURN), KeyEvent {true, KeyEvent::Return, false, 2.0}},
        {key(SDL_KEYDOWN, SDLK_LEFT), KeyEvent {true, KeyEvent::Left, false, 2.0}},
        {key(SDL_KEYDOWN, SDLK_DOWN), KeyEvent {true, KeyEvent::Down, false, 2.0}},
        {key(SDL_KEYDOWN, SDLK_F5), KeyEvent {true, 0, false, 2.0}},
        {SDL_Event {SDL_QUIT}, CloseEvent {}},
    };
    for (auto const& c : cases) {
        auto event = translator.translate(c.event, 2.0);
        ASSERT_TRUE(event);
        EXPECT_EQ(*event, c.expected);
    }
    SDL_Event text {};
    text.type = SDL_TEXTINPUT;
    std::strcpy(text.text.text, "é!");
    EXPECT_EQ(translator.translate(text, 2.0), Event(TextEvent {"é!"}));
}

TEST(InputTranslator, InjectedPressesShareTheStateOfTheMouse) {
    InputTranslator translator;
    EXPECT_TRUE(translator.pointer(Phase::Began, 10, 10, 1.0));
    EXPECT_FALSE(translator.translate(button(SDL_MOUSEBUTTONDOWN, 10, 10), 1.01));
    EXPECT_TRUE(translator.translate(button(SDL_MOUSEBUTTONUP, 10, 10), 1.05));
    auto again = translator.pointer(Phase::Began, 10, 10, 1.1);
    ASSERT_TRUE(again);
    EXPECT_EQ(again->tapCount, 2);
}

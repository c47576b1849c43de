#pragma once

#include <bundlegen/Color.hpp>

#include <cairo.h>

#include <string>

namespace bundlegen::paint {

// The shared drawing vocabulary of the bundle: shapes, the panel and button looks,
// outlined text and the small icons. Every picture is built from these, so a change
// of style here changes the whole game at once. All functions draw in the caller's
// user space and leave the cairo state as they found it.

enum class Font {
    Rounded, // titles, buttons and badges: a friendly rounded hand
    Sans, // small print and digits
};
enum class Align { Left, Center, Right };

// Loads the two faces once, before any thread draws. Throws when a face is missing.
void loadFonts();
void releaseFonts();

void setColor(cairo_t*, Color);
void roundedRect(cairo_t*, double x, double y, double w, double h, double r);
void circle(cairo_t*, double cx, double cy, double r);
void ellipse(cairo_t*, double cx, double cy, double rx, double ry);
// Fills the current path and strokes it with the soft outline; the path is consumed.
void fillOutline(cairo_t*, Color fill, Color line = palette::outline, double width = 1.5);
// Fills the current path with a vertical gradient from `top` (y0) to `bottom` (y1), keeps it.
void fillGradient(cairo_t*, double y0, double y1, Color top, Color bottom);
// The same, then outlines it; the path is consumed.
void fillGradientOutline(cairo_t*, double y0, double y1, Color top, Color bottom,
    Color line = palette::outline, double width = 1.5);

// Strokes the current path dashed (on, off units); the path is consumed.
void dashedStroke(cairo_t*, Color, double width, double on = 3, double off = 2.5);
// A soft shadow under a rounded rectangle.
void shadow(cairo_t*, double x, double y, double w, double h, double r, double blur = 3);
// The cream card with a rounded border used by every dialog.
void panel(cairo_t*, double x, double y, double w, double h, double radius = 14,
    Color fill = palette::cream, Color border = palette::woodLight);
// A glossy rounded button face.
void button(cairo_t*, double x, double y, double w, double h, Color base, double radius = -1);
// A round badge: a coloured disc with a light rim, for icon buttons.
void badge(cairo_t*, double cx, double cy, double r, Color base);

// Text with an outline; (x, y) is the baseline point given by `align`.
void text(cairo_t*, std::string const& text, double x, double y, double size, Color fill,
    Color line = palette::outline, double lineWidth = 0, Align = Align::Center,
    Font = Font::Rounded);
// The same, with the text's vertical centre at y.
void textCentered(cairo_t*, std::string const& text, double x, double y, double size, Color fill,
    Color line = palette::outline, double lineWidth = 0, Font = Font::Rounded);
double textWidth(cairo_t*, std::string const& text, double size, Font = Font::Rounded);

// Icons, centred at (cx, cy) and about `size` across.
void star(
    cairo_t*, double cx, double cy, double size, Color fill, int points = 5, double inner = 0.48);
void heart(cairo_t*, double cx, double cy, double size, Color fill);
void coin(cairo_t*, double cx, double cy, double size);
void petPoint(cairo_t*, double cx, double cy, double size);
void token(cairo_t*, double cx, double cy, double size);
void paw(cairo_t*, double cx, double cy, double size, Color fill);
void musicNote(cairo_t*, double cx, double cy, double size, Color fill, bool twin = false);
void scissors(cairo_t*, double cx, double cy, double size);
void droplet(cairo_t*, double cx, double cy, double size, Color fill);
void soapBubbles(cairo_t*, double cx, double cy, double size);
void hairDryer(cairo_t*, double cx, double cy, double size);
void bathTub(cairo_t*, double cx, double cy, double size);
void armchair(cairo_t*, double cx, double cy, double size, Color fabric);
void cashRegister(cairo_t*, double cx, double cy, double size);
void faceMask(cairo_t*, double cx, double cy, double size);
void spaStones(cairo_t*, double cx, double cy, double size);
void flea(cairo_t*, double cx, double cy, double size, bool crossed);
void bell(cairo_t*, double cx, double cy, double size);
void clock(cairo_t*, double cx, double cy, double size);
void calendar(cairo_t*, double cx, double cy, double size);
void gear(cairo_t*, double cx, double cy, double size, Color fill);
void questionMark(cairo_t*, double cx, double cy, double size, Color fill);
void lightning(cairo_t*, double cx, double cy, double size, Color fill);
void plus(cairo_t*, double cx, double cy, double size, Color fill);
void cross(cairo_t*, double cx, double cy, double size, Color fill);
void check(cairo_t*, double cx, double cy, double size, Color fill);
// A chunky arrow pointing at `angle` radians (0 = right, pi/2 = down in screen terms).
void arrow(cairo_t*, double cx, double cy, double size, double angle, Color fill);
void refresh(cairo_t*, double cx, double cy, double size, Color fill);
void globe(cairo_t*, double cx, double cy, double size);
void trophy(cairo_t*, double cx, double cy, double size, Color fill);
void lock(cairo_t*, double cx, double cy, double size);
void crown(cairo_t*, double cx, double cy, double size);
void speaker(cairo_t*, double cx, double cy, double size, bool on);
void wheel(cairo_t*, double cx, double cy, double size);
void smiley(cairo_t*, double cx, double cy, double size, Color fill, int mood);
void person(cairo_t*, double cx, double cy, double size, Color fill);
void sparkle(cairo_t*, double cx, double cy, double size, Color fill);
void flame(cairo_t*, double cx, double cy, double size);
void bone(cairo_t*, double cx, double cy, double size, Color fill);
void moneyBag(cairo_t*, double cx, double cy, double size);
void chatBubble(cairo_t*, double cx, double cy, double size, Color fill);
void hedgehog(cairo_t*, double cx, double cy, double size);

}

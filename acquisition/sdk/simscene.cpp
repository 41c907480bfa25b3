#include "acquisition/sdk/simscene.h"

#include <cmath>
#include <cstdlib>

namespace irsim {

namespace {

constexpr double kPi = 3.14159265358979323846;

bool startsWith(const std::string &s, const char *prefix, std::string *rest)
{
    const std::string p(prefix);
    if (s.compare(0, p.size(), p) != 0)
        return false;
    *rest = s.substr(p.size());
    return true;
}

bool parseNumber(const std::string &text, double *v)
{
    if (text.empty())
        return false;
    char *end = nullptr;
    *v = std::strtod(text.c_str(), &end);
    return end && *end == '\0' && std::isfinite(*v);
}

std::string trimmed(const std::string &s)
{
    const auto b = s.find_first_not_of(" \t\r\n");
    if (b == std::string::npos)
        return {};
    const auto e = s.find_last_not_of(" \t\r\n");
    return s.substr(b, e - b + 1);
}

Colour shade(Colour c, double f)
{
    auto ch = [f](uint8_t v) {
        const double x = v * f;
        return static_cast<uint8_t>(x < 0 ? 0 : x > 255 ? 255 : x);
    };
    return {ch(c.r), ch(c.g), ch(c.b)};
}

bool inEllipse(double x, double y, double cx, double cy, double rx, double ry)
{
    const double dx = (x - cx) / rx, dy = (y - cy) / ry;
    return dx * dx + dy * dy <= 1.0;
}

// Shared by the office and the blackbody room.
Surface roomSurface(double x, double y)
{
    Surface s;
    if (y >= 200) {   // floor
        s.tempC = 20.5 + 0.004 * (y - 200);
        s.emissivity = 0.95;
        const bool tile = (static_cast<int>(std::floor((x + 64) / 32)) + static_cast<int>(std::floor(y / 24))) % 2;
        s.colour = tile ? Colour{128, 104, 82} : Colour{116, 94, 74};
        return s;
    }
    // Walls: warmer near the ceiling, a little cooler towards the left corner.
    s.tempC = 22.0 + 1.3 * (1.0 - y / 200.0) - 0.004 * (100 - x);
    s.emissivity = 0.93;
    s.colour = shade(Colour{216, 206, 186}, 0.92 + 0.08 * (1.0 - y / 200.0));
    return s;
}

}   // namespace

SceneChoice SceneChoice::parse(const std::string &raw)
{
    const std::string text = trimmed(raw);
    SceneChoice c;
    std::string rest;
    double v = 0;
    if (text.empty() || text == "office") {
        c.kind = SceneKind::Office;
    } else if (startsWith(text, "flat:", &rest) && parseNumber(rest, &v)) {
        c.kind = SceneKind::Flat;
        c.tempC = v;
    } else if (startsWith(text, "blackbody:", &rest) && parseNumber(rest, &v)) {
        c.kind = SceneKind::Blackbody;
        c.tempC = v;
    } else if (text[0] == '/') {
        c.kind = SceneKind::Replay;
        c.path = text;
    } else {
        c.valid = false;
    }
    return c;
}

Scene::Scene(const SceneChoice &choice) : m_choice(choice) {}

Surface Scene::background(double x, double y) const
{
    switch (m_choice.kind) {
    case SceneKind::Flat:
    case SceneKind::Replay: {
        Surface s;
        s.tempC = m_choice.tempC;
        s.emissivity = 1.0;
        s.colour = {128, 128, 128};
        return s;
    }
    case SceneKind::Blackbody:
        return roomSurface(x, y);
    case SceneKind::Office:
        break;
    }
    Surface s = roomSurface(x, y);
    // A window with a cold pane and a wooden frame.
    const Box window{118, 18, 184, 104};
    if (window.contains(x, y)) {
        const bool frame = x < window.x0 + 4 || x >= window.x1 - 4 || y < window.y0 + 4 || y >= window.y1 - 4 ||
            std::fabs(x - 151) < 1.5;
        if (frame) {
            s.tempC = 15.0;
            s.emissivity = 0.9;
            s.colour = {236, 236, 232};
        } else {
            s.tempC = 8.0 + 0.02 * (y - 22);
            s.emissivity = 0.88;
            s.colour = y > 80 ? Colour{96, 140, 84} : Colour{150, 192, 232};   // trees, then sky
        }
    }
    return s;
}

bool Scene::foreground(double x, double y, Surface *s) const
{
    if (m_choice.kind == SceneKind::Blackbody) {
        // The blackbody: an aluminium housing around a black emitter that fills
        // the central zone of the picture.
        const Box housing{44, 52, 148, 172};
        const Box emitter{50, 58, 142, 166};
        if (!housing.contains(x, y))
            return false;
        if (emitter.contains(x, y)) {
            s->tempC = m_choice.tempC;
            s->emissivity = 1.0;
            s->colour = {26, 26, 30};
        } else {
            s->tempC = 27.0;
            s->emissivity = 0.3;
            s->colour = {150, 152, 158};
        }
        return true;
    }
    if (m_choice.kind != SceneKind::Office)
        return false;
    // A cup of coffee with its handle.
    if (Box{20, 144, 40, 170}.contains(x, y)) {
        s->tempC = y < 148 ? 70.0 : 62.0 - 0.2 * (y - 148);
        s->emissivity = 0.92;
        s->colour = y < 148 ? Colour{92, 58, 36} : Colour{244, 244, 238};
        return true;
    }
    if (Box{40, 150, 46, 164}.contains(x, y) && !Box{40, 154, 43, 160}.contains(x, y)) {
        s->tempC = 48.0;
        s->emissivity = 0.92;
        s->colour = {244, 244, 238};
        return true;
    }
    // An ice pack from the freezer.
    if (Box{60, 160, 88, 170}.contains(x, y)) {
        s->tempC = -12.0 + 0.3 * (y - 160);
        s->emissivity = 0.95;
        s->colour = {70, 140, 220};
        return true;
    }
    // A soldering iron in its stand: a hot tip over a warm holder.
    if (Box{149, 104, 158, 122}.contains(x, y)) {
        s->tempC = 330.0 - 6.0 * (y - 104);
        s->emissivity = 0.8;
        s->colour = {206, 206, 210};
        return true;
    }
    if (Box{148, 122, 159, 160}.contains(x, y)) {
        s->tempC = 110.0 - 1.5 * (y - 122);
        s->emissivity = 0.6;
        s->colour = {60, 60, 66};
        return true;
    }
    if (Box{136, 160, 172, 170}.contains(x, y)) {
        s->tempC = 32.0;
        s->emissivity = 0.9;
        s->colour = {40, 40, 44};
        return true;
    }
    // The desk: its top and front.
    if (y >= 170 && y < 180) {
        s->tempC = 23.0;
        s->emissivity = 0.9;
        s->colour = {168, 116, 64};
        return true;
    }
    if (y >= 180 && y < 232 && x >= -30 && x < 212) {
        s->tempC = 21.5;
        s->emissivity = 0.9;
        s->colour = {132, 90, 52};
        return true;
    }
    return false;
}

Box Scene::personBox(double t) const
{
    if (m_choice.kind != SceneKind::Office)
        return {};
    const double cx = 70.0 + 40.0 * std::sin(2 * kPi * t / 16.0);
    return {cx - 34, 38, cx + 34, 260};
}

bool Scene::person(double x, double y, double t, Surface *s) const
{
    const Box box = personBox(t);
    if (!box.contains(x, y))
        return false;
    const double cx = (box.x0 + box.x1) / 2;
    // Hair, face, neck, then a shirt with shoulders.
    if (inEllipse(x, y, cx, 60, 15, 19)) {
        if (y < 50 - 0.02 * (x - cx) * (x - cx)) {
            s->tempC = 30.0;
            s->emissivity = 0.95;
            s->colour = {64, 44, 30};
        } else {
            s->tempC = 34.5 - 0.05 * std::fabs(x - cx);
            s->emissivity = 0.98;
            s->colour = {224, 174, 142};
        }
        return true;
    }
    if (std::fabs(x - cx) < 6 && y >= 76 && y < 86) {
        s->tempC = 34.0;
        s->emissivity = 0.98;
        s->colour = {214, 164, 134};
        return true;
    }
    const double halfWidth = y < 96 ? 18 + (y - 84) * 0.9 : 29;
    if (y >= 84 && std::fabs(x - cx) < halfWidth) {
        s->tempC = 31.0 - 0.01 * (y - 84);
        s->emissivity = 0.95;
        s->colour = shade(Colour{44, 84, 164}, 1.0 - 0.002 * (y - 84));
        return true;
    }
    return false;
}

Surface Scene::at(double x, double y, double t) const
{
    Surface s;
    if (foreground(x, y, &s))
        return s;
    if (person(x, y, t, &s))
        return s;
    return background(x, y);
}

}   // namespace irsim

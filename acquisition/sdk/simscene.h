#pragma once
// What the simulated cameras look at. A scene is laid out in the portrait
// coordinates of the live picture (x 0..192 to the right, y 0..256 down, the
// infrared view); the visible camera sees more of it around that window.

#include <cstdint>
#include <string>

namespace irsim {

struct Colour {
    uint8_t r = 0, g = 0, b = 0;
};

// One point of the world: its true temperature, emissivity and colour.
struct Surface {
    double tempC = 22.0;
    double emissivity = 0.95;
    Colour colour;
};

enum class SceneKind { Office, Flat, Blackbody, Replay };

struct SceneChoice {
    SceneKind kind = SceneKind::Office;
    double tempC = 0.0;   // flat:T and blackbody:T
    std::string path;     // replay
    bool valid = true;    // false when the text named no known scene
    // "office", "flat:T", "blackbody:T" or the absolute path of a recording.
    static SceneChoice parse(const std::string &text);
    bool operator==(const SceneChoice &o) const { return kind == o.kind && tempC == o.tempC && path == o.path; }
};

// A box in portrait coordinates.
struct Box {
    double x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    bool contains(double x, double y) const { return x >= x0 && x < x1 && y >= y0 && y < y1; }
};

// The room the office and blackbody scenes take place in, and what is in it.
// Layers: what stands behind the person, the person (moving), what stands in
// front of the person.
class Scene {
public:
    explicit Scene(const SceneChoice &choice);

    const SceneChoice &choice() const { return m_choice; }
    // Room temperature: what every surface reflects and the air between.
    double roomC() const { return 22.0; }
    // Distance from the camera to the objects, metres.
    double distanceM() const { return m_choice.kind == SceneKind::Blackbody ? 0.3 : 1.5; }

    Surface background(double x, double y) const;
    // True when something in front of the person covers (x, y).
    bool foreground(double x, double y, Surface *s) const;
    // Where the person is at time t (empty box when the scene has none), and
    // what of the person is at (x, y).
    Box personBox(double t) const;
    bool person(double x, double y, double t, Surface *s) const;

    // Everything together.
    Surface at(double x, double y, double t) const;

private:
    SceneChoice m_choice;
};

}   // namespace irsim

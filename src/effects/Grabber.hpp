#pragma once

#include <base/Object.hpp>
#include <base/Ref.hpp>
#include <engine/Forward.hpp>
#include <graphics/GLES.hpp>

namespace effects {

// Redirects drawing into a texture through a framebuffer object of its own, for a grid
// that draws a node's subtree off screen. The grid owns it; the framebuffer name lives as
// long as the grabber, which must go while its GL context is current. Main thread.
class Grabber final : public base::Object {
public:
    static base::Ref<Grabber> create();

    // Attaches the texture as the colour buffer, once. Raises "Frame Grabber" / "Could not
    // attach texture to framebuffer" when GL refuses it. The binding in force before the
    // call is restored.
    void grab(engine::Texture2D& texture);
    // Binds the framebuffer (remembering the one bound before) and clears it to
    // transparent black.
    void beforeRender(engine::Texture2D* texture);
    // Binds the framebuffer that was bound at beforeRender again.
    void afterRender(engine::Texture2D* texture);

    GLuint fbo() const { return fbo_; }

private:
    ~Grabber() override;

    GLuint fbo_ {0};
    GLint oldFBO_ {0};

    friend base::Factory;

    Grabber();
};

}

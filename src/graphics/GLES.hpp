#pragma once

// The one way into OpenGL ES 1.1 for graphics/, engine/ and effects/: include this header
// rather than <GLES/gl.h>. It declares the core functions and the extension entry points as
// ordinary functions, so the engine calls glBindFramebufferOES(...) as it calls glDrawArrays.
// The core functions come from the GLES 1 library; the extension ones (framebuffer objects,
// mipmap generation, separate blending, draw texture, buffer mapping, framebuffer discard)
// are only reachable through the window system's lookup, so GLES.cpp defines them as small
// forwarders that a context fills in when it is made. Calling one that the driver lacks
// stops the program with its name: it is a programming error, not bad input.

#ifndef GL_GLEXT_PROTOTYPES
#define GL_GLEXT_PROTOTYPES 1
#endif
#include <GLES/gl.h>
#include <GLES/glext.h>

#include <string>
#include <string_view>

namespace graphics::gles {

using ProcLoader = void* (*)(char const* name);

// Resolves the extension entry points once per process through the loader of the first
// context made (the same dispatch serves every context of the process). Any thread.
void loadExtensions(ProcLoader loader);

// Whether the extension entry point of that name was found; false before any context.
bool hasEntryPoint(std::string_view name);

// Whether the current context lists the extension in GL_EXTENSIONS.
bool hasExtension(std::string_view name);

// "GL_INVALID_ENUM" and friends, or the number in hex for others.
std::string errorName(GLenum error);

// Reads and clears the pending errors of the current context (GL keeps several). Answers the
// first one, or GL_NO_ERROR.
GLenum takeError();

// As takeError, and logs "OpenGL error 0x0502 (GL_INVALID_OPERATION) in <where>" when there
// was one.
GLenum checkError(std::string_view where);

}

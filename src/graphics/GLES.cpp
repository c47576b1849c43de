#include <graphics/GLES.hpp>

#include <base/Log.hpp>
#include <base/Verify.hpp>

#include <atomic>
#include <cstdio>
#include <mutex>

// The extension entry points that GLES.hpp promises, as (return type, name, parameters,
// arguments). Each becomes a pointer filled by loadExtensions and a function of that name
// that calls through it.
#define QUILLABY_GLES_EXTENSION_FUNCTIONS(F)                                                       \
    F(GLboolean, glIsRenderbufferOES, (GLuint renderbuffer), (renderbuffer))                       \
    F(void, glBindRenderbufferOES, (GLenum target, GLuint renderbuffer), (target, renderbuffer))   \
    F(void, glDeleteRenderbuffersOES, (GLsizei n, GLuint const* renderbuffers),                    \
        (n, renderbuffers))                                                                        \
    F(void, glGenRenderbuffersOES, (GLsizei n, GLuint * renderbuffers), (n, renderbuffers))        \
    F(void, glRenderbufferStorageOES,                                                              \
        (GLenum target, GLenum internalformat, GLsizei width, GLsizei height),                     \
        (target, internalformat, width, height))                                                   \
    F(void, glGetRenderbufferParameterivOES, (GLenum target, GLenum pname, GLint * params),        \
        (target, pname, params))                                                                   \
    F(GLboolean, glIsFramebufferOES, (GLuint framebuffer), (framebuffer))                          \
    F(void, glBindFramebufferOES, (GLenum target, GLuint framebuffer), (target, framebuffer))      \
    F(void, glDeleteFramebuffersOES, (GLsizei n, GLuint const* framebuffers), (n, framebuffers))   \
    F(void, glGenFramebuffersOES, (GLsizei n, GLuint * framebuffers), (n, framebuffers))           \
    F(GLenum, glCheckFramebufferStatusOES, (GLenum target), (target))                              \
    F(void, glFramebufferRenderbufferOES,                                                          \
        (GLenum target, GLenum attachment, GLenum renderbuffertarget, GLuint renderbuffer),        \
        (target, attachment, renderbuffertarget, renderbuffer))                                    \
    F(void, glFramebufferTexture2DOES,                                                             \
        (GLenum target, GLenum attachment, GLenum textarget, GLuint texture, GLint level),         \
        (target, attachment, textarget, texture, level))                                           \
    F(void, glGetFramebufferAttachmentParameterivOES,                                              \
        (GLenum target, GLenum attachment, GLenum pname, GLint * params),                          \
        (target, attachment, pname, params))                                                       \
    F(void, glGenerateMipmapOES, (GLenum target), (target))                                        \
    F(void, glBlendEquationOES, (GLenum mode), (mode))                                             \
    F(void, glBlendEquationSeparateOES, (GLenum modeRGB, GLenum modeAlpha), (modeRGB, modeAlpha))  \
    F(void, glBlendFuncSeparateOES,                                                                \
        (GLenum srcRGB, GLenum dstRGB, GLenum srcAlpha, GLenum dstAlpha),                          \
        (srcRGB, dstRGB, srcAlpha, dstAlpha))                                                      \
    F(void, glDrawTexsOES, (GLshort x, GLshort y, GLshort z, GLshort width, GLshort height),       \
        (x, y, z, width, height))                                                                  \
    F(void, glDrawTexiOES, (GLint x, GLint y, GLint z, GLint width, GLint height),                 \
        (x, y, z, width, height))                                                                  \
    F(void, glDrawTexxOES, (GLfixed x, GLfixed y, GLfixed z, GLfixed width, GLfixed height),       \
        (x, y, z, width, height))                                                                  \
    F(void, glDrawTexfOES, (GLfloat x, GLfloat y, GLfloat z, GLfloat width, GLfloat height),       \
        (x, y, z, width, height))                                                                  \
    F(void, glDrawTexsvOES, (GLshort const* coords), (coords))                                     \
    F(void, glDrawTexivOES, (GLint const* coords), (coords))                                       \
    F(void, glDrawTexxvOES, (GLfixed const* coords), (coords))                                     \
    F(void, glDrawTexfvOES, (GLfloat const* coords), (coords))                                     \
    F(void*, glMapBufferOES, (GLenum target, GLenum access), (target, access))                     \
    F(GLboolean, glUnmapBufferOES, (GLenum target), (target))                                      \
    F(void, glGetBufferPointervOES, (GLenum target, GLenum pname, void** params),                  \
        (target, pname, params))                                                                   \
    F(void, glDiscardFramebufferEXT,                                                               \
        (GLenum target, GLsizei numAttachments, GLenum const* attachments),                        \
        (target, numAttachments, attachments))

namespace {

namespace entry {
#define QUILLABY_GLES_POINTER(ret, name, params, args) std::atomic<ret(GL_APIENTRY*) params> name;
QUILLABY_GLES_EXTENSION_FUNCTIONS(QUILLABY_GLES_POINTER)
#undef QUILLABY_GLES_POINTER
}

// Called before any context was made, or for an entry point the driver lacks.
[[noreturn]] void missingEntryPoint(char const* name) {
    base::verificationFailed("OpenGL ES entry point loaded", __FILE__, __LINE__, name);
}

}

#define QUILLABY_GLES_FORWARDER(ret, name, params, args)                                           \
    ret GL_APIENTRY name params {                                                                  \
        auto function = entry::name.load(std::memory_order_acquire);                               \
        if (!function)                                                                             \
            missingEntryPoint(#name);                                                              \
        return function args;                                                                      \
    }
QUILLABY_GLES_EXTENSION_FUNCTIONS(QUILLABY_GLES_FORWARDER)
#undef QUILLABY_GLES_FORWARDER

namespace graphics::gles {

void loadExtensions(ProcLoader loader) {
    static std::once_flag once;
    std::call_once(once, [loader] {
    // A lookup that searched the whole process could hand back our own forwarder, which
    // would then call itself for ever; such an answer counts as not found.
#define QUILLABY_GLES_LOAD(ret, name, params, args)                                                \
    {                                                                                              \
        auto function = reinterpret_cast<ret(GL_APIENTRY*) params>(loader(#name));                 \
        if (function == &::name)                                                                   \
            function = nullptr;                                                                    \
        entry::name.store(function, std::memory_order_release);                                    \
    }
        QUILLABY_GLES_EXTENSION_FUNCTIONS(QUILLABY_GLES_LOAD)
#undef QUILLABY_GLES_LOAD
    });
}

bool hasEntryPoint(std::string_view name) {
#define QUILLABY_GLES_FIND(ret, function, params, args)                                            \
    if (name == #function)                                                                         \
        return entry::function.load(std::memory_order_acquire) != nullptr;
    QUILLABY_GLES_EXTENSION_FUNCTIONS(QUILLABY_GLES_FIND)
#undef QUILLABY_GLES_FIND
    return false;
}

bool hasExtension(std::string_view name) {
    auto const* extensions = reinterpret_cast<char const*>(glGetString(GL_EXTENSIONS));
    if (!extensions || name.empty())
        return false;
    std::string_view list(extensions);
    for (std::size_t start = 0; start < list.size();) {
        auto end = list.find(' ', start);
        if (end == std::string_view::npos)
            end = list.size();
        if (list.substr(start, end - start) == name)
            return true;
        start = end + 1;
    }
    return false;
}

std::string errorName(GLenum error) {
    switch (error) {
    case GL_NO_ERROR:
        return "GL_NO_ERROR";
    case GL_INVALID_ENUM:
        return "GL_INVALID_ENUM";
    case GL_INVALID_VALUE:
        return "GL_INVALID_VALUE";
    case GL_INVALID_OPERATION:
        return "GL_INVALID_OPERATION";
    case GL_STACK_OVERFLOW:
        return "GL_STACK_OVERFLOW";
    case GL_STACK_UNDERFLOW:
        return "GL_STACK_UNDERFLOW";
    case GL_OUT_OF_MEMORY:
        return "GL_OUT_OF_MEMORY";
    case GL_INVALID_FRAMEBUFFER_OPERATION_OES:
        return "GL_INVALID_FRAMEBUFFER_OPERATION_OES";
    default: {
        char text[16];
        std::snprintf(text, sizeof text, "0x%04X", error);
        return text;
    }
    }
}

GLenum takeError() {
    GLenum first = glGetError();
    // A context keeps one flag per kind of error; a bounded loop also ends when there is
    // no current context and glGetError keeps answering the same thing.
    for (int i = 0; i < 16 && glGetError() != GL_NO_ERROR; ++i) { }
    return first;
}

GLenum checkError(std::string_view where) {
    GLenum error = takeError();
    if (error != GL_NO_ERROR) {
        char code[16];
        std::snprintf(code, sizeof code, "0x%04X", error);
        base::logLine(std::string("OpenGL error ") + code + " (" + errorName(error) + ") in "
            + std::string(where));
    }
    return error;
}

}

// GL objects behind the device's memory resources, and the bookkeeping that lets them
// outlive, or be outlived by, the context they were made in.
//
// A resource makes its GL object on first use and uploads its memory copy whenever the
// copy's version moved. The registry, shared by the device and all its resources, knows
// every GL name in the current generation: when the host's context goes away the device
// deletes them all (or forgets them, when the context is already gone) and starts a new
// generation, and each resource then makes a new object from its memory copy on next use.
// A resource released by the engine does not delete its GL object itself (no context
// need be current then); it hands the name back to the registry, and the device deletes
// such names at its next scene.
#pragma once

#include "d3d9/memory_resources.h"

#include <epoxy/gl.h>

#include <cstdint>
#include <memory>
#include <unordered_set>
#include <vector>

enum class GLObjectKind { Texture, Buffer };

class GLObjectRegistry {
public:
    std::uint64_t generation() const { return generation_; }

    GLuint make(GLObjectKind kind);
    // A name of the current generation that is no longer used; deleted by collect().
    void retire(GLObjectKind kind, GLuint name);
    // Deletes the retired names; needs the context current.
    void collect();
    // Deletes every name and starts a new generation; needs the context current.
    void deleteAll();
    // Starts a new generation without calling GL: the context and its objects are gone.
    void forgetAll();

    std::size_t liveCount() const { return liveTextures_.size() + liveBuffers_.size(); }

private:
    std::uint64_t generation_ = 1;
    std::unordered_set<GLuint> liveTextures_;
    std::unordered_set<GLuint> liveBuffers_;
    std::vector<GLuint> deadTextures_;
    std::vector<GLuint> deadBuffers_;
};

// One GL object of a resource, valid in the generation it was made in.
class GLObject {
public:
    GLObject(std::shared_ptr<GLObjectRegistry> registry, GLObjectKind kind)
        : registry_(std::move(registry)), kind_(kind) {}
    GLObject(const GLObject&) = delete;
    GLObject& operator=(const GLObject&) = delete;
    ~GLObject();

    // The object's name, made anew when there is none in the current generation.
    // needsUpload() is then true until uploaded(version) is called.
    GLuint name();
    bool needsUpload(std::uint64_t version) const { return !uploaded_ || version_ != version; }
    void uploaded(std::uint64_t version) {
        uploaded_ = true;
        version_ = version;
    }
    bool exists() const { return name_ != 0 && generation_ == registry_->generation(); }

private:
    std::shared_ptr<GLObjectRegistry> registry_;
    GLObjectKind kind_;
    GLuint name_ = 0;
    std::uint64_t generation_ = 0;
    std::uint64_t version_ = 0;
    bool uploaded_ = false;
};

class GLVertexBuffer final : public MemoryVertexBuffer {
public:
    GLVertexBuffer(std::shared_ptr<GLObjectRegistry> registry, UINT length, DWORD usage, DWORD fvf,
                   D3DPOOL pool)
        : MemoryVertexBuffer(length, usage, fvf, pool),
          gl(std::move(registry), GLObjectKind::Buffer) {}

    GLObject gl;
};

class GLIndexBuffer final : public MemoryIndexBuffer {
public:
    GLIndexBuffer(std::shared_ptr<GLObjectRegistry> registry, UINT length, DWORD usage,
                  D3DFORMAT format, D3DPOOL pool)
        : MemoryIndexBuffer(length, usage, format, pool),
          gl(std::move(registry), GLObjectKind::Buffer) {}

    GLObject gl;
};

class GLTexture final : public MemoryTexture {
public:
    GLTexture(std::shared_ptr<GLObjectRegistry> registry, UINT width, UINT height, UINT levels,
              DWORD usage, D3DFORMAT format, D3DPOOL pool)
        : MemoryTexture(width, height, levels, usage, format, pool),
          gl(std::move(registry), GLObjectKind::Texture) {}

    GLObject gl;
};

// How texels of a Direct3D format travel to GL: the internal format, the layout of the
// memory copy, and a swizzle for formats GL has no direct counterpart for.
struct GLTextureFormat {
    GLint internalFormat = 0;
    GLenum format = 0;
    GLenum type = 0;
    GLint swizzle[4] = {GL_RED, GL_GREEN, GL_BLUE, GL_ALPHA};
};

// False for formats the GL device cannot sample.
[[nodiscard]] bool glTextureFormat(D3DFORMAT format, GLTextureFormat* out);

// Binds the texture to GL_TEXTURE_2D of the active unit and uploads every level whose
// memory copy changed since the last upload. False when the format cannot be sampled.
[[nodiscard]] bool bindTexture(GLTexture& texture);

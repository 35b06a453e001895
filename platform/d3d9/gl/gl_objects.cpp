#include "gl_objects.h"

GLuint GLObjectRegistry::make(GLObjectKind kind) {
    GLuint name = 0;
    if (kind == GLObjectKind::Texture) {
        glGenTextures(1, &name);
        liveTextures_.insert(name);
    } else {
        glGenBuffers(1, &name);
        liveBuffers_.insert(name);
    }
    return name;
}

void GLObjectRegistry::retire(GLObjectKind kind, GLuint name) {
    auto& live = kind == GLObjectKind::Texture ? liveTextures_ : liveBuffers_;
    if (live.erase(name) > 0) {
        (kind == GLObjectKind::Texture ? deadTextures_ : deadBuffers_).push_back(name);
    }
}

void GLObjectRegistry::collect() {
    if (!deadTextures_.empty()) {
        glDeleteTextures(static_cast<GLsizei>(deadTextures_.size()), deadTextures_.data());
        deadTextures_.clear();
    }
    if (!deadBuffers_.empty()) {
        glDeleteBuffers(static_cast<GLsizei>(deadBuffers_.size()), deadBuffers_.data());
        deadBuffers_.clear();
    }
}

void GLObjectRegistry::deleteAll() {
    deadTextures_.insert(deadTextures_.end(), liveTextures_.begin(), liveTextures_.end());
    deadBuffers_.insert(deadBuffers_.end(), liveBuffers_.begin(), liveBuffers_.end());
    collect();
    forgetAll();
}

void GLObjectRegistry::forgetAll() {
    liveTextures_.clear();
    liveBuffers_.clear();
    deadTextures_.clear();
    deadBuffers_.clear();
    ++generation_;
}

GLObject::~GLObject() {
    if (exists()) {
        registry_->retire(kind_, name_);
    }
}

GLuint GLObject::name() {
    if (!exists()) {
        name_ = registry_->make(kind_);
        generation_ = registry_->generation();
        uploaded_ = false;
    }
    return name_;
}

bool glTextureFormat(D3DFORMAT format, GLTextureFormat* out) {
    GLTextureFormat f;
    switch (format) {
    case D3DFMT_A8R8G8B8:
        f = {GL_RGBA8, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV};
        break;
    case D3DFMT_X8R8G8B8:
        // An internal format without alpha samples as opaque whatever the unused byte holds.
        f = {GL_RGB8, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV};
        break;
    case D3DFMT_A8B8G8R8:
        f = {GL_RGBA8, GL_RGBA, GL_UNSIGNED_INT_8_8_8_8_REV};
        break;
    case D3DFMT_X8B8G8R8:
        f = {GL_RGB8, GL_RGBA, GL_UNSIGNED_INT_8_8_8_8_REV};
        break;
    case D3DFMT_A1R5G5B5:
        f = {GL_RGB5_A1, GL_BGRA, GL_UNSIGNED_SHORT_1_5_5_5_REV};
        break;
    case D3DFMT_X1R5G5B5:
        f = {GL_RGB5, GL_BGRA, GL_UNSIGNED_SHORT_1_5_5_5_REV};
        break;
    case D3DFMT_A4R4G4B4:
        f = {GL_RGBA4, GL_BGRA, GL_UNSIGNED_SHORT_4_4_4_4_REV};
        break;
    case D3DFMT_X4R4G4B4:
        f = {GL_RGB4, GL_BGRA, GL_UNSIGNED_SHORT_4_4_4_4_REV};
        break;
    case D3DFMT_R5G6B5:
        f = {GL_RGB565, GL_RGB, GL_UNSIGNED_SHORT_5_6_5};
        break;
    case D3DFMT_A8:
        f = {GL_R8, GL_RED, GL_UNSIGNED_BYTE, {GL_ZERO, GL_ZERO, GL_ZERO, GL_RED}};
        break;
    case D3DFMT_L8:
        f = {GL_R8, GL_RED, GL_UNSIGNED_BYTE, {GL_RED, GL_RED, GL_RED, GL_ONE}};
        break;
    case D3DFMT_A8L8:
        // Luminance in the low byte, which comes first in memory.
        f = {GL_RG8, GL_RG, GL_UNSIGNED_BYTE, {GL_RED, GL_RED, GL_RED, GL_GREEN}};
        break;
    default:
        return false;
    }
    *out = f;
    return true;
}

bool bindTexture(GLTexture& texture) {
    GLTextureFormat f;
    if (!glTextureFormat(texture.desc().Format, &f)) {
        return false;
    }
    glBindTexture(GL_TEXTURE_2D, texture.gl.name());
    if (!texture.gl.needsUpload(texture.version())) {
        return true;
    }
    // The memory copy is packed row after row, top row first. GL's first row is t = 0, and
    // Direct3D's v = 0 is the top of the picture, so the rows go up unchanged and texture
    // coordinates need no flip.
    glBindBuffer(GL_PIXEL_UNPACK_BUFFER, 0);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    glPixelStorei(GL_UNPACK_SKIP_ROWS, 0);
    glPixelStorei(GL_UNPACK_SKIP_PIXELS, 0);
    glPixelStorei(GL_UNPACK_SWAP_BYTES, GL_FALSE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_BASE_LEVEL, 0);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL,
                    static_cast<GLint>(texture.levelCount()) - 1);
    glTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_SWIZZLE_RGBA, f.swizzle);
    for (UINT i = 0; i < texture.levelCount(); ++i) {
        const MemorySurface& level = texture.level(i);
        glTexImage2D(GL_TEXTURE_2D, static_cast<GLint>(i), f.internalFormat,
                     static_cast<GLsizei>(level.desc().Width),
                     static_cast<GLsizei>(level.desc().Height), 0, f.format, f.type,
                     level.bytes().data());
    }
    texture.gl.uploaded(texture.version());
    return true;
}

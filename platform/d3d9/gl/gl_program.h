// The one shader program that stands in for Direct3D's fixed-function pipeline: the
// world, view and projection transforms (or screen-space vertices), directional lights
// with the material and the ambient light, Gouraud or flat colours, the first texture
// stage's colour and alpha operations, and the alpha test. Instanced draws take each
// instance's world matrix from four per-instance attributes instead of the uniforms.
#pragma once

#include <epoxy/gl.h>

#include <string>

constexpr int kGLMaxLights = 8;

// Vertex attribute locations of the program.
enum GLAttribute : GLuint {
    kAttribPosition = 0,
    kAttribNormal = 1,
    kAttribDiffuse = 2,
    kAttribTexcoord = 3,
    // The instance's world matrix, one Direct3D row each at kAttribWorld + 0 .. 3.
    kAttribWorld = 4,
};

struct GLProgram {
    GLuint program = 0;

    GLint worldViewProjection = -1;
    GLint normalMatrix = -1;
    GLint instanced = -1;
    GLint viewProjection = -1;
    GLint pretransformed = -1;
    GLint screenToClip = -1;
    GLint remapDepth = -1;
    GLint hasNormal = -1;
    GLint hasDiffuse = -1;
    GLint lighting = -1;
    GLint materialDiffuse = -1;
    GLint materialAmbient = -1;
    GLint materialEmissive = -1;
    GLint diffuseSource = -1;
    GLint ambientSource = -1;
    GLint emissiveSource = -1;
    GLint ambient = -1;
    GLint lightCount = -1;
    GLint lightDirection = -1;
    GLint lightDiffuse = -1;
    GLint lightAmbient = -1;

    GLint flat = -1;
    GLint texture = -1;
    GLint hasTexture = -1;
    GLint colourOp = -1;
    GLint colourArg1 = -1;
    GLint colourArg2 = -1;
    GLint alphaOp = -1;
    GLint alphaArg1 = -1;
    GLint alphaArg2 = -1;
    GLint textureFactor = -1;
    GLint alphaFunc = -1;
    GLint alphaRef = -1;

    // Compiles and links; on failure the compiler's log is in *log and nothing is kept.
    [[nodiscard]] bool build(std::string* log);
    void destroy();
};

// The shader programs that stand in for Direct3D's fixed-function pipeline: the world,
// view and projection transforms (or screen-space vertices), directional lights with the
// material and the ambient light, Gouraud or flat colours, the first texture stage's
// colour and alpha operations, and the alpha test. Instanced draws take each instance's
// world matrix from four per-instance attributes instead of the uniforms.
//
// Each combination of the states that choose what the shaders do (GLShaderSwitches, the
// fragment stage among them) is a program of its own, built on its first draw, with
// those states as constants: a software renderer runs every branch of a shader for
// every vertex and pixel, taken or not, so one program for all would pay for every path
// everywhere. A scene needs a few dozen.
#pragma once

#include <epoxy/gl.h>

#include <compare>
#include <map>
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

// What the fragment shader does: flat or Gouraud colours, texture stage 0's operations
// and arguments (Direct3D's numbers, D3DTOP_... and D3DTA_...), whether a texture is
// bound, the alpha function (D3DCMP_...).
struct GLFragmentStage {
    bool flat = false;
    bool hasTexture = false;
    int colourOp = 0;
    int colourArg1 = 0;
    int colourArg2 = 0;
    int alphaOp = 0;
    int alphaArg1 = 0;
    int alphaArg2 = 0;
    int alphaFunc = 0;

    auto operator<=>(const GLFragmentStage&) const = default;
};

// The states that choose a program. Colour sources: 1 the vertex's diffuse colour, 0 the
// material.
struct GLShaderSwitches {
    bool instanced = false;
    bool pretransformed = false;
    bool remapDepth = false; // GL's depth range from Direct3D's, without glClipControl
    bool hasNormal = false;
    bool hasDiffuse = false;
    bool lighting = false;
    int diffuseSource = 0;
    int ambientSource = 0;
    int emissiveSource = 0;
    int lightCount = 0;
    GLFragmentStage stage;

    auto operator<=>(const GLShaderSwitches&) const = default;
};

struct GLProgram {
    GLuint program = 0;

    GLint worldViewProjection = -1;
    GLint normalMatrix = -1;
    GLint viewProjection = -1;
    GLint screenToClip = -1;
    GLint materialDiffuse = -1;
    GLint materialAmbient = -1;
    GLint materialEmissive = -1;
    GLint ambient = -1;
    GLint lightDirection = -1;
    GLint lightDiffuse = -1;
    GLint lightAmbient = -1;

    GLint texture = -1;
    GLint textureFactor = -1;
    GLint alphaRef = -1;

    // Compiles and links; on failure the compiler's log is in *log and nothing is kept.
    [[nodiscard]] bool build(const GLShaderSwitches& switches, std::string* log);
    void destroy();
};

// The programs built so far, one per combination of switches, in the current context.
class GLPrograms {
public:
    // The program of these switches, built now if it is the first draw with them; null
    // when it does not build, the compiler's log then in *log.
    const GLProgram* forSwitches(const GLShaderSwitches& switches, std::string* log);
    // Deletes every program (the context must be current).
    void destroy();
    // Forgets the programs without GL calls (the context is gone).
    void forget() { programs_.clear(); }

private:
    std::map<GLShaderSwitches, GLProgram> programs_;
};

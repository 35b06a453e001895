#include "gl_program.h"

#include <vector>

namespace {

// Matrices arrive as Direct3D stores them, row after row, and GL reads them column after
// column: the transpose. With Direct3D's row vectors, v x M equals transpose(M) x v, so
// "matrix * vector" in GLSL computes exactly Direct3D's product.
// The switches (u_instanced, u_lighting, ...) are constants put in front of the body.
constexpr const char* kVertexShader = R"(
layout(location = 0) in vec4 a_position;
layout(location = 1) in vec3 a_normal;
layout(location = 2) in vec4 a_diffuse;
layout(location = 3) in vec2 a_texcoord;
layout(location = 4) in vec4 a_world0;
layout(location = 5) in vec4 a_world1;
layout(location = 6) in vec4 a_world2;
layout(location = 7) in vec4 a_world3;

uniform mat4 u_worldViewProjection;
uniform mat4 u_normalMatrix;
// Instanced: the world matrix comes from a_world0..3 and is followed by u_viewProjection.
uniform mat4 u_viewProjection;
uniform vec4 u_screenToClip;
uniform vec4 u_materialDiffuse;
uniform vec4 u_materialAmbient;
uniform vec4 u_materialEmissive;
uniform vec4 u_ambient;
uniform vec3 u_lightDirection[8];
uniform vec4 u_lightDiffuse[8];
uniform vec4 u_lightAmbient[8];

out vec4 v_colour;
flat out vec4 v_flatColour;
out vec2 v_texcoord;

// The normal through the inverse transpose of the world matrix, as the uniform
// u_normalMatrix carries it for a single object: for an affine world its upper 3 x 3
// decides, whose inverse transpose is its cofactor matrix over the determinant. A world
// without an inverse takes the normal through itself, as the single object's does.
vec3 instanceNormal(mat4 world, vec3 normal) {
    vec3 a = world[0].xyz;
    vec3 b = world[1].xyz;
    vec3 c = world[2].xyz;
    vec3 bc = cross(b, c);
    float det = dot(a, bc);
    if (det == 0.0) {
        return mat3(world) * normal;
    }
    return mat3(bc, cross(c, a), cross(a, b)) * normal / det;
}

void main() {
    vec4 vertexColour = u_hasDiffuse ? a_diffuse : vec4(1.0);
    vec4 colour = vertexColour;
    if (u_pretransformed) {
        // Screen pixels with 1/w: back to clip space, keeping w for perspective-correct
        // interpolation.
        float w = a_position.w != 0.0 ? 1.0 / a_position.w : 1.0;
        vec2 ndc = a_position.xy * u_screenToClip.xy + u_screenToClip.zw;
        gl_Position = vec4(ndc * w, a_position.z * w, w);
    } else {
        mat4 world = mat4(a_world0, a_world1, a_world2, a_world3);
        if (u_instanced) {
            gl_Position = u_viewProjection * (world * vec4(a_position.xyz, 1.0));
        } else {
            gl_Position = u_worldViewProjection * vec4(a_position.xyz, 1.0);
        }
        if (u_lighting) {
            vec4 md = u_diffuseSource == 1 ? vertexColour : u_materialDiffuse;
            vec4 ma = u_ambientSource == 1 ? vertexColour : u_materialAmbient;
            vec4 me = u_emissiveSource == 1 ? vertexColour : u_materialEmissive;
            // Without a normal in the vertex, only the ambient and emissive terms remain.
            vec3 n = vec3(0.0);
            if (u_hasNormal) {
                n = u_instanced ? instanceNormal(world, a_normal)
                                : (u_normalMatrix * vec4(a_normal, 0.0)).xyz;
            }
            float len = length(n);
            if (len > 0.0) {
                n /= len;
            }
            vec3 ambient = u_ambient.rgb;
            vec3 diffuse = vec3(0.0);
            for (int i = 0; i < u_lightCount; ++i) {
                ambient += u_lightAmbient[i].rgb;
                diffuse += u_lightDiffuse[i].rgb * max(dot(n, u_lightDirection[i]), 0.0);
            }
            colour = clamp(vec4(me.rgb + ma.rgb * ambient + md.rgb * diffuse, md.a), 0.0, 1.0);
        }
    }
    if (u_remapDepth) {
        // Direct3D's depth runs from 0 to w in clip space, GL's from -w to w.
        gl_Position.z = 2.0 * gl_Position.z - gl_Position.w;
    }
    v_colour = colour;
    v_flatColour = colour;
    v_texcoord = a_texcoord;
}
)";

// Texture-stage operations and arguments carry Direct3D's numbers (D3DTOP_..., D3DTA_...),
// the alpha function D3DCMP_..., the reference 0..255.
constexpr const char* kFragmentShader = R"(
in vec4 v_colour;
flat in vec4 v_flatColour;
in vec2 v_texcoord;

uniform sampler2D u_texture;
uniform vec4 u_textureFactor;
uniform float u_alphaRef;

out vec4 o_colour;

vec4 argument(int arg, vec4 diffuse, vec4 texel) {
    int source = arg & 15;
    // Diffuse, and "current", which is the diffuse colour at the first stage.
    vec4 value = diffuse;
    if (source == 2) {
        value = texel;
    } else if (source == 3) {
        value = u_textureFactor;
    }
    if ((arg & 16) != 0) {
        value = vec4(1.0) - value;
    }
    if ((arg & 32) != 0) {
        value = vec4(value.a);
    }
    return value;
}

vec4 combine(int op, vec4 a, vec4 b) {
    if (op == 2) return a;
    if (op == 3) return b;
    if (op == 5) return 2.0 * a * b;
    if (op == 6) return 4.0 * a * b;
    if (op == 7) return a + b;
    if (op == 8) return a + b - 0.5;
    if (op == 9) return 2.0 * (a + b - 0.5);
    if (op == 10) return a - b;
    if (op == 11) return a + b - a * b;
    return a * b;
}

bool passes(int func, float a, float ref) {
    if (func == 1) return false;
    if (func == 2) return a < ref;
    if (func == 3) return a == ref;
    if (func == 4) return a <= ref;
    if (func == 5) return a > ref;
    if (func == 6) return a != ref;
    if (func == 7) return a >= ref;
    return true;
}

void main() {
    vec4 diffuse = u_flat ? v_flatColour : v_colour;
    vec4 texel = u_hasTexture ? texture(u_texture, v_texcoord) : vec4(1.0);
    vec4 result = diffuse;
    if (u_colourOp != 1) {
        result.rgb = clamp(combine(u_colourOp, argument(u_colourArg1, diffuse, texel),
                                   argument(u_colourArg2, diffuse, texel)).rgb, 0.0, 1.0);
        if (u_alphaOp != 1) {
            result.a = clamp(combine(u_alphaOp, argument(u_alphaArg1, diffuse, texel),
                                     argument(u_alphaArg2, diffuse, texel)).a, 0.0, 1.0);
        }
    }
    // Direct3D compares 8-bit alpha values.
    if (!passes(u_alphaFunc, floor(result.a * 255.0 + 0.5), u_alphaRef)) {
        discard;
    }
    o_colour = result;
}
)";

GLuint compile(GLenum type, const char* source, std::string* log) {
    const GLuint shader = glCreateShader(type);
    glShaderSource(shader, 1, &source, nullptr);
    glCompileShader(shader);
    GLint ok = GL_FALSE;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    if (ok == GL_TRUE) {
        return shader;
    }
    GLint length = 0;
    glGetShaderiv(shader, GL_INFO_LOG_LENGTH, &length);
    std::vector<char> text(static_cast<std::size_t>(length) + 1, '\0');
    glGetShaderInfoLog(shader, length, nullptr, text.data());
    if (log != nullptr) {
        *log = std::string(type == GL_VERTEX_SHADER ? "vertex shader: " : "fragment shader: ") +
               text.data();
    }
    glDeleteShader(shader);
    return 0;
}

// A shader's source: the version line, the constants its body reads where a single
// program for every state would read uniforms, then the body.
class ShaderSource {
public:
    void flag(const char* name, bool value) {
        m_constants += std::string("const bool ") + name + (value ? " = true;\n" : " = false;\n");
    }
    void number(const char* name, int value) {
        m_constants += std::string("const int ") + name + " = " + std::to_string(value) + ";\n";
    }
    std::string with(const char* body) const { return "#version 330 core\n" + m_constants + body; }

private:
    std::string m_constants;
};

std::string withSwitches(const char* body, const GLShaderSwitches& w) {
    ShaderSource source;
    source.flag("u_instanced", w.instanced);
    source.flag("u_pretransformed", w.pretransformed);
    source.flag("u_remapDepth", w.remapDepth);
    source.flag("u_hasNormal", w.hasNormal);
    source.flag("u_hasDiffuse", w.hasDiffuse);
    source.flag("u_lighting", w.lighting);
    source.number("u_diffuseSource", w.diffuseSource);
    source.number("u_ambientSource", w.ambientSource);
    source.number("u_emissiveSource", w.emissiveSource);
    source.number("u_lightCount", w.lightCount);
    return source.with(body);
}

std::string withStage(const char* body, const GLFragmentStage& f) {
    ShaderSource source;
    source.flag("u_flat", f.flat);
    source.flag("u_hasTexture", f.hasTexture);
    source.number("u_colourOp", f.colourOp);
    source.number("u_colourArg1", f.colourArg1);
    source.number("u_colourArg2", f.colourArg2);
    source.number("u_alphaOp", f.alphaOp);
    source.number("u_alphaArg1", f.alphaArg1);
    source.number("u_alphaArg2", f.alphaArg2);
    source.number("u_alphaFunc", f.alphaFunc);
    return source.with(body);
}

} // namespace

bool GLProgram::build(const GLShaderSwitches& switches, std::string* log) {
    destroy();
    const GLuint vertex =
        compile(GL_VERTEX_SHADER, withSwitches(kVertexShader, switches).c_str(), log);
    if (vertex == 0) {
        return false;
    }
    const GLuint fragment =
        compile(GL_FRAGMENT_SHADER, withStage(kFragmentShader, switches.stage).c_str(), log);
    if (fragment == 0) {
        glDeleteShader(vertex);
        return false;
    }
    program = glCreateProgram();
    glAttachShader(program, vertex);
    glAttachShader(program, fragment);
    glLinkProgram(program);
    glDeleteShader(vertex);
    glDeleteShader(fragment);
    GLint ok = GL_FALSE;
    glGetProgramiv(program, GL_LINK_STATUS, &ok);
    if (ok != GL_TRUE) {
        GLint length = 0;
        glGetProgramiv(program, GL_INFO_LOG_LENGTH, &length);
        std::vector<char> text(static_cast<std::size_t>(length) + 1, '\0');
        glGetProgramInfoLog(program, length, nullptr, text.data());
        if (log != nullptr) {
            *log = std::string("link: ") + text.data();
        }
        destroy();
        return false;
    }

    const auto at = [this](const char* name) { return glGetUniformLocation(program, name); };
    worldViewProjection = at("u_worldViewProjection");
    normalMatrix = at("u_normalMatrix");
    viewProjection = at("u_viewProjection");
    screenToClip = at("u_screenToClip");
    materialDiffuse = at("u_materialDiffuse");
    materialAmbient = at("u_materialAmbient");
    materialEmissive = at("u_materialEmissive");
    ambient = at("u_ambient");
    lightDirection = at("u_lightDirection");
    lightDiffuse = at("u_lightDiffuse");
    lightAmbient = at("u_lightAmbient");
    texture = at("u_texture");
    textureFactor = at("u_textureFactor");
    alphaRef = at("u_alphaRef");
    return true;
}

void GLProgram::destroy() {
    if (program != 0) {
        glDeleteProgram(program);
    }
    *this = GLProgram{};
}

const GLProgram* GLPrograms::forSwitches(const GLShaderSwitches& switches, std::string* log) {
    const auto known = programs_.find(switches);
    if (known != programs_.end()) {
        return &known->second;
    }
    GLProgram program;
    if (!program.build(switches, log)) {
        return nullptr;
    }
    return &programs_.emplace(switches, program).first->second;
}

void GLPrograms::destroy() {
    for (auto& [switches, program] : programs_) {
        program.destroy();
    }
    programs_.clear();
}

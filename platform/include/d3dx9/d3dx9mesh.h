// Meshes with the D3DX calling shape: an indexed triangle list with one attribute (subset
// id) per face, kept in vertex and index buffers, drawn subset by subset through a device.
//
// Vertices may carry any of XYZ, NORMAL, PSIZE, DIFFUSE, SPECULAR and texture sets; the
// position must be D3DFVF_XYZ. A mesh made with D3DXMESH_SYSTEMMEM (or without a device)
// keeps its buffers in ordinary memory and draws through device copies that it makes at
// the first DrawSubset and refreshes whenever its own buffers were written. Any other
// mesh keeps its buffers on the device it was made for.
//
// D3DXLoadMeshFromX reads text, binary and compressed .x files through Assimp; see there.
#pragma once

#include "d3d9/d3d9.h"
#include "d3dx9/d3dx9math.h"

// --- options and flags -------------------------------------------------------------------

constexpr DWORD D3DXMESH_32BIT = 0x001;
constexpr DWORD D3DXMESH_DONOTCLIP = 0x002;
constexpr DWORD D3DXMESH_POINTS = 0x004;
constexpr DWORD D3DXMESH_RTPATCHES = 0x008;
constexpr DWORD D3DXMESH_NPATCHES = 0x4000;
constexpr DWORD D3DXMESH_VB_SYSTEMMEM = 0x010;
constexpr DWORD D3DXMESH_VB_MANAGED = 0x020;
constexpr DWORD D3DXMESH_VB_WRITEONLY = 0x040;
constexpr DWORD D3DXMESH_VB_DYNAMIC = 0x080;
constexpr DWORD D3DXMESH_VB_SOFTWAREPROCESSING = 0x8000;
constexpr DWORD D3DXMESH_IB_SYSTEMMEM = 0x100;
constexpr DWORD D3DXMESH_IB_MANAGED = 0x200;
constexpr DWORD D3DXMESH_IB_WRITEONLY = 0x400;
constexpr DWORD D3DXMESH_IB_DYNAMIC = 0x800;
constexpr DWORD D3DXMESH_IB_SOFTWAREPROCESSING = 0x10000;
constexpr DWORD D3DXMESH_VB_SHARE = 0x1000;
constexpr DWORD D3DXMESH_USEHWONLY = 0x2000;
constexpr DWORD D3DXMESH_SYSTEMMEM = 0x110;
constexpr DWORD D3DXMESH_MANAGED = 0x220;
constexpr DWORD D3DXMESH_WRITEONLY = 0x440;
constexpr DWORD D3DXMESH_DYNAMIC = 0x880;
constexpr DWORD D3DXMESH_SOFTWAREPROCESSING = 0x18000;

constexpr DWORD D3DXMESHOPT_DEVICEINDEPENDENT = 0x00400000;
constexpr DWORD D3DXMESHOPT_COMPACT = 0x01000000;
constexpr DWORD D3DXMESHOPT_ATTRSORT = 0x02000000;
constexpr DWORD D3DXMESHOPT_VERTEXCACHE = 0x04000000;
constexpr DWORD D3DXMESHOPT_STRIPREORDER = 0x08000000;
constexpr DWORD D3DXMESHOPT_IGNOREVERTS = 0x10000000;
constexpr DWORD D3DXMESHOPT_DONOTSPLIT = 0x20000000;

// An adjacency entry for an edge that no other face shares.
constexpr DWORD D3DX_UNUSED_NEIGHBOUR = 0xFFFFFFFF;

// --- results ------------------------------------------------------------------------------

constexpr HRESULT MAKE_D3DXHRESULT(DWORD code) {
    return static_cast<HRESULT>(0x88760000u | code);
}

constexpr HRESULT D3DXERR_CANNOTMODIFYINDEXBUFFER = MAKE_D3DXHRESULT(2900);
constexpr HRESULT D3DXERR_INVALIDMESH = MAKE_D3DXHRESULT(2901);
constexpr HRESULT D3DXERR_CANNOTATTRSORT = MAKE_D3DXHRESULT(2902);
constexpr HRESULT D3DXERR_LOADEDMESHASNODATA = MAKE_D3DXHRESULT(2906);
// .x file results: the file is missing, or it is not a .x file we can read.
constexpr HRESULT D3DXFERR_FILENOTFOUND = MAKE_D3DXHRESULT(905);
constexpr HRESULT D3DXFERR_BADFILETYPE = MAKE_D3DXHRESULT(908);
constexpr HRESULT D3DXFERR_BADFILEFLOATSIZE = MAKE_D3DXHRESULT(910);
constexpr HRESULT D3DXFERR_PARSEERROR = MAKE_D3DXHRESULT(912);

// --- records ------------------------------------------------------------------------------

// Faces FaceStart .. FaceStart + FaceCount - 1 carry AttribId and use only the vertices
// VertexStart .. VertexStart + VertexCount - 1.
struct D3DXATTRIBUTERANGE {
    DWORD AttribId;
    DWORD FaceStart;
    DWORD FaceCount;
    DWORD VertexStart;
    DWORD VertexCount;
};

// A material of a loaded mesh; pTextureFilename points into the same buffer, or is null.
struct D3DXMATERIAL {
    D3DMATERIAL9 MatD3D;
    char* pTextureFilename;
};

enum D3DXEFFECTDEFAULTTYPE : DWORD {
    D3DXEDT_STRING = 1,
    D3DXEDT_FLOATS = 2,
    D3DXEDT_DWORD = 3,
};

struct D3DXEFFECTDEFAULT {
    char* pParamName;
    D3DXEFFECTDEFAULTTYPE Type;
    DWORD NumBytes;
    void* pValue;
};

// One per material. Effects are not read from files, so every instance is empty.
struct D3DXEFFECTINSTANCE {
    char* pEffectFilename;
    DWORD NumDefaults;
    D3DXEFFECTDEFAULT* pDefaults;
};

// --- interfaces ---------------------------------------------------------------------------

// A block of bytes handed out by the library (adjacency, materials, remaps).
class ID3DXBuffer : public IUnknown {
public:
    virtual void* GetBufferPointer() = 0;
    virtual DWORD GetBufferSize() = 0;
};

class ID3DXMesh;

class ID3DXBaseMesh : public IUnknown {
public:
    // Draws the faces whose attribute is AttribId: sets the vertex format, stream 0 and
    // the indices, then one DrawIndexedPrimitive per range of such faces. Nothing is drawn
    // (and S_OK returned) for an attribute that no face carries.
    virtual HRESULT DrawSubset(DWORD AttribId) = 0;
    virtual DWORD GetNumFaces() = 0;
    virtual DWORD GetNumVertices() = 0;
    virtual DWORD GetFVF() = 0;
    virtual DWORD GetNumBytesPerVertex() = 0;
    virtual DWORD GetOptions() = 0;
    // Null (and D3DERR_INVALIDCALL) for a mesh made without a device.
    [[nodiscard]] virtual HRESULT GetDevice(IDirect3DDevice9** ppDevice) = 0;
    // A copy with other options and another vertex format. Components both formats have
    // are copied, the others start as zero; faces, attributes and the attribute table
    // are kept.
    [[nodiscard]] virtual HRESULT CloneMeshFVF(DWORD Options, DWORD FVF,
                                               IDirect3DDevice9* pD3DDevice,
                                               ID3DXMesh** ppCloneMesh) = 0;
    [[nodiscard]] virtual HRESULT GetVertexBuffer(IDirect3DVertexBuffer9** ppVB) = 0;
    [[nodiscard]] virtual HRESULT GetIndexBuffer(IDirect3DIndexBuffer9** ppIB) = 0;
    [[nodiscard]] virtual HRESULT LockVertexBuffer(DWORD Flags, void** ppData) = 0;
    virtual HRESULT UnlockVertexBuffer() = 0;
    [[nodiscard]] virtual HRESULT LockIndexBuffer(DWORD Flags, void** ppData) = 0;
    virtual HRESULT UnlockIndexBuffer() = 0;
    // pAttribTable null: only the number of entries. Otherwise every entry is copied, so
    // the caller asks for the number first.
    virtual HRESULT GetAttributeTable(D3DXATTRIBUTERANGE* pAttribTable,
                                      DWORD* pAttribTableSize) = 0;
    // Three neighbours per face, in the order of the face's edges (v0 v1, v1 v2, v2 v0).
    // Vertices whose positions lie within Epsilon of each other count as one; 0 means
    // equal positions.
    [[nodiscard]] virtual HRESULT GenerateAdjacency(FLOAT Epsilon, DWORD* pAdjacency) = 0;
};

class ID3DXMesh : public ID3DXBaseMesh {
public:
    [[nodiscard]] virtual HRESULT LockAttributeBuffer(DWORD Flags, DWORD** ppData) = 0;
    virtual HRESULT UnlockAttributeBuffer() = 0;
    // Reorders faces and vertices (see OptimizeInplace) into a new mesh with the same
    // options; this mesh stays as it is.
    [[nodiscard]] virtual HRESULT Optimize(DWORD Flags, const DWORD* pAdjacencyIn,
                                           DWORD* pAdjacencyOut, DWORD* pFaceRemap,
                                           ID3DXBuffer** ppVertexRemap, ID3DXMesh** ppOptMesh) = 0;
    // D3DXMESHOPT_ATTRSORT sorts the faces by attribute (keeping their order within an
    // attribute) and builds the attribute table, one range per attribute. VERTEXCACHE and
    // STRIPREORDER sort the same way and otherwise keep the modelled face order, which
    // modelling tools already emit strip-wise.
    // D3DXMESHOPT_COMPACT drops vertices that no face uses; with sorted faces the vertices
    // are also renumbered in the order the faces first use them, so that each subset reads
    // one short run of vertices. IGNOREVERTS leaves the vertices alone.
    // pFaceRemap (one per face) and ppVertexRemap (one per new vertex) receive the old
    // number of each new face and vertex; pAdjacencyOut the adjacency renumbered (made
    // anew when no adjacency comes in). Indices past the vertices: D3DXERR_INVALIDMESH.
    [[nodiscard]] virtual HRESULT OptimizeInplace(DWORD Flags, const DWORD* pAdjacencyIn,
                                                  DWORD* pAdjacencyOut, DWORD* pFaceRemap,
                                                  ID3DXBuffer** ppVertexRemap) = 0;
    virtual HRESULT SetAttributeTable(const D3DXATTRIBUTERANGE* pAttribTable,
                                      DWORD cAttribTableSize) = 0;
};

// --- functions -----------------------------------------------------------------------------

[[nodiscard]] HRESULT D3DXCreateBuffer(DWORD NumBytes, ID3DXBuffer** ppBuffer);

// An empty mesh (all vertices, indices and attributes zero). 16-bit indices hold at
// most 65535 vertices; more need D3DXMESH_32BIT. pD3DDevice may be null only for
// D3DXMESH_SYSTEMMEM meshes, which then cannot be drawn.
[[nodiscard]] HRESULT D3DXCreateMeshFVF(DWORD NumFaces, DWORD NumVertices, DWORD Options, DWORD FVF,
                                        IDirect3DDevice9* pD3DDevice, ID3DXMesh** ppMesh);

// Bytes of one vertex of the format (0 without a position).
UINT D3DXGetFVFVertexSize(DWORD FVF);

// Vertex normals: each vertex gets the normalised sum of the normals of the faces that
// use it, each face's weighted by its area (the unnormalised cross product of its edges,
// with Direct3D's clockwise front faces). Vertices of no face, or only of degenerate
// ones, get zero. The mesh must have normals. Faces are taken as they index vertices;
// pAdjacency is accepted for the calling shape and not needed.
[[nodiscard]] HRESULT D3DXComputeNormals(ID3DXBaseMesh* pMesh, const DWORD* pAdjacency);

// The sphere D3DX defines: the centre is the mean of the positions, the radius the
// largest distance of a position from it. dwStride is the distance between positions.
HRESULT D3DXComputeBoundingSphere(const D3DXVECTOR3* pFirstPosition, DWORD NumVertices,
                                  DWORD dwStride, D3DXVECTOR3* pCenter, FLOAT* pRadius);

HRESULT D3DXComputeBoundingBox(const D3DXVECTOR3* pFirstPosition, DWORD NumVertices, DWORD dwStride,
                               D3DXVECTOR3* pMin, D3DXVECTOR3* pMax);

// Loads every mesh of a .x file (text, binary or compressed, 32- or 64-bit floats) into
// one mesh, each in the place its frames put it (the frame transforms multiplied down
// the hierarchy and applied to positions and normals). Coordinates, texture coordinates
// and the face winding are the file's own.
//
// The vertex format has XYZ, and NORMAL, DIFFUSE and TEX1 when any mesh of the file has
// normals, vertex colours or texture coordinates. Vertices that agree in every component
// within one frame are one vertex, even where the file lists a corner per material.
// Polygons become triangle fans from their first corner.
//
// Materials: one per material the faces use, in the order the file defines them; the
// attribute of a face is the number of its material. Diffuse keeps its alpha as written
// (even above 1); specular and emissive get alpha 1; ambient is zero. A texture file name
// is handed over with '\' turned into '/'. A file without any material gives no material
// buffer, *pNumMaterials 0 and attribute 0 on every face.
//
// ppAdjacency receives GenerateAdjacency(0) of the result; ppEffectInstances one empty
// instance per material. Any out-parameter but ppMesh may be null. A missing file gives
// D3DXFERR_FILENOTFOUND, one that is not a .x file D3DXFERR_BADFILETYPE, one that cannot
// be parsed D3DXFERR_PARSEERROR, one without faces D3DXERR_LOADEDMESHASNODATA.
[[nodiscard]] HRESULT D3DXLoadMeshFromXA(const char* pFilename, DWORD Options,
                                         IDirect3DDevice9* pD3DDevice, ID3DXBuffer** ppAdjacency,
                                         ID3DXBuffer** ppMaterials, ID3DXBuffer** ppEffectInstances,
                                         DWORD* pNumMaterials, ID3DXMesh** ppMesh);

[[nodiscard]] inline HRESULT D3DXLoadMeshFromX(const char* pFilename, DWORD Options,
                                               IDirect3DDevice9* pD3DDevice,
                                               ID3DXBuffer** ppAdjacency, ID3DXBuffer** ppMaterials,
                                               ID3DXBuffer** ppEffectInstances,
                                               DWORD* pNumMaterials, ID3DXMesh** ppMesh) {
    return D3DXLoadMeshFromXA(pFilename, Options, pD3DDevice, ppAdjacency, ppMaterials,
                              ppEffectInstances, pNumMaterials, ppMesh);
}

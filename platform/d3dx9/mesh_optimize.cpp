// Face and vertex reordering, and adjacency.
#include "mesh_impl.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <new>
#include <numeric>
#include <unordered_map>

namespace twmesh {

namespace {

// For every vertex, the lowest-numbered vertex at the same place (within epsilon).
std::vector<DWORD> pointRepresentatives(std::span<const D3DXVECTOR3> positions, float epsilon) {
    std::vector<DWORD> rep(positions.size());
    std::iota(rep.begin(), rep.end(), 0u);
    if (epsilon == 0.0f) {
        // Exact equality, with -0 and +0 the same place.
        auto bits = [](float f) { return std::bit_cast<std::uint32_t>(f == 0.0f ? 0.0f : f); };
        struct KeyHash {
            std::size_t operator()(const std::array<std::uint32_t, 3>& k) const {
                return (std::size_t{k[0]} * 73856093u) ^ (std::size_t{k[1]} * 19349663u) ^
                       (std::size_t{k[2]} * 83492791u);
            }
        };
        std::unordered_map<std::array<std::uint32_t, 3>, DWORD, KeyHash> first;
        for (DWORD v = 0; v < positions.size(); ++v) {
            const D3DXVECTOR3& p = positions[v];
            rep[v] = first.try_emplace({bits(p.x), bits(p.y), bits(p.z)}, v).first->second;
        }
        return rep;
    }

    // Within epsilon: sweep along x, joining close vertices into groups named by their
    // lowest member. Positions that are not numbers stay alone.
    auto root = [&rep](DWORD v) {
        while (rep[v] != v) {
            v = rep[v] = rep[rep[v]];
        }
        return v;
    };
    std::vector<DWORD> order;
    for (DWORD v = 0; v < positions.size(); ++v) {
        const D3DXVECTOR3& p = positions[v];
        if (!std::isnan(p.x) && !std::isnan(p.y) && !std::isnan(p.z)) {
            order.push_back(v);
        }
    }
    std::sort(order.begin(), order.end(),
              [&](DWORD a, DWORD b) { return positions[a].x < positions[b].x; });
    for (std::size_t i = 0; i < order.size(); ++i) {
        const D3DXVECTOR3& a = positions[order[i]];
        for (std::size_t j = i + 1; j < order.size() && positions[order[j]].x - a.x <= epsilon;
             ++j) {
            D3DXVECTOR3 d = positions[order[j]] - a;
            if (D3DXVec3Length(&d) <= epsilon) {
                const DWORD ra = root(order[i]);
                const DWORD rb = root(order[j]);
                rep[std::max(ra, rb)] = std::min(ra, rb);
            }
        }
    }
    for (DWORD v = 0; v < rep.size(); ++v) {
        rep[v] = root(v);
    }
    return rep;
}

} // namespace

std::vector<DWORD> adjacencyOf(std::span<const DWORD> indices,
                               std::span<const D3DXVECTOR3> positions, float epsilon) {
    const std::vector<DWORD> rep = pointRepresentatives(positions, epsilon);
    struct Edge {
        std::uint64_t key;
        DWORD slot; // face * 3 + edge
    };
    std::vector<Edge> edges;
    edges.reserve(indices.size());
    for (DWORD slot = 0; slot < indices.size(); ++slot) {
        const DWORD face = slot / 3;
        const DWORD a = rep[indices[slot]];
        const DWORD b = rep[indices[face * 3 + (slot + 1) % 3]];
        if (a != b) {
            edges.push_back({(std::uint64_t{std::min(a, b)} << 32) | std::max(a, b), slot});
        }
    }
    std::sort(edges.begin(), edges.end(), [](const Edge& x, const Edge& y) {
        return x.key != y.key ? x.key < y.key : x.slot < y.slot;
    });
    // Faces on one edge are paired in order, so that adjacency stays symmetric even where
    // more than two faces meet.
    std::vector<DWORD> adjacency(indices.size(), D3DX_UNUSED_NEIGHBOUR);
    for (std::size_t i = 0; i + 1 < edges.size();) {
        const Edge& x = edges[i];
        const Edge& y = edges[i + 1];
        if (x.key == y.key && x.slot / 3 != y.slot / 3) {
            adjacency[x.slot] = y.slot / 3;
            adjacency[y.slot] = x.slot / 3;
            i += 2;
        } else {
            ++i;
        }
    }
    return adjacency;
}

HRESULT Mesh::GenerateAdjacency(FLOAT Epsilon, DWORD* pAdjacency) {
    if (pAdjacency == nullptr || !(Epsilon >= 0.0f)) {
        return D3DERR_INVALIDCALL;
    }
    try {
        std::vector<BYTE> vertices;
        std::vector<DWORD> indices;
        HRESULT hr = readVertices(&vertices);
        if (FAILED(hr) || FAILED(hr = readIndices(&indices))) {
            return hr;
        }
        if (std::any_of(indices.begin(), indices.end(),
                        [this](DWORD i) { return i >= numVertices_; })) {
            return D3DXERR_INVALIDMESH;
        }
        std::vector<D3DXVECTOR3> positions(numVertices_);
        for (std::size_t v = 0; v < positions.size(); ++v) {
            std::memcpy(&positions[v], vertices.data() + v * layout_.stride, 12);
        }
        const std::vector<DWORD> adjacency = adjacencyOf(indices, positions, Epsilon);
        std::copy(adjacency.begin(), adjacency.end(), pAdjacency);
        return S_OK;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

HRESULT Mesh::OptimizeInplace(DWORD Flags, const DWORD* pAdjacencyIn, DWORD* pAdjacencyOut,
                              DWORD* pFaceRemap, ID3DXBuffer** ppVertexRemap) {
    if (ppVertexRemap != nullptr) {
        *ppVertexRemap = nullptr;
    }
    if (buffersLocked()) {
        return D3DERR_INVALIDCALL;
    }
    // Reordering for the vertex cache or for strips starts from faces sorted by subset.
    const bool sortFaces =
        (Flags & (D3DXMESHOPT_ATTRSORT | D3DXMESHOPT_VERTEXCACHE | D3DXMESHOPT_STRIPREORDER)) != 0;
    const bool compact =
        (Flags & D3DXMESHOPT_COMPACT) != 0 && (Flags & D3DXMESHOPT_IGNOREVERTS) == 0;
    try {
        std::vector<DWORD> indices;
        HRESULT hr = readIndices(&indices);
        if (FAILED(hr)) {
            return hr;
        }
        if (std::any_of(indices.begin(), indices.end(),
                        [this](DWORD i) { return i >= numVertices_; })) {
            return D3DXERR_INVALIDMESH;
        }
        // Copied first: callers often pass one array as both adjacency in and out.
        std::vector<DWORD> adjacencyIn;
        if (pAdjacencyIn != nullptr) {
            adjacencyIn.assign(pAdjacencyIn, pAdjacencyIn + std::size_t{numFaces_} * 3);
        }

        std::vector<DWORD> faceOrder(numFaces_); // new face -> old face
        std::iota(faceOrder.begin(), faceOrder.end(), 0u);
        if (sortFaces) {
            std::stable_sort(faceOrder.begin(), faceOrder.end(),
                             [this](DWORD a, DWORD b) { return attributes_[a] < attributes_[b]; });
        }

        std::vector<DWORD> vertexOrder; // new vertex -> old vertex
        std::vector<DWORD> newVertexOf(numVertices_);
        std::iota(newVertexOf.begin(), newVertexOf.end(), 0u);
        if (compact) {
            std::fill(newVertexOf.begin(), newVertexOf.end(), D3DX_UNUSED_NEIGHBOUR);
            if (sortFaces) {
                // In the order the faces first use them: each subset reads one short run.
                for (DWORD face : faceOrder) {
                    for (int corner = 0; corner < 3; ++corner) {
                        const DWORD v = indices[face * 3 + corner];
                        if (newVertexOf[v] == D3DX_UNUSED_NEIGHBOUR) {
                            newVertexOf[v] = static_cast<DWORD>(vertexOrder.size());
                            vertexOrder.push_back(v);
                        }
                    }
                }
            } else {
                std::vector<bool> used(numVertices_, false);
                for (DWORD v : indices) {
                    used[v] = true;
                }
                for (DWORD v = 0; v < numVertices_; ++v) {
                    if (used[v]) {
                        newVertexOf[v] = static_cast<DWORD>(vertexOrder.size());
                        vertexOrder.push_back(v);
                    }
                }
            }
        } else {
            vertexOrder = newVertexOf;
        }

        std::vector<DWORD> newIndices(indices.size());
        std::vector<DWORD> newAttributes(numFaces_);
        for (DWORD f = 0; f < numFaces_; ++f) {
            for (int corner = 0; corner < 3; ++corner) {
                newIndices[f * 3 + corner] = newVertexOf[indices[faceOrder[f] * 3 + corner]];
            }
            newAttributes[f] = attributes_[faceOrder[f]];
        }

        std::vector<BYTE> vertices;
        if (FAILED(hr = readVertices(&vertices))) {
            return hr;
        }
        std::vector<BYTE> newVertices(vertexOrder.size() * layout_.stride);
        for (std::size_t v = 0; v < vertexOrder.size(); ++v) {
            std::memcpy(newVertices.data() + v * layout_.stride,
                        vertices.data() + std::size_t{vertexOrder[v]} * layout_.stride,
                        layout_.stride);
        }

        if (vertexOrder.size() != numVertices_) {
            // Fewer vertices: new buffers. On failure the mesh keeps the ones it had.
            const DWORD oldCount = numVertices_;
            const ComPtr<IDirect3DVertexBuffer9> oldVertices = vertices_;
            const ComPtr<IDirect3DIndexBuffer9> oldIndices = indices_;
            const ComPtr<MemoryVertexBuffer> oldSystemVertices = systemVertices_;
            const ComPtr<MemoryIndexBuffer> oldSystemIndices = systemIndices_;
            numVertices_ = static_cast<DWORD>(vertexOrder.size());
            if (FAILED(hr = makeBuffers())) {
                numVertices_ = oldCount;
                vertices_ = oldVertices;
                indices_ = oldIndices;
                systemVertices_ = oldSystemVertices;
                systemIndices_ = oldSystemIndices;
                return hr;
            }
        }
        if (FAILED(hr = writeVertices(newVertices)) || FAILED(hr = writeIndices(newIndices))) {
            return hr;
        }
        attributes_ = std::move(newAttributes);

        if (sortFaces) {
            attributeTable_.clear();
            for (DWORD f = 0; f < numFaces_; ++f) {
                const DWORD* corners = &newIndices[f * 3];
                const auto [low, high] = std::minmax({corners[0], corners[1], corners[2]});
                if (attributeTable_.empty() || attributeTable_.back().AttribId != attributes_[f]) {
                    attributeTable_.push_back({attributes_[f], f, 0, low, 1});
                }
                D3DXATTRIBUTERANGE& range = attributeTable_.back();
                const DWORD end = std::max(range.VertexStart + range.VertexCount, high + 1);
                range.VertexStart = std::min(range.VertexStart, low);
                range.VertexCount = end - range.VertexStart;
                ++range.FaceCount;
            }
        } else if (compact) {
            attributeTable_.clear(); // its vertex ranges name the old vertices
        }

        if (pAdjacencyOut != nullptr) {
            if (!adjacencyIn.empty()) {
                std::vector<DWORD> newFaceOf(numFaces_);
                for (DWORD f = 0; f < numFaces_; ++f) {
                    newFaceOf[faceOrder[f]] = f;
                }
                for (DWORD f = 0; f < numFaces_; ++f) {
                    for (int edge = 0; edge < 3; ++edge) {
                        const DWORD old = adjacencyIn[faceOrder[f] * 3 + edge];
                        pAdjacencyOut[f * 3 + edge] =
                            old < numFaces_ ? newFaceOf[old] : D3DX_UNUSED_NEIGHBOUR;
                    }
                }
            } else if (FAILED(hr = GenerateAdjacency(0.0f, pAdjacencyOut))) {
                return hr;
            }
        }
        if (pFaceRemap != nullptr) {
            std::copy(faceOrder.begin(), faceOrder.end(), pFaceRemap);
        }
        if (ppVertexRemap != nullptr) {
            ComPtr<Buffer> remap = makeBuffer(static_cast<DWORD>(vertexOrder.size() * 4));
            std::memcpy(remap->GetBufferPointer(), vertexOrder.data(), vertexOrder.size() * 4);
            *ppVertexRemap = remap.detach();
        }
        return S_OK;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

} // namespace twmesh

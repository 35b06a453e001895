#pragma once

#include <utility>
#include <vector>

#include "d3dx9/d3dx9math.h"
#include "tw/assert.h"
#include "win32/win32.h"

// The cross-section of a course: eight rows of points that run along the whole
// loop, built from the centreline samples. From the left outside to the right
// outside the rows are: 0 left field border, 1 left bank top, 2 left edge top,
// 3 left road edge, 4 right road edge, 5 right edge top, 6 right bank top and
// 7 right field border. Neighbouring rows become the seven lateral strips.
//
// The track keeps its own coordinates as computed; whoever lays the strips in the
// world decides how the axes map.
class CCourseTrack {
public:
    static constexpr int kRows = 8;
    // The sample that becomes the origin of the track.
    static constexpr int kOriginIndex = 3;
    // Samples are spread out by this factor around the origin.
    static constexpr float kCentreScale = 25.0f;
    static constexpr float kHalfRoadWidth = 20.0f;
    static constexpr float kEdgeFactor = 0.05f;
    static constexpr float kBankFactor = 0.3f;
    static constexpr float kLeftBorderFactor = 0.2f;
    static constexpr float kRightBorderFactor = 10.0f;
    static constexpr float kEdgeLift = 0.2f;
    static constexpr float kOuterLift = 0.5f;
    static constexpr int kSmoothingPasses = 100;
    static constexpr int kDefaultSmoothingPasses = 200;
    static constexpr float kBankHeight = 10.0f;

    explicit CCourseTrack(int n);
    virtual ~CCourseTrack() = default;

    void reserve(int n) { m_samples.reserve(n > 0 ? static_cast<std::size_t>(n) : 0); }

    // Whether the samples were appended in the reverse of the loop's laying order (see
    // sampleCentreline); trackIndex maps a sample of the laying order to the track's.
    void setLaidReversed(bool reversed) { m_laidReversed = reversed; }
    bool laidReversed() const { return m_laidReversed; }
    int trackIndex(int layingIndex) const {
        return m_laidReversed ? wrap(m_n - 1 - layingIndex) : wrap(layingIndex);
    }
    void appendSample(float x, float y, float z) { m_samples.emplace_back(x, y, z); }
    // Out-of-range indices are ignored.
    void setPitch(int i, float value);

    // Computes the centre and all eight rows from the first n samples. Fails when
    // fewer than n samples were appended or when there is no origin sample.
    [[nodiscard]] HRESULT build();

    // Averages a row with its cyclic neighbours, keeping a new position only when it
    // lies farther from the centreline than the old one. 0 passes means 200.
    void smooth(int row, int passes);

    // Raises the right half of cross-section i and lowers the left half by
    // 10 sin(pi * pitch[i]). Out-of-range indices are ignored.
    void bank(int i);

    // (row + 1, row) at sample i, row 0..6; i wraps around the loop in both directions.
    std::pair<D3DXVECTOR3, D3DXVECTOR3> pair(int row, int i) const;

    int sampleCount() const { return m_n; }
    int rowCount() const { return m_rows; }

    // Read access; i wraps like pair(), row must be 0..7.
    const D3DXVECTOR3& point(int row, int i) const { return m_grid[index(row, wrap(i))]; }
    const D3DXVECTOR3& centre(int i) const { return m_centre[wrap(i)]; }
    const std::vector<D3DXVECTOR3>& samples() const { return m_samples; }
    float pitch(int i) const { return m_pitch[wrap(i)]; }

private:
    int wrap(int i) const;
    std::size_t index(int row, int i) const {
        TW_ASSERT(row >= 0 && row < kRows);
        return static_cast<std::size_t>(row) * static_cast<std::size_t>(m_n) +
               static_cast<std::size_t>(i);
    }
    D3DXVECTOR3* row(int r) { return m_grid.data() + index(r, 0); }

    void buildRoad();
    template <typename Real>
    void offsetRow(int from, int to, Real distance, Real lift);

    int m_rows = kRows;
    int m_n;
    std::vector<D3DXVECTOR3> m_centre;
    int m_originIndex = kOriginIndex;
    bool m_laidReversed = false;
    std::vector<D3DXVECTOR3> m_grid; // row * n + sample
    std::vector<D3DXVECTOR3> m_samples;
    std::vector<float> m_pitch;
};

// SPDX-License-Identifier: GPL-3.0-or-later
#include "reduce/ColorChoice.h"

#include "reduce/NearestColor.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace
{

constexpr std::int32_t kMeanRounds = 16;  // k-means rounds before snapping, at most
constexpr std::int32_t kSnapRounds = 3;   // snapping and assigning again, at most
constexpr std::int32_t kShortlist = 2;    // centres weighed by CIEDE2000 for each colour
constexpr std::int32_t kWordsWeighed = 4; // snapping candidates weighed by CIEDE2000
constexpr std::int32_t kFieldSteps = 4;   // candidate values of each 5-bit channel
constexpr std::int32_t kFieldMax = 31;
constexpr float kFieldScale = 8;          // a 5-bit value v is shown as v × 8
constexpr int kFineCellBits = 5;
constexpr int kCoarseCellBits = 4;
constexpr std::size_t kMostFineCells = 2048;
constexpr std::uint32_t kBelowWordBits = 0x070707; // what a 15-bit colour (v × 8) never has

using Members = std::vector<std::vector<std::int32_t>>;

LabColor WeightedMean(const std::vector<PictureColor>& colors,
                      const std::vector<std::int32_t>& members)
{
    double weight = 0, L = 0, a = 0, b = 0;
    for (std::int32_t i : members)
    {
        const PictureColor& color = colors[std::size_t(i)];
        weight += color.count;
        L += double(color.count) * color.lab.L;
        a += double(color.count) * color.lab.a;
        b += double(color.count) * color.lab.b;
    }
    LabColor mean;
    mean.L = float(L / weight);
    mean.a = float(a / weight);
    mean.b = float(b / weight);
    mean.chroma = std::sqrt(mean.a * mean.a + mean.b * mean.b);
    return mean;
}

float Coordinate(const LabColor& lab, int axis)
{
    return axis == 0 ? lab.L : axis == 1 ? lab.a : lab.b;
}

// The count-weighted sum of squared distances from the mean along each axis.
std::array<double, 3> Spread(const std::vector<PictureColor>& colors,
                             const std::vector<std::int32_t>& members)
{
    const LabColor mean = WeightedMean(colors, members);
    std::array<double, 3> spread{};
    for (std::int32_t i : members)
        for (int axis = 0; axis < 3; ++axis)
        {
            const double d = Coordinate(colors[std::size_t(i)].lab, axis) - Coordinate(mean, axis);
            spread[std::size_t(axis)] += colors[std::size_t(i)].count * d * d;
        }
    return spread;
}

// Splits the box of widest spread at the weighted median of its widest axis,
// until there are `count` boxes or none can be split.
Members MedianCut(const std::vector<PictureColor>& colors, std::int32_t count)
{
    Members boxes(1);
    for (std::size_t i = 0; i < colors.size(); ++i)
        boxes[0].push_back(std::int32_t(i));
    while (std::int32_t(boxes.size()) < count)
    {
        std::size_t widest = 0;
        std::array<double, 3> widestSpread{};
        double widestTotal = 0;
        for (std::size_t box = 0; box < boxes.size(); ++box)
        {
            if (boxes[box].size() < 2)
                continue;
            const std::array<double, 3> spread = Spread(colors, boxes[box]);
            const double total = spread[0] + spread[1] + spread[2];
            if (total > widestTotal)
                widest = box, widestSpread = spread, widestTotal = total;
        }
        if (widestTotal == 0)
            break;
        const int axis = int(std::max_element(widestSpread.begin(), widestSpread.end()) -
                             widestSpread.begin());
        std::vector<std::int32_t>& box = boxes[widest];
        std::sort(box.begin(), box.end(), [&](std::int32_t x, std::int32_t y) {
            return Coordinate(colors[std::size_t(x)].lab, axis) <
                   Coordinate(colors[std::size_t(y)].lab, axis);
        });
        std::int64_t total = 0, below = 0;
        for (std::int32_t i : box)
            total += colors[std::size_t(i)].count;
        std::size_t cut = 1;
        while (cut + 1 < box.size() && 2 * (below + colors[std::size_t(box[cut - 1])].count) < total)
            below += colors[std::size_t(box[cut++ - 1])].count;
        boxes.emplace_back(box.begin() + std::ptrdiff_t(cut), box.end());
        box.resize(cut);
    }
    return boxes;
}

// The colours given words by k-means: centres 0 to fixedCount - 1 stay put.
class CMeans
{
public:
    CMeans(const std::vector<PictureColor>& colors, std::vector<LabColor> centres,
           std::size_t fixedCount)
        : m_colors(colors), m_centres(std::move(centres)), m_fixedCount(fixedCount),
          m_assigned(colors.size(), -1)
    {
    }

    // Each colour to its nearest centre: by distance in CIELAB, or by
    // CIEDE2000 among the nearest in CIELAB. True when any colour moved.
    bool Assign(bool perceptual)
    {
        bool changed = false;
        for (std::size_t i = 0; i < m_colors.size(); ++i)
        {
            const Nearest nearest = perceptual ? NearestColor(m_colors[i].lab, m_centres, kShortlist)
                                               : NearestInLab(m_colors[i].lab, m_centres);
            changed |= nearest.position != m_assigned[i];
            m_assigned[i] = nearest.position;
        }
        return changed;
    }

    Members Groups() const
    {
        Members groups(m_centres.size());
        for (std::size_t i = 0; i < m_colors.size(); ++i)
            groups[std::size_t(m_assigned[i])].push_back(std::int32_t(i));
        return groups;
    }

    // Each free centre to the weighted mean of its colours; one without
    // colours to the colour that is served worst.
    void MoveCentres()
    {
        const Members groups = Groups();
        std::vector<float> errors;
        if (std::any_of(groups.begin() + std::ptrdiff_t(m_fixedCount), groups.end(),
                        [](const std::vector<std::int32_t>& group) { return group.empty(); }))
            errors = Errors();
        for (std::size_t c = m_fixedCount; c < m_centres.size(); ++c)
            m_centres[c] = groups[c].empty() ? WorstServed(errors, m_colors) : WeightedMean(m_colors, groups[c]);
    }

    void SetCentre(std::size_t c, const LabColor& lab) { m_centres[c] = lab; }
    // Takes a free centre out; the next Assign numbers the rest anew.
    void Drop(std::size_t c) { m_centres.erase(m_centres.begin() + std::ptrdiff_t(c)); }
    std::size_t CentreCount() const { return m_centres.size(); }
    std::size_t FixedCount() const { return m_fixedCount; }

private:
    // Each colour's CIEDE2000 to its centre, times its count.
    std::vector<float> Errors() const
    {
        std::vector<float> errors;
        for (std::size_t i = 0; i < m_colors.size(); ++i)
            errors.push_back(float(m_colors[i].count) *
                             DeltaE2000(m_colors[i].lab, m_centres[std::size_t(m_assigned[i])]));
        return errors;
    }

    // The colour served worst, which is then served by itself.
    static LabColor WorstServed(std::vector<float>& errors, const std::vector<PictureColor>& colors)
    {
        const auto worst = std::size_t(std::max_element(errors.begin(), errors.end()) - errors.begin());
        errors[worst] = 0;
        return colors[worst].lab;
    }

    const std::vector<PictureColor>& m_colors;
    std::vector<LabColor> m_centres;
    std::size_t m_fixedCount;
    std::vector<std::int32_t> m_assigned;
};

// Words whose channels lie around the colour: kFieldSteps values each.
std::vector<std::uint16_t> WordsAround(const LabColor& lab)
{
    const std::array<float, 3> linear = LinearOfLab(lab);
    std::array<std::int32_t, 3> first{};
    for (std::size_t channel = 0; channel < 3; ++channel)
    {
        const auto below = std::int32_t(std::floor(SrgbOfLinear(linear[channel]) / kFieldScale));
        first[channel] = std::clamp(below - (kFieldSteps / 2 - 1), 0, kFieldMax + 1 - kFieldSteps);
    }
    std::vector<std::uint16_t> words;
    for (std::int32_t r = 0; r < kFieldSteps; ++r)
        for (std::int32_t g = 0; g < kFieldSteps; ++g)
            for (std::int32_t b = 0; b < kFieldSteps; ++b)
                words.push_back(std::uint16_t((first[0] + r) | (first[1] + g) << 5 |
                                              (first[2] + b) << 10));
    return words;
}

// The colours gathered into cells of the colour cube, each with its pixel
// count and the weighted mean of its colours: k-means over these costs a
// fraction of the work, and a cell of 15-bit colours is far smaller than
// any difference between the centres of a reduction. A picture of very many
// colours is gathered once more, into cells of 12 bits.
std::vector<PictureColor> GatherIntoCells(const std::vector<PictureColor>& colors, int bits)
{
    const int shift = 8 - bits;
    const std::uint32_t mask = (1u << bits) - 1;
    std::vector<std::int32_t> cellOf(std::size_t(1) << (3 * bits), -1);
    std::vector<PictureColor> cells;
    std::vector<std::array<double, 3>> sums;
    for (const PictureColor& color : colors)
    {
        const std::uint32_t key = (color.rgb >> (16 + shift) & mask) |
                                  (color.rgb >> (8 + shift) & mask) << bits |
                                  (color.rgb >> shift & mask) << (2 * bits);
        std::int32_t& cell = cellOf[key];
        if (cell < 0)
        {
            cell = std::int32_t(cells.size());
            cells.push_back({color.rgb, 0, {}});
            sums.push_back({});
        }
        cells[std::size_t(cell)].count += color.count;
        sums[std::size_t(cell)][0] += double(color.count) * color.lab.L;
        sums[std::size_t(cell)][1] += double(color.count) * color.lab.a;
        sums[std::size_t(cell)][2] += double(color.count) * color.lab.b;
    }
    for (std::size_t c = 0; c < cells.size(); ++c)
    {
        LabColor& lab = cells[c].lab;
        const double count = cells[c].count;
        lab.L = float(sums[c][0] / count);
        lab.a = float(sums[c][1] / count);
        lab.b = float(sums[c][2] / count);
        lab.chroma = std::sqrt(lab.a * lab.a + lab.b * lab.b);
    }
    if (bits == kFineCellBits && cells.size() > kMostFineCells)
        return GatherIntoCells(colors, kCoarseCellBits);
    return cells;
}

} // namespace

std::uint16_t BestWordFor(const std::vector<PictureColor>& colors,
                          const std::vector<std::int32_t>& members)
{
    const LabColor mean = WeightedMean(colors, members);
    std::vector<std::uint16_t> words = WordsAround(mean);
    // By the weighted squared distance, which the mean orders exactly, first.
    std::partial_sort(words.begin(), words.begin() + kWordsWeighed, words.end(),
                      [&](std::uint16_t x, std::uint16_t y) {
                          return LabDistanceSquared(WordLab(x), mean) <
                                 LabDistanceSquared(WordLab(y), mean);
                      });
    std::uint16_t best = words[0];
    double bestCost = std::numeric_limits<double>::max();
    for (std::int32_t w = 0; w < kWordsWeighed; ++w)
    {
        double cost = 0;
        for (std::int32_t i : members)
            cost += colors[std::size_t(i)].count *
                    double(DeltaE2000(colors[std::size_t(i)].lab, WordLab(words[std::size_t(w)])));
        if (cost < bestCost)
            best = words[std::size_t(w)], bestCost = cost;
    }
    return best;
}

std::vector<std::uint16_t> ChooseColorWords(const std::vector<PictureColor>& colors,
                                            const std::vector<std::uint16_t>& fixed,
                                            std::int32_t count)
{
    // The colours a fixed word already shows exactly need no word of their own.
    std::vector<std::int32_t> unfixed;
    for (std::size_t i = 0; i < colors.size(); ++i)
    {
        const std::uint32_t rgb = colors[i].rgb;
        const bool isWord = (rgb & kBelowWordBits) == 0;
        const auto word = std::uint16_t((rgb >> 19 & 0x1F) | (rgb >> 11 & 0x1F) << 5 | (rgb >> 3 & 0x1F) << 10);
        if (!isWord || std::find(fixed.begin(), fixed.end(), word) == fixed.end())
            unfixed.push_back(std::int32_t(i));
    }
    if (count <= 0 || unfixed.empty())
        return {};

    std::vector<LabColor> centres;
    for (std::uint16_t word : fixed)
        centres.push_back(WordLab(word));
    const bool fits = std::int32_t(unfixed.size()) <= count;
    const std::vector<PictureColor> cells = fits ? colors : GatherIntoCells(colors, kFineCellBits);
    if (fits)
    {
        // Room for every colour: each becomes its own word.
        for (std::int32_t i : unfixed)
            centres.push_back(colors[std::size_t(i)].lab);
    }
    else
    {
        for (const std::vector<std::int32_t>& box : MedianCut(cells, count))
            centres.push_back(WeightedMean(cells, box));
    }
    CMeans means(cells, centres, fixed.size());
    for (std::int32_t round = 0; round < kMeanRounds && means.Assign(false); ++round)
        means.MoveCentres();
    means.Assign(false); // the groups of the centres as they last moved

    // Snapped words, one for each free centre; a centre left without
    // colours is dropped, so each word serves some colour.
    std::vector<std::uint16_t> snapped(means.CentreCount() - means.FixedCount());
    Members groups = means.Groups();
    for (std::int32_t round = 0; round < kSnapRounds; ++round)
    {
        for (std::size_t c = means.CentreCount(); c-- > means.FixedCount();)
        {
            const std::size_t free = c - means.FixedCount();
            if (groups[c].empty())
            {
                means.Drop(c);
                snapped.erase(snapped.begin() + std::ptrdiff_t(free));
                continue;
            }
            snapped[free] = BestWordFor(cells, groups[c]);
            means.SetCentre(c, WordLab(snapped[free]));
        }
        if (!means.Assign(true))
            break;
        groups = means.Groups();
    }

    std::vector<std::uint16_t> words;
    for (std::uint16_t word : snapped)
        if (std::find(words.begin(), words.end(), word) == words.end() &&
            std::find(fixed.begin(), fixed.end(), word) == fixed.end())
            words.push_back(word);
    return words;
}

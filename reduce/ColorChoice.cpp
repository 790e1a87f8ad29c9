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
constexpr float kFieldScale = 8; // a 5-bit value v is shown as v × 8
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

// Where to cut colours sorted along an axis so that the two parts' spreads
// (count-weighted sums of squared distances from their means, in all three
// axes) add up to the least: from running sums, in one pass.
std::size_t LeastSpreadCut(const std::vector<PictureColor>& colors,
                           const std::vector<std::int32_t>& sorted)
{
    struct Sums
    {
        double weight = 0, L = 0, a = 0, b = 0, squares = 0;
        void Add(const PictureColor& color, double sign)
        {
            const double w = sign * color.count;
            const LabColor& lab = color.lab;
            weight += w;
            L += w * lab.L;
            a += w * lab.a;
            b += w * lab.b;
            squares += w * (double(lab.L) * lab.L + double(lab.a) * lab.a + double(lab.b) * lab.b);
        }
        double Spread() const { return squares - (L * L + a * a + b * b) / weight; }
    };
    Sums after;
    for (std::int32_t i : sorted)
        after.Add(colors[std::size_t(i)], 1);
    Sums before;
    std::size_t best = 1;
    double bestSpread = std::numeric_limits<double>::max();
    for (std::size_t cut = 1; cut < sorted.size(); ++cut)
    {
        before.Add(colors[std::size_t(sorted[cut - 1])], 1);
        after.Add(colors[std::size_t(sorted[cut - 1])], -1);
        const double spread = before.Spread() + after.Spread();
        if (spread < bestSpread)
            best = cut, bestSpread = spread;
    }
    return best;
}

// Where to cut colours sorted along an axis: at their weighted median.
std::size_t MedianCut(const std::vector<PictureColor>& colors,
                      const std::vector<std::int32_t>& sorted)
{
    std::int64_t total = 0, below = 0;
    for (std::int32_t i : sorted)
        total += colors[std::size_t(i)].count;
    std::size_t cut = 1;
    while (cut + 1 < sorted.size() &&
           2 * (below + colors[std::size_t(sorted[cut - 1])].count) < total)
        below += colors[std::size_t(sorted[cut++ - 1])].count;
    return cut;
}

// Centres chosen one by one, each at the colour that is worst served by
// those before it (the largest count times squared distance), beginning
// beside the fixed centres, or at the commonest colour: clusters far apart
// each get one, which splitting boxes can miss.
std::vector<LabColor> FarthestColors(const std::vector<PictureColor>& colors,
                                     const std::vector<LabColor>& fixedCentres, std::int32_t count)
{
    std::vector<LabColor> chosen;
    std::vector<float> distances(colors.size(), std::numeric_limits<float>::max());
    const auto serve = [&](const LabColor& centre)
    {
        for (std::size_t i = 0; i < colors.size(); ++i)
            distances[i] = std::min(distances[i], LabDistanceSquared(colors[i].lab, centre));
    };
    for (const LabColor& centre : fixedCentres)
        serve(centre);
    while (std::int32_t(chosen.size()) < count)
    {
        std::size_t worst = 0;
        double worstCost = -1;
        for (std::size_t i = 0; i < colors.size(); ++i)
        {
            const double cost = distances[i] == std::numeric_limits<float>::max()
                                    ? double(colors[i].count)
                                    : double(colors[i].count) * distances[i];
            if (cost > worstCost)
                worst = i, worstCost = cost;
        }
        if (worstCost == 0)
            break;
        chosen.push_back(colors[worst].lab);
        serve(chosen.back());
    }
    return chosen;
}

using CutRule = std::size_t (*)(const std::vector<PictureColor>&, const std::vector<std::int32_t>&);

// Splits the box of widest spread along its widest axis, where the rule
// says, until there are `count` boxes or none can be split.
Members SplitBoxes(const std::vector<PictureColor>& colors, std::int32_t count, CutRule cutAt)
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
        const int axis =
            int(std::max_element(widestSpread.begin(), widestSpread.end()) - widestSpread.begin());
        std::vector<std::int32_t>& box = boxes[widest];
        std::sort(box.begin(), box.end(),
                  [&](std::int32_t x, std::int32_t y)
                  {
                      return Coordinate(colors[std::size_t(x)].lab, axis) <
                             Coordinate(colors[std::size_t(y)].lab, axis);
                  });
        const std::size_t cut = cutAt(colors, box);
        // The upper part is taken out first: adding a box moves the others.
        std::vector<std::int32_t> upper(box.begin() + std::ptrdiff_t(cut), box.end());
        box.resize(cut);
        boxes.push_back(std::move(upper));
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
        m_cost = 0;
        for (std::size_t i = 0; i < m_colors.size(); ++i)
        {
            const Nearest nearest = perceptual
                                        ? NearestColor(m_colors[i].lab, m_centres, kShortlist)
                                        : NearestInLab(m_colors[i].lab, m_centres);
            changed |= nearest.position != m_assigned[i];
            m_assigned[i] = nearest.position;
            m_cost += double(m_colors[i].count) * nearest.difference;
        }
        return changed;
    }

    // The count-weighted difference of the colours to their centres, as the
    // last Assign measured it.
    double Cost() const { return m_cost; }

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
            m_centres[c] = groups[c].empty() ? WorstServed(errors, m_colors)
                                             : WeightedMean(m_colors, groups[c]);
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
        const auto worst =
            std::size_t(std::max_element(errors.begin(), errors.end()) - errors.begin());
        errors[worst] = 0;
        return colors[worst].lab;
    }

    const std::vector<PictureColor>& m_colors;
    std::vector<LabColor> m_centres;
    std::size_t m_fixedCount;
    std::vector<std::int32_t> m_assigned;
    double m_cost = 0;
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
                words.push_back(
                    std::uint16_t((first[0] + r) | (first[1] + g) << 5 | (first[2] + b) << 10));
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

struct Choice
{
    std::vector<std::uint16_t> words;
    double cost = 0; // the count-weighted CIEDE2000 of the colours to their words
};

} // namespace

std::uint16_t BestWordFor(const std::vector<PictureColor>& colors,
                          const std::vector<std::int32_t>& members)
{
    const LabColor mean = WeightedMean(colors, members);
    std::vector<std::uint16_t> words = WordsAround(mean);
    // By the weighted squared distance, which the mean orders exactly, first.
    std::partial_sort(
        words.begin(), words.begin() + kWordsWeighed, words.end(),
        [&](std::uint16_t x, std::uint16_t y)
        { return LabDistanceSquared(WordLab(x), mean) < LabDistanceSquared(WordLab(y), mean); });
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

namespace
{

// k-means from the centres given, then rounds of snapping each free centre
// to a word and assigning the colours again. A centre left without colours
// is dropped, so each word serves some colour.
Choice Refine(const std::vector<PictureColor>& cells, const std::vector<std::uint16_t>& fixed,
              const std::vector<LabColor>& centres)
{
    CMeans means(cells, centres, fixed.size());
    for (std::int32_t round = 0; round < kMeanRounds && means.Assign(false); ++round)
        means.MoveCentres();
    means.Assign(false); // the groups of the centres as they last moved

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
        const bool moved = means.Assign(true);
        if (!moved)
            break;
        groups = means.Groups();
    }

    Choice choice;
    choice.cost = means.Cost();
    for (std::uint16_t word : snapped)
        if (std::find(choice.words.begin(), choice.words.end(), word) == choice.words.end() &&
            std::find(fixed.begin(), fixed.end(), word) == fixed.end())
            choice.words.push_back(word);
    return choice;
}

} // namespace

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
        const auto word =
            std::uint16_t((rgb >> 19 & 0x1F) | (rgb >> 11 & 0x1F) << 5 | (rgb >> 3 & 0x1F) << 10);
        if (!isWord || std::find(fixed.begin(), fixed.end(), word) == fixed.end())
            unfixed.push_back(std::int32_t(i));
    }
    if (count <= 0 || unfixed.empty())
        return {};

    std::vector<LabColor> centres;
    for (std::uint16_t word : fixed)
        centres.push_back(WordLab(word));
    if (std::int32_t(unfixed.size()) <= count)
    {
        // Room for every colour: each becomes its own word.
        for (std::int32_t i : unfixed)
            centres.push_back(colors[std::size_t(i)].lab);
        return Refine(colors, fixed, centres).words;
    }
    // k-means finds a nearby optimum only: it starts from two splits of the
    // colours and from their farthest colours, and the best result is kept.
    const std::vector<PictureColor> cells = GatherIntoCells(colors, kFineCellBits);
    std::vector<std::vector<LabColor>> starts(3, centres);
    for (const std::vector<std::int32_t>& box : SplitBoxes(cells, count, MedianCut))
        starts[0].push_back(WeightedMean(cells, box));
    for (const std::vector<std::int32_t>& box : SplitBoxes(cells, count, LeastSpreadCut))
        starts[1].push_back(WeightedMean(cells, box));
    for (const LabColor& centre : FarthestColors(cells, centres, count))
        starts[2].push_back(centre);
    Choice best;
    for (const std::vector<LabColor>& start : starts)
    {
        Choice choice = Refine(cells, fixed, start);
        if (best.words.empty() || choice.cost < best.cost)
            best = std::move(choice);
    }
    return best.words;
}

#include "core/povtext/mapping/colormapfit.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

PovColorMap Map(std::initializer_list<std::pair<double, PovColor>> entries) {
    PovColorMap map;
    for (const auto& [position, color] : entries)
        map.entries.push_back({position, color, {}});
    return map;
}

/// How far the entry `i` lies from what its neighbours would give at its place, in 1/255.
double LossOf(const std::vector<HeldMapEntry>& entries, std::size_t i) {
    const HeldMapEntry& before = entries[i - 1];
    const HeldMapEntry& here = entries[i];
    const HeldMapEntry& after = entries[i + 1];
    const auto channels = [](const ColorRGBF& c) {
        return std::array<double, 4>{double(c.red), double(c.green), double(c.blue),
                                     double(c.filter)};
    };
    const auto a = channels(before.color), h = channels(here.color), b = channels(after.color);
    double loss = 0.0;
    const double span = double(after.position) - double(before.position);
    if (span <= 0.0 || here.position < before.position || here.position > after.position) {
        // A step (or an entry out of order): only a repeated colour may go.
        for (int k = 0; k < 4; ++k)
            loss = std::max(loss, std::min(std::abs(h[k] - a[k]), std::abs(h[k] - b[k])));
        if (here.position != before.position && here.position != after.position)
            loss = std::max(loss, 1.0);
        return loss;
    }
    const double t = (double(here.position) - double(before.position)) / span;
    for (int k = 0; k < 4; ++k)
        loss = std::max(loss, std::abs(a[k] + (b[k] - a[k]) * t - h[k]));
    return loss;
}

} // namespace

PovColorMap BuiltinColorMap(const std::string& pattern) {
    if (pattern == "agate")
        return Map({{0.0, {1, 1, 1, 0, 0}},
                    {0.5, {0.95, 0.75, 0.5, 0, 0}},
                    {0.5, {0.9, 0.7, 0.5, 0, 0}},
                    {0.6, {0.9, 0.7, 0.4, 0, 0}},
                    {0.6, {1, 0.7, 0.4, 0, 0}},
                    {1.0, {0.6, 0.3, 0, 0, 0}}});
    if (pattern == "bozo")
        return Map({{0.4, {1, 1, 1, 0, 0}},
                    {0.4, {0, 1, 0, 0, 0}},
                    {0.6, {0, 1, 0, 0, 0}},
                    {0.6, {0, 0, 1, 0, 0}},
                    {0.8, {0, 0, 1, 0, 0}},
                    {0.8, {1, 0, 0, 0, 0}}});
    if (pattern == "marble")
        return Map(
            {{0.0, {0.9, 0.8, 0.8, 0, 0}}, {0.9, {0.9, 0.08, 0.08, 0, 0}}, {0.9, {0, 0, 0, 0, 0}}});
    if (pattern == "radial")
        return Map({{0.0, {0, 1, 1, 0, 0}},
                    {0.333, {1, 1, 0, 0, 0}},
                    {0.666, {1, 0, 1, 0, 0}},
                    {1.0, {0, 1, 1, 0, 0}}});
    if (pattern == "wood")
        return Map({{0.6, {0.666, 0.312, 0.2, 0, 0}}, {0.6, {0.4, 0.1333, 0.066, 0, 0}}});
    return Map({{0.0, {0, 0, 0, 0, 0}}, {1.0, {1, 1, 1, 0, 0}}});
}

PovColor AverageColor(const PovPigment& pigment) {
    if (pigment.pattern.name.empty())
        return pigment.color.value;
    PovColor sum{};
    double total = 0.0;
    auto add = [&](const PovColor& color, double weight) {
        for (int k = 0; k < 5; ++k)
            sum[static_cast<std::size_t>(k)] += color[static_cast<std::size_t>(k)] * weight;
        total += weight;
    };
    if (!pigment.pigmentMap.empty()) {
        for (const PigmentMapEntry& entry : pigment.pigmentMap)
            add(AverageColor(*entry.pigment), 1.0);
    } else if (!pigment.colorList.empty()) {
        for (const auto& color : pigment.colorList)
            add(color.value, 1.0);
    } else {
        const PovColorMap map =
            pigment.colorMap ? *pigment.colorMap : BuiltinColorMap(pigment.pattern.name);
        const auto& e = map.entries;
        if (e.size() == 1)
            add(e.front().color, 1.0);
        for (std::size_t i = 0; i + 1 < e.size(); ++i) {
            // Each stretch between two entries shows the mean of their colours; the ends hold
            // the first and last colour.
            const double width = std::max(0.0, e[i + 1].position - e[i].position);
            PovColor mean{};
            for (int k = 0; k < 5; ++k)
                mean[static_cast<std::size_t>(k)] =
                    0.5 * (e[i].color[static_cast<std::size_t>(k)] +
                           e[i + 1].color[static_cast<std::size_t>(k)]);
            add(mean, width);
        }
        if (!e.empty()) {
            add(e.front().color, std::clamp(e.front().position, 0.0, 1.0));
            add(e.back().color, std::clamp(1.0 - e.back().position, 0.0, 1.0));
        }
    }
    if (total <= 0.0)
        return pigment.color.value;
    for (double& v : sum)
        v /= total;
    return sum;
}

bool DropRedundantEntries(std::vector<HeldMapEntry>& entries, std::size_t limit) {
    while (entries.size() > limit) {
        const std::size_t n = entries.size();
        std::size_t drop = n;
        for (std::size_t i = 1; i + 1 < n && drop == n; ++i)
            if (LossOf(entries, i) <= 0.5)
                drop = i;
        // Below the first entry and above the last their colours hold: an end whose neighbour
        // has the same colour changes nothing either.
        if (drop == n && n >= 2 && entries[0].color == entries[1].color)
            drop = 0;
        if (drop == n && n >= 2 && entries[n - 1].color == entries[n - 2].color)
            drop = n - 1;
        if (drop == n)
            return false;
        entries.erase(entries.begin() + static_cast<std::ptrdiff_t>(drop));
    }
    return true;
}

void ResampleEntries(std::vector<HeldMapEntry>& entries, std::size_t limit) {
    while (entries.size() > limit && entries.size() > 2) {
        std::size_t best = 1;
        double bestLoss = std::numeric_limits<double>::infinity();
        for (std::size_t i = 1; i + 1 < entries.size(); ++i) {
            const double loss = LossOf(entries, i);
            if (loss < bestLoss) {
                bestLoss = loss;
                best = i;
            }
        }
        entries.erase(entries.begin() + static_cast<std::ptrdiff_t>(best));
    }
    if (entries.size() > limit)
        entries.resize(limit);
}

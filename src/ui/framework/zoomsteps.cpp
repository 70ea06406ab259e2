#include "ui/framework/zoomsteps.h"

#include <algorithm>
#include <cstdlib>

namespace {

// A zoom computed by a division lands a hair off its rung; it counts as on it.
constexpr double kTolerance = 1e-4;

} // namespace

ZoomSteps::ZoomSteps(std::initializer_list<double> steps) : m_steps(steps) {}

double ZoomSteps::Clamp(double zoom) const {
    return std::clamp(zoom, Minimum(), Maximum());
}

double ZoomSteps::In(double zoom) const {
    const auto next = std::upper_bound(m_steps.begin(), m_steps.end(), zoom * (1 + kTolerance));
    return next == m_steps.end() ? Maximum() : *next;
}

double ZoomSteps::Out(double zoom) const {
    const auto below = std::lower_bound(m_steps.begin(), m_steps.end(), zoom * (1 - kTolerance));
    return below == m_steps.begin() ? Minimum() : *(below - 1);
}

double ZoomSteps::Step(double zoom, int notches) const {
    for (int step = 0; step < std::abs(notches); ++step)
        zoom = notches > 0 ? In(zoom) : Out(zoom);
    return zoom;
}

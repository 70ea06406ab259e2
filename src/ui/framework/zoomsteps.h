#pragma once

#include <initializer_list>
#include <vector>

/// The ladder of zoom factors that Zoom In and Zoom Out climb, one rung a command or a wheel
/// notch. The zoom stays between the lowest and the highest rung; a zoom between two rungs
/// steps to the nearer one in the direction asked.
class ZoomSteps {
public:
    /// `steps` in ascending order, at least one.
    ZoomSteps(std::initializer_list<double> steps);

    double Minimum() const { return m_steps.front(); }
    double Maximum() const { return m_steps.back(); }
    double Clamp(double zoom) const;
    /// The first rung above `zoom`, or the highest.
    double In(double zoom) const;
    /// The first rung below `zoom`, or the lowest.
    double Out(double zoom) const;
    /// `notches` rungs in (positive) or out (negative) from `zoom`.
    double Step(double zoom, int notches) const;

private:
    std::vector<double> m_steps;
};

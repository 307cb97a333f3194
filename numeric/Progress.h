#pragma once

// The progress indicator that long numeric and analysis routines drive.
//
// A routine takes a `Progress*`; null means that nothing is shown and the
// routine runs exactly the same. A window connects an implementation to its
// progress bar; tests record the calls. The routines set the minimum and the
// maximum before a pass and the value as steps finish, as each routine's
// documentation says; values are counts (steps finished), passed as doubles.

namespace numeric {

class Progress {
public:
    virtual ~Progress() = default;

    virtual void setMinimum(double minimum) = 0;
    virtual void setMaximum(double maximum) = 0;
    virtual void setValue(double value) = 0;

protected:
    Progress() = default;
    Progress(const Progress&) = default;
    Progress& operator=(const Progress&) = default;
};

namespace detail {
// Calls that do nothing without a progress object.
inline void setMinimum(Progress* progress, double minimum)
{
    if (progress != nullptr) {
        progress->setMinimum(minimum);
    }
}
inline void setMaximum(Progress* progress, double maximum)
{
    if (progress != nullptr) {
        progress->setMaximum(maximum);
    }
}
inline void setValue(Progress* progress, double value)
{
    if (progress != nullptr) {
        progress->setValue(value);
    }
}
} // namespace detail

} // namespace numeric

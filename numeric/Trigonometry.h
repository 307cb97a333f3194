#pragma once

// Trigonometry: the inverse cosine used by the angle-based distances.

namespace Trigonometry {

// The angle in radians (0 .. pi) whose cosine is x: ArcCos(1) = 0,
// ArcCos(-1) = pi. Arguments up to 1E-12 beyond +-1 (cosines computed from
// rounded sums) are taken as +-1.
// Throws 5 ("ArcCos") for |x| > 1 + 1E-12 and for NaN.
[[nodiscard]] double ArcCos(double x);

} // namespace Trigonometry

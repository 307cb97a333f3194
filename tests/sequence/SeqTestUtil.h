#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "numeric/Progress.h"
#include "platform/errors/Error.h"
#include "tests/support/ErrorAssert.h"

namespace seqtest {

// Remembers the last minimum, maximum and value, and every value set.
class RecordingProgress : public numeric::Progress {
public:
    void setMinimum(double v) override { minimum = v; }
    void setMaximum(double v) override { maximum = v; }
    void setValue(double v) override
    {
        value = v;
        values.push_back(v);
    }
    double minimum = -1;
    double maximum = -1;
    double value = -1;
    std::vector<double> values;
};

} // namespace seqtest

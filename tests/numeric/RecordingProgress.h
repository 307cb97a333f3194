#pragma once

#include <string>
#include <vector>

#include "numeric/Progress.h"

namespace numerictest {

// Records every call as "min 0", "max 3", "value 1", in order.
class RecordingProgress : public numeric::Progress {
public:
    void setMinimum(double v) override { calls.push_back("min " + text(v)); }
    void setMaximum(double v) override { calls.push_back("max " + text(v)); }
    void setValue(double v) override { calls.push_back("value " + text(v)); }

    std::vector<std::string> calls;

private:
    static std::string text(double v)
    {
        std::string s = std::to_string(v);
        s.erase(s.find_last_not_of('0') + 1);
        if (!s.empty() && s.back() == '.') {
            s.pop_back();
        }
        return s;
    }
};

} // namespace numerictest

#include "tests/analysis/UpgmaReference.h"

#include <cstdio>
#include <limits>

namespace testref {

using analysis::MyNode;

std::unique_ptr<MyNode> upgmaByScan(const analysis::DistanceMatrix& distMat, std::int32_t n, std::int16_t rule,
                                    const std::vector<std::string>& names, const std::vector<std::int32_t>& order)
{
    const auto N = static_cast<std::size_t>(n);
    std::vector<double> w(N * N, 0.0);
    auto W = [&](std::size_t i, std::size_t j) -> double& { return w[i * N + j]; };
    for (std::size_t i = 1; i < N; ++i) {
        for (std::size_t j = 0; j < i; ++j) {
            W(i, j) = distMat(static_cast<std::int64_t>(i), static_cast<std::int64_t>(j));
            W(j, i) = W(i, j);
        }
    }
    std::vector<std::unique_ptr<MyNode>> slot(N);
    for (std::size_t s = 0; s < N; ++s) {
        slot[s] = std::make_unique<MyNode>();
        slot[s]->setTip(true);
        slot[s]->setCaption(names[s]);
    }
    std::vector<std::int32_t> size(N, 1);
    std::vector<double> height(N, 0.0);
    for (std::size_t step = 1; step < N; ++step) {
        double best = std::numeric_limits<double>::infinity();
        std::size_t first = 0;
        std::size_t second = 0;
        for (std::size_t j = 1; j < N; ++j) {
            const auto a = static_cast<std::size_t>(order[j]);
            if (!slot[a - 1]) {
                continue;
            }
            for (std::size_t i = 0; i < j; ++i) {
                const auto b = static_cast<std::size_t>(order[i]);
                if (!slot[b - 1]) {
                    continue;
                }
                const double d = W(b - 1, a - 1);
                if (d < best) {
                    best = d;
                    first = b;
                    second = a;
                }
            }
        }
        const double d = W(first - 1, second - 1);
        const double lenFirst = d / 2 - height[first - 1];
        const double lenSecond = d / 2 - height[second - 1];
        height[first - 1] = d / 2;
        auto joined = std::make_unique<MyNode>();
        joined->addChild(std::move(slot[first - 1]))->setBranchLen(lenFirst);
        joined->addChild(std::move(slot[second - 1]))->setBranchLen(lenSecond);
        slot[first - 1] = std::move(joined);
        const double na = size[first - 1];
        const double nb = size[second - 1];
        for (std::size_t k = 0; k < N; ++k) {
            if (!slot[k]) {
                continue;
            }
            const double da = W(first - 1, k);
            const double db = W(second - 1, k);
            double v = da;
            switch (rule) {
            case 0:
                v = db < da ? db : da;
                break;
            case 1:
                v = db > da ? db : da;
                break;
            case 2:
            case 3:
                v = (na * da + nb * db) / static_cast<double>(size[first - 1] + size[second - 1]);
                break;
            default:
                break;
            }
            W(first - 1, k) = v;
            W(k, first - 1) = v;
        }
        for (std::size_t k = 0; k < N; ++k) {
            W(second - 1, k) = 0;
            W(k, second - 1) = 0;
        }
        size[first - 1] += size[second - 1];
    }
    for (auto& s : slot) {
        if (s) {
            return std::move(s);
        }
    }
    return nullptr;
}

namespace {
void appendExact(const MyNode& node, std::string& out)
{
    if (node.childCount() > 0) {
        out += '(';
        for (std::size_t c = 0; c < node.childCount(); ++c) {
            if (c > 0) {
                out += ',';
            }
            appendExact(*node.child(c), out);
        }
        out += ')';
    }
    out += node.Caption();
    char buf[64];
    std::snprintf(buf, sizeof buf, ":%a", node.BranchLen());
    out += buf;
    out += node.Tip() ? "t" : "i";
}
} // namespace

std::string exactText(const MyNode& root)
{
    std::string out;
    appendExact(root, out);
    return out;
}

} // namespace testref
